// The assembler settings dialog "选项设置": edits Options/Complier of the
// settings file in the start-up directory.
#pragma once

#include <memory>

#include "app/modal_form.h"
#include "platform/gui/file_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace torvane {

class TIniFile;

class TFOptions : public TModalForm {
  Q_OBJECT

 public:
  explicit TFOptions(QWidget* parent = nullptr);
  ~TFOptions() override;

  void Button1Click();  // "…": choose the assembler with a file dialog
  void Button2Click();  // OK: write the path, then close

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit2 = nullptr;
  TOpenDialog OpenDialog1;

 protected:
  // Closing lets go of the settings file.
  void done(int result) override;

 private:
  void FormCreate();
  void FormClose();

  // The settings file, held while the dialog exists.
  std::unique_ptr<TIniFile> ini_;
};

// The dialog while it is shown, else null.
extern TFOptions* FOptions;

// Creates the dialog, shows it modally, destroys it; returns the modal result.
int ShowOptionsDialog(QWidget* parent);

}  // namespace torvane
