// The real dialog service: QFileDialog, QMessageBox and QDialog::exec.
#include "platform/gui/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace torvane {
namespace {

class TRealDialogService : public TDialogService {
 public:
  std::optional<QString> ChooseFile(const TFileDialogRequest& request) override {
    QFileDialog dialog(request.parent, request.title);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = ToNameFilters(request.filter);
    if (!filters.isEmpty()) {
      dialog.setNameFilters(filters);
    }
    // Qt adds the suffix to any typed name without one, which in an open
    // dialog names a file that is not there ("nasm" -> "nasm.exe").
    const QString ext = PlainExtension(request.default_ext);
    if (request.save && !ext.isEmpty()) {
      dialog.setDefaultSuffix(ext);
    }
    if (!request.initial_dir.isEmpty()) {
      dialog.setDirectory(request.initial_dir);
    }
    if (!request.file_name.isEmpty()) {
      dialog.selectFile(request.file_name);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
      return std::nullopt;
    }
    return QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
  }

  int ShowMessage(const TMessageRequest& request) override {
    const std::unique_ptr<QMessageBox> box = BuildMessageBox(request);
    box->exec();
    return MessageBoxAnswer(*box);
  }

  int ExecForm(QDialog& form) override { return form.exec(); }

  void Beep() override { QApplication::beep(); }
};

const char kResultProperty[] = "torvaneResult";

TRealDialogService& RealService() {
  static TRealDialogService service;
  return service;
}

TDialogService* g_current = nullptr;

}  // namespace

TDialogService& Dialogs() {
  return g_current != nullptr ? *g_current : RealService();
}

ScopedDialogService::ScopedDialogService(TDialogService& service) : previous_(g_current) {
  g_current = &service;
}

ScopedDialogService::~ScopedDialogService() {
  g_current = previous_;
}

std::unique_ptr<QMessageBox> BuildMessageBox(const TMessageRequest& request) {
  auto box = std::make_unique<QMessageBox>(request.parent);
  box->setWindowTitle(request.caption);
  box->setText(request.text);
  switch (request.icon) {
    case TMsgIcon::Information:
      box->setIcon(QMessageBox::Information);
      break;
    case TMsgIcon::Warning:
      box->setIcon(QMessageBox::Warning);
      break;
    case TMsgIcon::Error:
      box->setIcon(QMessageBox::Critical);
      break;
    case TMsgIcon::Question:
      box->setIcon(QMessageBox::Question);
      break;
    case TMsgIcon::None:
      break;
  }
  struct Choice {
    QMessageBox::StandardButton button;
    int result;
  };
  std::vector<Choice> choices;
  switch (request.buttons) {
    case TMsgButtons::Ok:
      choices = {{QMessageBox::Ok, mrOk}};
      break;
    case TMsgButtons::YesNo:
      choices = {{QMessageBox::Yes, mrYes}, {QMessageBox::No, mrNo}};
      break;
    case TMsgButtons::YesNoCancel:
      choices = {
          {QMessageBox::Yes, mrYes}, {QMessageBox::No, mrNo}, {QMessageBox::Cancel, mrCancel}};
      break;
  }
  for (std::size_t i = 0; i < choices.size(); ++i) {
    QPushButton* button = box->addButton(choices[i].button);
    button->setProperty(kResultProperty, choices[i].result);
    if (static_cast<qsizetype>(i) < request.captions.size()) {
      button->setText(request.captions[static_cast<qsizetype>(i)]);
    }
    if (choices[i].result == request.default_answer) {
      box->setDefaultButton(button);
    }
  }
  if (request.buttons == TMsgButtons::YesNo) {
    // Qt would make No the escape button, so Escape or the title-bar button
    // would answer No. An unseen Cancel takes that part: only a click on No
    // says No.
    QPushButton* dismiss = box->addButton(QMessageBox::Cancel);
    dismiss->setProperty(kResultProperty, static_cast<int>(mrCancel));
    dismiss->hide();
    box->setEscapeButton(dismiss);
  }
  return box;
}

int MessageBoxAnswer(const QMessageBox& box) {
  const QAbstractButton* clicked = box.clickedButton();
  if (clicked == nullptr) {
    return mrCancel;
  }
  bool ok = false;
  const int result = clicked->property(kResultProperty).toInt(&ok);
  return ok ? result : mrCancel;
}

QStringList ToNameFilters(const QString& filter) {
  QStringList result;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    patterns = patterns.simplified();
    // Qt reads the patterns from the parentheses that end the label; a
    // description that already ends with them would show them twice.
    QString label = parts[i].trimmed();
    const qsizetype open = label.lastIndexOf(QLatin1Char('('));
    if (open >= 0 && label.endsWith(QLatin1Char(')'))) {
      QString shown = label.mid(open + 1, label.size() - open - 2);
      shown.replace(QLatin1Char(';'), QLatin1Char(' '));
      if (shown.simplified() == patterns) {
        label = label.left(open).trimmed();
      }
    }
    result << QStringLiteral("%1 (%2)").arg(label, patterns);
  }
  return result;
}

QString PlainExtension(const QString& default_ext) {
  QString ext = default_ext.section(QLatin1Char(';'), 0, 0).trimmed();
  if (ext.startsWith(QLatin1String("*."))) {
    ext = ext.mid(2);
  } else if (ext.startsWith(QLatin1Char('.'))) {
    ext = ext.mid(1);
  }
  return ext == QLatin1String("*") ? QString() : ext;
}

}  // namespace torvane
