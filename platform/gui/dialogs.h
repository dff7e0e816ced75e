// Every dialog the program shows goes through the process-wide TDialogService,
// so that tests can answer file dialogs, message boxes and modal forms from a
// script instead of blocking on a real modal window.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QMessageBox;
class QWidget;

namespace torvane {

// Modal results, numbered as the classic form library numbers them.
enum TModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
};

enum class TMsgIcon { None, Information, Warning, Error, Question };
enum class TMsgButtons { Ok, YesNo, YesNoCancel };

struct TMessageRequest {
  QWidget* parent = nullptr;
  QString caption;
  QString text;
  TMsgIcon icon = TMsgIcon::None;
  TMsgButtons buttons = TMsgButtons::Ok;
  QStringList captions;         // replaces the buttons' standard captions when given
  int default_answer = mrNone;  // the button Enter presses (mrYes, mrNo...); none: the box's own
};

struct TFileDialogRequest {
  QWidget* parent = nullptr;
  bool save = false;
  QString title;        // empty: the platform's default title
  QString filter;       // "description|pattern|description|pattern..."
  QString default_ext;  // appended to a typed name that has no extension
  QString file_name;    // initial name, full path or bare name
  QString initial_dir;  // where the dialog starts when file_name names no folder
};

class TDialogService {
 public:
  virtual ~TDialogService() = default;
  // The chosen file's full path, or nothing when the user cancelled.
  virtual std::optional<QString> ChooseFile(const TFileDialogRequest& request) = 0;
  // mrOk, mrYes, mrNo or mrCancel; mrCancel also when the box was closed.
  virtual int ShowMessage(const TMessageRequest& request) = 0;
  // Shows a modal form and returns its modal result.
  virtual int ExecForm(QDialog& form) = 0;
  virtual void Beep() = 0;
};

// The service in use: the real one unless a test installed another.
TDialogService& Dialogs();

// Installs a service for the lifetime of this object (tests).
class ScopedDialogService {
 public:
  explicit ScopedDialogService(TDialogService& service);
  ~ScopedDialogService();
  ScopedDialogService(const ScopedDialogService&) = delete;
  ScopedDialogService& operator=(const ScopedDialogService&) = delete;

 private:
  TDialogService* previous_;
};

// The real service's box for a request (not yet shown), and its answer once
// it has closed: mrCancel when no button was clicked (Escape, the title-bar
// button). A Yes/No box answers mrNo only when No was clicked.
std::unique_ptr<QMessageBox> BuildMessageBox(const TMessageRequest& request);
int MessageBoxAnswer(const QMessageBox& box);

// The "description|pattern|..." filter as QFileDialog name filters
// ("description (pattern)"); patterns separated by ';' become blank-separated,
// and patterns the description already ends with are not repeated.
QStringList ToNameFilters(const QString& filter);
// The default extension without "*." decoration ("*.asm" -> "asm"); the first
// of several ("*.exe;*.com" -> "exe").
QString PlainExtension(const QString& default_ext);

}  // namespace torvane
