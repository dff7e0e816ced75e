// Messages that help: the assembler checked before a run, the count of
// errors and warnings after it, and the file compared with the disk when the
// window gets the focus back.
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

#include "app/assembler.h"
#include "app/assembler_check.h"
#include "app/main_window.h"
#include "app/output_pane.h"
#include "app/settings.h"
#include "app/status_bar.h"
#include "document/control/src_editor.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/error_box.h"
#include "platform/ini_file.h"

namespace torvane {
namespace {

QString FromFileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

TMessageRequest YesNoQuestion(QWidget* parent, const QString& caption, const QString& text) {
  TMessageRequest question;
  question.parent = parent;
  question.caption = caption;
  question.text = text;
  question.icon = TMsgIcon::Question;
  question.buttons = TMsgButtons::YesNo;
  question.captions = {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")};
  return question;
}

}  // namespace

bool TFAsmEd::CheckAssembler() {
  const QString problem = AssemblerProblem(assembler_path_);
  if (problem.isEmpty()) {
    return true;
  }
  const QString text =
      problem + QStringLiteral("\r\n\r\n请在“选项 > 编译环境设置”中设置 NASM 的路径。");
  const std::string found = NasmOnPath();
  if (found.empty()) {
    TMessageRequest message;
    message.parent = this;
    message.caption = QStringLiteral("编译本文档");
    message.text = text;
    message.icon = TMsgIcon::Warning;
    Dialogs().ShowMessage(message);
    return false;
  }
  TMessageRequest question =
      YesNoQuestion(this, QStringLiteral("编译本文档"),
                    text + QStringLiteral("\r\n\r\n在 PATH 中找到了 %1。把它设为编译器并编译吗？")
                               .arg(FromFileName(found)));
  question.default_answer = mrYes;
  if (Dialogs().ShowMessage(question) != mrYes) {
    return false;
  }
  // As 编译环境设置's 确定 would store it.
  TIniFile(SettingsFilePath(SettingsDirectory)).WriteString(kOptionsSection, kAssemblerKey, found);
  assembler_path_ = ReadAssemblerPath(SettingsDirectory);
  return true;
}

void TFAsmEd::ShowMessageSummary(QStringList& lines, const std::string& source) {
  const TMessageCounts counts = CountMessages(lines);
  if (counts.Errors == 0 && counts.Warnings == 0) {
    return;  // a clean run's two lines, a cancelled run's one, stay as they are
  }
  const TAssemblerRun run = PlanAssemblerRun(assembler_path_, source);
  const bool written = access(run.binary_path.c_str(), F_OK) == 0;
  std::string name;
  std::string directory;
  SplitDirectory(run.binary_path, directory, name);
  const QString summary = MessageSummary(counts, written, FromFileName(name));
  lines << summary;
  if (StatusBar != nullptr && !StatusBar->isHidden()) {
    StatusBar->showMessage(summary);
  }
}

bool TFAsmEd::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    // After the activation is complete, and after any dialog that caused it
    // has gone.
    QTimer::singleShot(0, this, [this] {
      if (isActiveWindow()) {
        RunGuarded(this, [this] { CheckFileOnDisk(); });
      }
    });
  }
  return QMainWindow::event(event);
}

void TFAsmEd::CheckFileOnDisk() {
  if (checking_disk_ || assembling_ || current_file_name_.empty() ||
      QApplication::activeModalWidget() != nullptr ||
      SrcEditor1->StampedName() != current_file_name_) {
    return;  // a name not yet written has nothing on disk to compare
  }
  const TFileStamp known = SrcEditor1->Stamp();
  const TFileStamp now = StampOf(current_file_name_);
  if (now.exists && now.SameContent(known)) {
    return;
  }
  if (asked_about_ && asked_about_->first == now && asked_about_->second == known) {
    return;  // answered already
  }
  asked_about_ = std::make_pair(now, known);
  checking_disk_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{checking_disk_};
  const QString name = FromFileName(current_file_name_);
  if (!now.exists) {
    // The next save writes the file again; until then the text counts as
    // not saved, so closing asks.
    SrcEditor1->SetModified(true);
    TMessageRequest message;
    message.parent = this;
    message.caption = QStringLiteral("文件已删除");
    message.text =
        QStringLiteral(
            "%1\r\n\r\n该文件已被其它程序删除或改名。编辑器中的内容还在，保存时将重新创建它。")
            .arg(name);
    message.icon = TMsgIcon::Warning;
    Dialogs().ShowMessage(message);
    FocusEditor();
    return;
  }
  const bool modified = SrcEditor1->Modified();
  TMessageRequest question = YesNoQuestion(
      this, QStringLiteral("文件已修改"),
      modified ? QStringLiteral(
                     "%1\r\n\r\n该文件已被其它程序修改。重新载入将丢失编辑器中没有保存的修改。"
                     "要重新载入吗？")
                     .arg(name)
               : QStringLiteral("%1\r\n\r\n该文件已被其它程序修改。要重新载入吗？").arg(name));
  question.default_answer = modified ? mrNo : mrYes;
  if (Dialogs().ShowMessage(question) == mrYes) {
    ReloadFromDisk();
  }
  FocusEditor();
}

void TFAsmEd::ReloadFromDisk() {
  const std::string file_name = current_file_name_;
  const std::string assembly_source = assembly_source_;
  const TBufferPos caret = SrcEditor1->Model().CaretPos();
  if (!SrcEditor1->OpenDocument(file_name, nullptr, 0)) {
    return;
  }
  ShowOpenedFile(file_name);
  assembly_source_ = assembly_source;  // still assembled through the same file
  // The caret stays on its line as far as the new text reaches.
  const int lines = std::max(1, SrcEditor1->Model().Lines().LineCount());
  SrcEditor1->SetCaretPos({1, std::min(caret.Line, lines)});
}

}  // namespace torvane
