// Recovery end to end: this test program starts itself again as a child that
// runs the main window, opens a file and types; the child is killed with
// SIGKILL once its record is on disk; a new window here offers the record and
// recovers the text, line breaks and name exactly.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <iostream>
#include <thread>

#include "app/main_window.h"
#include "app/recovery_keeper.h"
#include "document/control/src_editor.h"
#include "platform/codepage.h"
#include "platform/file_access.h"
#include "recovery/record_store.h"
#include "tests/support/scripted_dialogs.h"

namespace torvane {
namespace {

const QStringList kAnswers = {QStringLiteral("恢复"), QStringLiteral("放弃"),
                              QStringLiteral("以后再说")};

// Types through the editor's command path; '\n' is Enter.
void Type(TSrcEditor& editor, const QString& text) {
  for (const QChar c : text) {
    if (c == QLatin1Char('\n')) {
      editor.ProcessCommand(ecLineBreak);
      continue;
    }
    std::string bytes = EncodeText(QString(c));
    if (bytes.size() == 1) {
      editor.ProcessCommand(ecChar, bytes[0]);
    } else {
      editor.ProcessCommand(ecImeStr, 0, &bytes);
    }
  }
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The child's part. It runs only when the end-to-end tests start this program
// with TORVANE_RECOVERY_CHILD set.
TEST(RecoveryChild, Run) {
  const std::string mode = Env("TORVANE_RECOVERY_CHILD");
  if (mode.empty()) {
    GTEST_SKIP() << "the end-to-end tests' child; not run on its own";
  }
  if (!Env("RC_FSIZE").empty()) {
    // A file size limit: writes past it fail (EFBIG) instead of a signal.
    signal(SIGXFSZ, SIG_IGN);
    const rlim_t limit = std::stoul(Env("RC_FSIZE"));
    const rlimit r{limit, limit};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &r), 0);
  }
  // The test main gave this run a state folder of its own; the parent's is
  // the one that counts.
  setenv("XDG_STATE_HOME", Env("RC_STATE").c_str(), 1);
  TScriptedDialogs dialogs;
  TFAsmEd window;
  window.show();
  if (!Env("RC_FILE").empty()) {
    ASSERT_TRUE(window.OpenNamedFile(Env("RC_FILE")));
  }
  TSrcEditor& editor = *window.SrcEditor1;
  editor.ProcessCommand(ecEditorBottom);
  Type(editor, QString::fromUtf8(Env("RC_TYPE").c_str()));
  std::cout << "TYPED" << std::endl;
  if (mode != "full") {
    for (;;) {
      QTest::qWait(100);  // until killed
    }
  }
  // A full state folder: told once, editing goes on.
  const QString told = QStringLiteral("恢复记录已停用");
  QTRY_VERIFY_WITH_TIMEOUT(window.Memo1->toPlainText().contains(told), 10000);
  EXPECT_FALSE(RecoveryKeeperOf(window)->Working());
  Type(editor, QStringLiteral("\nmore"));
  QTest::qWait(2 * TRecoveryKeeper::kDelayMs);
  RecoveryKeeperOf(window)->UpdateNow();
  EXPECT_EQ(window.Memo1->toPlainText().count(told), 1);
  EXPECT_TRUE(editor.Model().Lines().GetAllText().ends_with("\r\nmore"));
  window.S1Click();  // saving does not depend on the records
  EXPECT_FALSE(editor.Modified());
}

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    old_ = had_ ? old : "";
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

class RecoveryEndToEnd : public ::testing::Test {
 protected:
  std::string Dir() const { return dir_.path().toStdString(); }
  std::string State() const { return Dir() + "/state"; }
  std::string Folder() const { return State() + "/torvane/recovery"; }
  std::string Get(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, &bytes)) << path;
    return bytes;
  }
  void Put(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(WriteFileSafely(path, bytes)) << path;
  }
  std::vector<std::string> Records() const {
    std::vector<std::string> names;
    for (const QString& name :
         QDir(QString::fromStdString(Folder())).entryList({QStringLiteral("*.rec")}, QDir::Files)) {
      names.push_back(Folder() + "/" + name.toStdString());
    }
    return names;
  }

  // Starts the child: it opens `file` (if any) in code page `page` and types.
  std::unique_ptr<QProcess> Start(const std::string& mode, const std::string& file,
                                  const QString& typed, const char* page = "UTF-8",
                                  const std::string& fsize = "") {
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TORVANE_RECOVERY_CHILD"), QString::fromStdString(mode));
    env.insert(QStringLiteral("RC_STATE"), QString::fromStdString(State()));
    env.insert(QStringLiteral("RC_FILE"), QString::fromStdString(file));
    env.insert(QStringLiteral("RC_TYPE"), typed);
    env.insert(QStringLiteral("RC_FSIZE"), QString::fromStdString(fsize));
    env.insert(QStringLiteral("TORVANE_CODEPAGE"), QString::fromLatin1(page));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child->setProcessEnvironment(env);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=RecoveryChild.Run")});
    EXPECT_TRUE(child->waitForStarted(10000));
    return child;
  }
  // Waits for the child to have typed.
  void WaitTyped(QProcess& child) {
    QByteArray out;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!out.contains("TYPED") && std::chrono::steady_clock::now() < until &&
           child.state() == QProcess::Running) {
      child.waitForReadyRead(100);
      out += child.readAllStandardOutput();
    }
    ASSERT_TRUE(out.contains("TYPED")) << out.toStdString();
  }
  // Waits until a record holding exactly `text` is on disk.
  bool WaitForRecord(const std::string& text) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < until) {
      for (const std::string& path : Records()) {
        if (auto record = ReadRecordFile(path); record && record->text == text) {
          return true;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  static void KillHard(QProcess& child) {
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    child.waitForFinished(10000);
  }
  // Types in a child, waits for its record, kills it.
  void TypeAndKill(const std::string& file, const QString& typed, const std::string& expected,
                   const char* page = "UTF-8") {
    auto child = Start("type", file, typed, page);
    WaitTyped(*child);
    EXPECT_TRUE(WaitForRecord(expected)) << "no record of the typed text";
    KillHard(*child);
  }

  QTemporaryDir dir_;
  TScriptedDialogs dialogs_;
};

// Named files in UTF-8 (CR LF) and GBK (LF, no final break, the file changed
// on disk after the crash): the question comes when the file is opened, the
// file stays untouched until a save, which then writes the exact bytes.
TEST_F(RecoveryEndToEnd, NamedFilesRecoverExactly) {
  struct Case {
    const char* page;
    std::string original;
    QString typed;
    std::string expected;
    bool change_on_disk;
  };
  const CodePage gbk = CodePage::FromName("GBK");
  const std::vector<Case> cases = {
      {"UTF-8", "; 中文\r\nmov eax, 1\r\n", QStringLiteral("中文x\n; 尾"),
       "; 中文\r\nmov eax, 1中文x\r\n; 尾\r\n", false},
      {"GBK", gbk.Encode(QStringLiteral("; 中文\nmov eax, 1")), QStringLiteral(" ; 汉字"),
       gbk.Encode(QStringLiteral("; 中文\nmov eax, 1 ; 汉字")), true},
  };
  const ScopedEnv state("XDG_STATE_HOME", State());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    const std::string file = Dir() + "/prog-" + c.page + ".asm";
    Put(file, c.original);
    TypeAndKill(file, c.typed, c.expected, c.page);
    const std::string on_disk = c.change_on_disk ? c.original + "\n; elsewhere\n" : c.original;
    if (c.change_on_disk) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      Put(file, on_disk);
    }
    const ScopedCodePage page(c.page);
    dialogs_.message_answers = {mrYes};
    const std::size_t asked = dialogs_.messages.size();
    TFAsmEd window;
    ASSERT_TRUE(window.OpenNamedFile(file));
    ASSERT_EQ(dialogs_.messages.size(), asked + 1);
    const TMessageRequest& question = dialogs_.messages.back();
    EXPECT_EQ(question.captions, kAnswers);
    EXPECT_EQ(question.buttons, TMsgButtons::YesNoCancel);
    EXPECT_EQ(question.text.contains(QStringLiteral("已在磁盘上被改动")), c.change_on_disk);
    EXPECT_TRUE(window.SrcEditor1->Modified());
    EXPECT_EQ(window.CurrentFileName(), file);
    EXPECT_EQ(Get(file), on_disk) << "recovering writes nothing";
    window.S1Click();
    EXPECT_EQ(Get(file), c.expected);
    RecoveryKeeperOf(window)->UpdateNow();
    EXPECT_TRUE(Records().empty()) << "a save removes the record";
  }
}

// An unnamed document is offered at start-up; a named one whose file has
// gone comes back as a new document with the old name. 以后再说 (Escape)
// keeps a record for later, 放弃 removes it.
TEST_F(RecoveryEndToEnd, UnnamedAndVanishedFilesAtStartUp) {
  const ScopedEnv state("XDG_STATE_HOME", State());
  TypeAndKill("", QStringLiteral("abc\ndef"), "abc\ndef\n");
  const std::string gone = Dir() + "/gone.asm";
  Put(gone, "old\n");
  TypeAndKill(gone, QStringLiteral(" new"), "old new\n");
  ASSERT_EQ(Records().size(), 2u);
  ASSERT_EQ(unlink(gone.c_str()), 0);
  {
    // Both are asked about; both kept.
    dialogs_.message_answers = {mrCancel, mrCancel};
    TFAsmEd window;
    RecoveryKeeperOf(window)->OfferAtStart();
    EXPECT_TRUE(dialogs_.message_answers.empty());
    EXPECT_FALSE(window.SrcEditor1->Modified());
    EXPECT_EQ(Records().size(), 2u);
  }
  {
    // Newest first: the vanished file's record, recovered as a new document.
    dialogs_.message_answers = {mrYes};
    TFAsmEd window;
    RecoveryKeeperOf(window)->OfferAtStart();
    EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("已不存在")));
    EXPECT_TRUE(window.SrcEditor1->Modified());
    EXPECT_EQ(window.CurrentFileName(), gone);
    window.S1Click();
    EXPECT_EQ(Get(gone), "old new\n");
    RecoveryKeeperOf(window)->UpdateNow();
  }
  {
    // The unnamed one: 放弃 removes it.
    dialogs_.message_answers = {mrNo};
    TFAsmEd window;
    RecoveryKeeperOf(window)->OfferAtStart();
    EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("未命名")));
    EXPECT_FALSE(window.SrcEditor1->Modified());
    EXPECT_TRUE(Records().empty());
  }
  // Recovered unnamed text saves as a new document does (LF, final break).
  TypeAndKill("", QStringLiteral("x\ny"), "x\ny\n");
  dialogs_.message_answers = {mrYes};
  TFAsmEd window;
  RecoveryKeeperOf(window)->OfferAtStart();
  EXPECT_EQ(window.CurrentFileName(), "");
  dialogs_.file_answers = {QString::fromStdString(Dir() + "/saved.asm")};
  window.S1Click();
  EXPECT_EQ(Get(Dir() + "/saved.asm"), "x\ny\n");
}

// A 1,000,000-line file edited at its end comes back whole.
TEST_F(RecoveryEndToEnd, MillionLineFile) {
  const ScopedEnv state("XDG_STATE_HOME", State());
  std::string original;
  original.reserve(12'000'000);
  for (int i = 0; i < 1'000'000; ++i) {
    original += "mov eax, " + std::to_string(i) + "\n";
  }
  const std::string file = Dir() + "/big.asm";
  Put(file, original);
  std::string expected = original;
  expected.insert(expected.size() - 1, " ; end");
  TypeAndKill(file, QStringLiteral(" ; end"), expected);
  dialogs_.message_answers = {mrYes};
  TFAsmEd window;
  ASSERT_TRUE(window.OpenNamedFile(file));
  EXPECT_EQ(window.SrcEditor1->Lines().LineCount(), 1'000'000);
  EXPECT_EQ(window.SrcEditor1->Lines().GetLine(999'999), "mov eax, 999999 ; end");
  window.S1Click();
  EXPECT_TRUE(Get(file) == expected);
}

// A second program opening a file a live one edits is told which process
// has it, and goes on.
TEST_F(RecoveryEndToEnd, SecondProgramIsToldWhoEdits) {
  const ScopedEnv state("XDG_STATE_HOME", State());
  const std::string file = Dir() + "/shared.asm";
  Put(file, "nop\n");
  auto first = Start("type", file, QStringLiteral("x"));
  WaitTyped(*first);
  TFAsmEd window;
  ASSERT_TRUE(window.OpenNamedFile(file));
  ASSERT_FALSE(dialogs_.messages.empty());
  EXPECT_TRUE(dialogs_.LastMessage().contains(QString::number(first->processId())))
      << dialogs_.LastMessage().toStdString();
  EXPECT_EQ(dialogs_.messages.back().buttons, TMsgButtons::Ok);
  Type(*window.SrcEditor1, QStringLiteral("y"));
  RecoveryKeeperOf(window)->UpdateNow();
  EXPECT_EQ(ReadRecordFile(RecoveryKeeperOf(window)->RecordPath())->text, "ynop\n");
  KillHard(*first);
}

// A full state folder (a file size limit below the record's size): editing
// and saving go on and the pane says once that recovery is off.
TEST_F(RecoveryEndToEnd, FullFolderKeepsEditing) {
  const std::string file = Dir() + "/limit.asm";
  Put(file, std::string(3000, ';') + "\n");
  auto child = Start("full", file, QStringLiteral("x"), "UTF-8", "3150");
  ASSERT_TRUE(child->waitForFinished(120000));
  EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardOutput().toStdString();
  EXPECT_TRUE(Get(file).ends_with("x\nmore\n")) << "the save went through";
}

// An unwritable state folder: told once at the first change, editing goes on.
TEST_F(RecoveryEndToEnd, UnwritableFolderIsToldOnce) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "root writes through any folder's permissions; the file size limit test "
                    "covers a folder that cannot take a record";
  }
  ASSERT_EQ(mkdir(State().c_str(), 0500), 0);
  const ScopedEnv state("XDG_STATE_HOME", State());
  TFAsmEd window;
  Type(*window.SrcEditor1, QStringLiteral("abc"));
  RecoveryKeeperOf(window)->UpdateNow();
  Type(*window.SrcEditor1, QStringLiteral("d"));
  RecoveryKeeperOf(window)->UpdateNow();
  EXPECT_EQ(window.Memo1->toPlainText().count(QStringLiteral("恢复记录已停用")), 1);
  EXPECT_EQ(window.SrcEditor1->Lines().GetAllText(), "abcd");
  chmod(State().c_str(), 0700);
}

}  // namespace
}  // namespace torvane
