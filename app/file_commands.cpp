// Additions to the File menu: 另存为…, 最近打开的文件, an empty document for a
// command-line name that does not exist yet, and the question before opening
// a file that looks binary.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <algorithm>
#include <cerrno>

#include "app/editor_configuration.h"
#include "app/main_window.h"
#include "app/recent_files.h"
#include "app/recovery_keeper.h"
#include "app/settings.h"
#include "document/control/src_editor.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/error_box.h"
#include "platform/gui/message_dialog.h"
#include "platform/ini_file.h"

namespace torvane {
namespace {

QString FromFileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

// A NUL byte in the first 8 KB: no source file of ours has one.
bool LooksBinary(const std::string& file_name) {
  const int fd = ::open(file_name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return false;  // the open itself reports what is wrong
  }
  struct stat st {};
  char buffer[8192];
  ssize_t got = 0;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    ssize_t n = 0;
    while (got < static_cast<ssize_t>(sizeof buffer) &&
           (n = ::read(fd, buffer + got, sizeof buffer - static_cast<std::size_t>(got))) != 0) {
      if (n < 0) {
        if (errno == EINTR) {
          continue;
        }
        break;
      }
      got += n;
    }
  }
  ::close(fd);
  return std::find(buffer, buffer + got, '\0') != buffer + got;
}

}  // namespace

bool TFAsmEd::OpenFile(const std::string& file_name) {
  if (LooksBinary(file_name)) {
    TMessageRequest question;
    question.parent = this;
    question.caption = QStringLiteral("打开文件");
    question.text = QStringLiteral(
                        "%1\r\n\r\n这个文件的开头含有 NUL 字节，看来不是文本文件。"
                        "仍然打开吗？")
                        .arg(FromFileName(file_name));
    question.icon = TMsgIcon::Question;
    question.buttons = TMsgButtons::YesNo;
    question.captions = {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")};
    if (Dialogs().ShowMessage(question) != mrYes) {
      return false;
    }
  }
  if (!SrcEditor1->OpenDocument(file_name, nullptr, 0)) {
    return false;
  }
  ShowOpenedFile(file_name);
  return true;
}

bool TFAsmEd::OpenOrStartNamedFile(const std::string& file_name) {
  struct stat st {};
  if (::lstat(file_name.c_str(), &st) != 0 && errno == ENOENT) {
    StartNamedDocument(file_name);
    return true;
  }
  return OpenNamedFile(file_name);
}

void TFAsmEd::StartNamedDocument(const std::string& file_name) {
  SrcEditor1->ClearAll();
  StartNewDocument(*SrcEditor1);
  current_file_name_ = file_name;
  assembly_source_.clear();
  ShowFileTitle();
  Memo1->clear();
  DocumentReplaced();
  RecoveryKeeperOf(*this)->DocumentDiscarded();
  FocusEditor();
}

void TFAsmEd::SaveAsClick() {
  if (!current_file_name_.empty()) {
    SaveDialog1.FileName = FromFileName(current_file_name_);
  }
  if (!SrcEditor1->SaveDocument("", &SaveDialog1, doDefine)) {
    FocusEditor();
    return;
  }
  current_file_name_ = SaveDialog1.FileSystemName();
  // F9 assembles what is now in the editor, under its new name.
  assembly_source_.clear();
  SrcEditor1->SetModified(false);
  RecoveryKeeperOf(*this)->DocumentSaved();
  ShowFileTitle();
  RememberFile(current_file_name_);
  RefreshStatusBar();
  FocusEditor();
}

void TFAsmEd::RememberFile(const std::string& file_name) {
  last_folder_ = FolderOf(file_name);
  try {
    AddRecentFile(SettingsDirectory, file_name);
  } catch (const EIniFileError&) {
    // A settings folder that cannot be written costs the list, not the open
    // or save that went well.
  }
}

void TFAsmEd::FillRecentMenu() {
  Recent1->clear();
  const std::vector<std::string> files = ReadRecentFiles(SettingsDirectory);
  int number = 1;
  for (const std::string& file : files) {
    // "&1" .. "&9", then "1&0": each item keeps an access key.
    const QString key = number < 10 ? QStringLiteral("&%1").arg(number) : QStringLiteral("1&0");
    QAction* action = Recent1->addAction(QStringLiteral("%1 %2").arg(
        key, FromFileName(file).replace(QLatin1Char('&'), QStringLiteral("&&"))));
    action->setObjectName(QStringLiteral("RecentFile%1").arg(number));
    connect(action, &QAction::triggered, this, [this, file] {
      RunGuarded(this, [&] { OpenRecentFile(file); });
      FocusEditor();
    });
    ++number;
  }
  if (files.empty()) {
    QAction* none = Recent1->addAction(QStringLiteral("（无）"));
    none->setEnabled(false);
  }
}

void TFAsmEd::OpenRecentFile(const std::string& file_name) {
  if (access(file_name.c_str(), F_OK) != 0) {
    ShowInfoMessage(QStringLiteral("%1\r\n\r\n这个文件已经不存在，已从最近打开的文件中删除。")
                        .arg(FromFileName(file_name)));
    try {
      RemoveRecentFile(SettingsDirectory, file_name);
    } catch (const EIniFileError&) {
    }
    return;
  }
  if (!MayDiscardText()) {
    return;
  }
  if (OpenFile(file_name)) {
    Memo1->clear();
  }
}

}  // namespace torvane
