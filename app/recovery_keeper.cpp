// The main window's recovery records: when they are written, removed and
// offered back.
#include "app/recovery_keeper.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QPlainTextEdit>
#include <chrono>
#include <set>

#include "app/find_actions.h"
#include "app/find_bar.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "app/status_bar.h"
#include "document/control/src_editor.h"
#include "document/string_list.h"
#include "platform/codepage.h"
#include "platform/gui/dialogs.h"

namespace torvane {
namespace {

QString FromFileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

int NextSerial() {
  static int serial = 0;
  return ++serial;
}

}  // namespace

TRecoveryKeeper* RecoveryKeeperOf(QObject& window) {
  return window.findChild<TRecoveryKeeper*>(QString(), Qt::FindDirectChildrenOnly);
}

TRecoveryKeeper::TRecoveryKeeper(TFAsmEd& window)
    : QObject(&window), window_(window), editor_(window.SrcEditor1), folder_(RecoveryFolder()) {
  const std::string stem = OwnerFileStem(ThisProcess(), NextSerial());
  record_path_ = folder_ + "/" + stem + ".rec";
  lock_path_ = folder_ + "/" + stem + ".lock";
  std::string reason;
  folder_ok_ = MakeRecoveryFolder(folder_, &reason);
  folder_reason_ = QString::fromLocal8Bit(reason.c_str());
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (!UpdateStep()) {
      timer_.start(0);  // the rest in the next step; keys go first
    }
  });
  chunks_.Reset();
  chunks_.OnChange = [this] { TextChanged(); };
  window_.SrcEditor1->Model().AddLineObserver(&chunks_);
  writer_.OnWritten = [this](bool written, const std::string& why) {
    if (!written) {
      // On the worker thread: the pane is told from the GUI thread.
      const QString text = QString::fromLocal8Bit(why.c_str());
      QMetaObject::invokeMethod(
          this, [this, text] { ReportFailure(text); }, Qt::QueuedConnection);
    }
  };
}

TRecoveryKeeper::~TRecoveryKeeper() {
  if (editor_ != nullptr) {
    editor_->Model().RemoveLineObserver(&chunks_);
  }
  ::unlink(lock_path_.c_str());
}

void TRecoveryKeeper::TextChanged() {
  if (!timer_.isActive()) {
    timer_.start(kDelayMs);
  }
}

bool TRecoveryKeeper::UpdateStep() {
  if (editor_ == nullptr) {
    return true;
  }
  TSrcEditor& editor = *editor_;
  if (!editor.Modified()) {
    if (record_written_) {
      writer_.Remove(record_path_);
      record_written_ = false;
    }
    return true;
  }
  if (told_failure_) {
    return true;  // recovery is off for this run
  }
  if (!folder_ok_) {
    ReportFailure(folder_reason_);
    return true;
  }
  const TSrcEditStringList* lines = &editor.Lines();
  std::unique_ptr<TSrcEditStringList> expanded;
  std::chrono::nanoseconds budget = std::chrono::milliseconds(kStepBudgetMs);
  if (editor.Model().Folds().CollapsedCount() > 0) {
    // The store lacks the collapsed blocks' lines: the record is made from
    // the expanded text, in one step.
    expanded = std::make_unique<TSrcEditStringList>();
    expanded->AppendLinesFrom(editor.Model().Folds().ExpandedLines());
    lines = expanded.get();
    chunks_.Reset();
    budget = std::chrono::nanoseconds::max();
  }
  const TSrcEditFileFormat format = editor.DocumentFormat();
  if (!chunks_.Update(*lines, format, budget)) {
    return false;
  }
  TRecordJob job;
  job.path = record_path_;
  TRecoveryHeader& header = job.header;
  header.owner = ThisProcess();
  header.file_name = window_.CurrentFileName();
  header.code_page = CodePage::Current().Name();
  header.format = format;
  header.final_line_break = editor.FinalLineBreak();
  header.file_stamp = base_stamp_;
  header.saved_ms = QDateTime::currentMSecsSinceEpoch();
  job.pieces = chunks_.Pieces();
  std::size_t total = 0;
  for (const TTextChunk& piece : job.pieces) {
    total += piece.bytes.size();
  }
  job.length = SavedLength(*lines, total, format, header.final_line_break);
  writer_.Write(std::move(job));
  record_written_ = true;
  return true;
}

void TRecoveryKeeper::UpdateNow() {
  timer_.stop();
  while (!UpdateStep()) {
  }
  writer_.Flush();
  QCoreApplication::sendPostedEvents(this);
}

void TRecoveryKeeper::ReportFailure(const QString& reason) {
  if (told_failure_) {
    return;
  }
  told_failure_ = true;
  window_.Memo1->appendPlainText(
      QStringLiteral("恢复记录已停用：无法写入 "
                     "%1（%2）。编辑照常进行，但程序意外结束时未保存的修改将无法恢复。")
          .arg(FromFileName(folder_), reason));
}

void TRecoveryKeeper::DocumentSaved() {
  timer_.stop();
  if (record_written_) {
    writer_.Remove(record_path_);
    record_written_ = false;
  }
  base_stamp_ = StampOf(window_.CurrentFileName());
  WriteLock();
}

void TRecoveryKeeper::DocumentDiscarded() {
  timer_.stop();
  if (record_written_) {
    writer_.Remove(record_path_);
    record_written_ = false;
  }
  chunks_.Reset();
  base_stamp_ = {};
  WriteLock();
}

void TRecoveryKeeper::Exiting() {
  timer_.stop();
  if (record_written_) {
    writer_.Remove(record_path_);
    record_written_ = false;
  }
  writer_.Flush();
  ::unlink(lock_path_.c_str());
}

void TRecoveryKeeper::WriteLock() {
  if (!folder_ok_) {
    return;
  }
  if (window_.CurrentFileName().empty()) {
    ::unlink(lock_path_.c_str());
  } else {
    WriteLockFile(lock_path_, ThisProcess(), window_.CurrentFileName());
  }
}

void TRecoveryKeeper::FileOpened(const std::string& file_name) {
  timer_.stop();
  if (record_written_) {
    // The old text was given up when the question before Open was answered.
    writer_.Remove(record_path_);
    record_written_ = false;
  }
  chunks_.Reset();
  base_stamp_ = StampOf(file_name);
  WriteLock();
  if (offering_ || !folder_ok_) {
    return;
  }
  if (const std::optional<int> pid = FileEditedElsewhere(folder_, file_name)) {
    TMessageRequest note;
    note.parent = &window_;
    note.caption = QStringLiteral("文件正在别处编辑");
    note.text = QStringLiteral(
                    "%1\r\n\r\n该文件正在由另一个 Torvane 程序（进程号 %2）编辑。\r\n"
                    "两边的修改各自保存，后保存的将覆盖先保存的。")
                    .arg(FromFileName(file_name))
                    .arg(*pid);
    note.icon = TMsgIcon::Information;
    Dialogs().ShowMessage(note);
  }
  for (const TFoundRecord& found : OrphanRecords(folder_)) {
    if (SameDocumentFile(found.record.header.file_name, file_name) && Offer(found)) {
      break;
    }
  }
}

void TRecoveryKeeper::OfferAtStart() {
  if (!folder_ok_) {
    return;
  }
  for (const TFoundRecord& found : OrphanRecords(folder_)) {
    if (window_.SrcEditor1->Modified() || Offer(found)) {
      break;
    }
  }
}

bool TRecoveryKeeper::Offer(const TFoundRecord& found) {
  if (!offered_.insert(found.path).second) {
    return false;  // asked once already in this run
  }
  const TRecoveryHeader& header = found.record.header;
  const QString when = QDateTime::fromMSecsSinceEpoch(header.saved_ms)
                           .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  QString text;
  if (header.file_name.empty()) {
    text = QStringLiteral("一个未命名的文档有未保存的修改（%1 记下，进程 %2 已经结束）。")
               .arg(when)
               .arg(header.owner.pid);
  } else {
    text = QStringLiteral("%1\r\n\r\n该文件有未保存的修改（%2 记下，进程 %3 已经结束）。")
               .arg(FromFileName(header.file_name), when)
               .arg(header.owner.pid);
    const TFileStamp now = StampOf(header.file_name);
    if (!now.exists) {
      text += QStringLiteral("\r\n\r\n该文件已不存在：恢复后作为新文档，保存时写回原文件名。");
    } else if (!now.SameContent(header.file_stamp)) {
      text += QStringLiteral("\r\n\r\n注意：记下修改之后，该文件已在磁盘上被改动。");
    }
  }
  if (header.code_page != CodePage::Current().Name()) {
    text += QStringLiteral("\r\n\r\n记录的文字编码是 %1，当前是 %2。")
                .arg(QString::fromStdString(header.code_page),
                     QString::fromStdString(CodePage::Current().Name()));
  }
  text += QStringLiteral("\r\n\r\n要恢复这些修改吗？");
  TMessageRequest question;
  question.parent = &window_;
  question.caption = QStringLiteral("恢复未保存的修改");
  question.text = text;
  question.icon = TMsgIcon::Question;
  question.buttons = TMsgButtons::YesNoCancel;
  question.captions = {QStringLiteral("恢复"), QStringLiteral("放弃"), QStringLiteral("以后再说")};
  switch (Dialogs().ShowMessage(question)) {
    case mrYes:
      return Recover(found);
    case mrNo:
      ::unlink(found.path.c_str());
      return false;
    default:
      return false;  // Escape: the record stays for another time
  }
}

bool TRecoveryKeeper::Recover(const TFoundRecord& found) {
  const TRecoveryHeader& header = found.record.header;
  TSrcEditor& editor = *window_.SrcEditor1;
  offering_ = true;
  struct TDone {
    bool& flag;
    ~TDone() { flag = false; }
  } done{offering_};
  // The file itself is read as Open reads it (its stamp, the title), then
  // its text replaced; the file on disk stays as it is until a save. A file
  // that is gone (or an unnamed text) starts a new document of that name.
  if (!header.file_name.empty() && StampOf(header.file_name).exists) {
    if (!window_.OpenNamedFile(header.file_name)) {
      return false;  // the open error was shown; the record stays
    }
  } else {
    window_.OpenOrStartNamedFile(header.file_name);
    if (header.file_name.empty()) {
      window_.setWindowTitle(QString::fromUtf8(DefaultTitle));
    }
  }
  window_.Memo1->clear();
  editor.Lines().ReadFromBytes(found.record.text);
  editor.SetDocumentFormat(header.format);
  editor.SetFinalLineBreak(header.final_line_break);
  if (editor.CodeFolding().Enabled()) {
    editor.RescanFolds();
  }
  editor.SetModified(true);
  window_.FindActions->Bar->DocumentReplaced();
  if (window_.StatusBar != nullptr && !window_.StatusBar->isHidden()) {
    window_.StatusBar->ShowStatus(EditorStatusTexts(editor));
  }
  // The record becomes this program's own, so it is never without one.
  writer_.Rename(found.path, record_path_);
  record_written_ = true;
  timer_.start(kDelayMs);
  return true;
}

}  // namespace torvane
