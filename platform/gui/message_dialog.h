// The editor family's own message box: an icon, a message and a row of
// buttons with free (Chinese) captions, built in code; Ctrl+C copies it.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

class QLabel;
class QPushButton;

namespace torvane {

// Dialog kinds pick the icon; only the low 7 bits of a kind count.
enum TMessageDialogKind : int {
  mdkWarning = 0,
  mdkError = 1,
  mdkInformation = 2,
  mdkQuestion = 3,
  mdkNone = 4,
};

class TMessageDialog : public QDialog {
 public:
  // Builds the form: icon, message label sized to the text, and one button
  // per caption in caption order. default_index and cancel_index are 0-based
  // positions in captions, -1 for none. Caption and position come later.
  TMessageDialog(const QString& text, int kind, const QStringList& captions, int default_index,
                 int cancel_index);

  // Left edge x and top edge y when not negative; centred on the screen when
  // both are negative (a single given coordinate keeps the centred other one).
  void PlaceAt(int x, int y);
  // Attaches a help file and context to button help_index; ignored when the
  // index is outside 0..255 or the buttons.
  void AttachHelp(const QString& help_file, int help_context, int help_index);

  // Beeps and puts caption, message and button captions on the clipboard as
  // plain text. Throws ESrcError("Cannot open clipboard") when the clipboard
  // cannot take the text; nothing is copied then.
  void CopyDialogText();
  // The text CopyDialogText puts on the clipboard.
  QString DialogText() const;

  QLabel* Icon() const { return icon_; }
  QLabel* Message() const { return message_; }
  const std::vector<QPushButton*>& Buttons() const { return buttons_; }
  QPushButton* DefaultButton() const { return default_button_; }
  QPushButton* CancelButton() const { return cancel_button_; }
  QPushButton* HelpButton() const { return help_button_; }
  const QString& HelpFile() const { return help_file_; }
  int HelpContext() const { return help_context_; }

  // Closing the window by its title bar ends the dialog with mrCancel.
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Puts the text on the system clipboard; throws when it cannot.
  virtual void PutOnClipboard(const QString& text);

 private:
  // Ctrl+C and Escape; true when the key was used.
  bool HandleKey(QKeyEvent* event);

  QString text_;  // as given, line breaks and all; the label shows it with '\n'
  QLabel* icon_ = nullptr;
  QLabel* message_ = nullptr;
  std::vector<QPushButton*> buttons_;  // creation order; button i ends with i + 1
  QPushButton* default_button_ = nullptr;
  QPushButton* cancel_button_ = nullptr;
  QPushButton* help_button_ = nullptr;
  QString help_file_;
  int help_context_ = 0;
};

// Builds the dialog, shows it modally through the dialog service and returns
// the 1-based number of the pressed button, or mrCancel when the window was
// closed otherwise. x and y of -1 mean no position.
int ShowMessageDialog(const QString& text, const QString& title, int kind,
                      const QStringList& captions, int default_index, int cancel_index,
                      const QString& help_file, int help_context, int help_index, int x, int y);

// An information box captioned with the application's title and one default
// button "确定(&O)", centred on the screen.
void ShowInfoMessage(const QString& text);

}  // namespace torvane
