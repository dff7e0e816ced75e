// Opening and saving through the main window where files are not what they
// seem: pipes and devices, names that are not valid UTF-8, files changed by
// another program, hard links, and folders we cannot write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QPlainTextEdit>
#include <cstdio>
#include <vector>

#include "app/main_window.h"
#include "app_fixture.h"

namespace torvane {
namespace {

QString OpenError(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path)) +
         QStringLiteral(" 文档打开时出错\r\n\r\n可能该文档不存在或被其它程序以独占方式打开！");
}

class FileSafetyTest : public AppTest {
 protected:
  void SetUp() override { window_ = std::make_unique<TFAsmEd>(); }
  void TearDown() override {
    window_->SrcEditor1->SetModified(false);
    window_.reset();
  }
  TSrcEditor& Editor() { return *window_->SrcEditor1; }
  QString Text() { return EditorText(Editor()); }
  void OpenThroughMenu(const std::string& path) {
    dialogs_.file_answers.push_back(QFile::decodeName(QByteArray::fromStdString(path)));
    window_->O2->trigger();
  }

  std::unique_ptr<TFAsmEd> window_;
};

TEST_F(FileSafetyTest, PipesDevicesAndFoldersGetTheOpenErrorAtOnce) {
  Put(Path("a.asm"), "nop\n");
  OpenThroughMenu(Path("a.asm"));
  TypeText(Editor(), QStringLiteral("x"));
  const QString title = window_->windowTitle();
  // Nobody writes to the pipe: a blocking read would hang the window here.
  ASSERT_EQ(mkfifo(Path("pipe.asm").c_str(), 0600), 0);
  for (const std::string& path : {Path("pipe.asm"), std::string("/dev/zero"), Path("")}) {
    dialogs_.message_answers.push_back(mrNo);  // the question before Open
    OpenThroughMenu(path);
    EXPECT_EQ(dialogs_.LastMessage(), OpenError(path)) << path;
    EXPECT_EQ(window_->CurrentFileName(), Path("a.asm"));
    EXPECT_EQ(window_->windowTitle(), title);
    EXPECT_EQ(Text(), QStringLiteral("xnop"));
    EXPECT_TRUE(Editor().Modified());
  }
}

TEST_F(FileSafetyTest, NamesThatAreNotUtf8AreOpenedAndSavedUnderTheirOwnBytes) {
  const std::string path = Path("bad\xFF\xFE name.asm");
  const std::string lossy = QFile::encodeName(QFile::decodeName(path.c_str())).toStdString();
  ASSERT_NE(lossy, path);
  Put(path, "db 1\r\n");
  // The dialog can only hand over the decoded (lossy) name.
  OpenThroughMenu(path);
  EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.LastMessage().toStdString();
  EXPECT_EQ(window_->CurrentFileName(), path);
  EXPECT_EQ(Text(), QStringLiteral("db 1"));
  EXPECT_TRUE(window_->windowTitle().contains(QChar(0xFFFD)));
  TypeText(Editor(), QStringLiteral("x"));
  window_->S1->trigger();
  EXPECT_EQ(Get(path), "xdb 1\r\n");
  EXPECT_FALSE(Exists(lossy));

  // Saved under a new name chosen in the dialog, then saved again.
  window_->N1->trigger();
  TypeText(Editor(), QStringLiteral("db 2"));
  const std::string other = Path("other\xFF.asm");
  Put(other, "old");
  dialogs_.file_answers.push_back(QFile::decodeName(other.c_str()));
  window_->S1->trigger();
  EXPECT_EQ(window_->CurrentFileName(), other);
  EXPECT_EQ(Get(other), "db 2\n");
}

TEST_F(FileSafetyTest, ChangesByAnotherProgramAreNotOverwrittenWithoutAsking) {
  const std::string path = Path("shared.asm");
  Put(path, "db 1");
  OpenThroughMenu(path);
  // Our own saves ask nothing.
  TypeText(Editor(), QStringLiteral("a"));
  window_->S1->trigger();
  TypeText(Editor(), QStringLiteral("b"));
  window_->S1->trigger();
  EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.LastMessage().toStdString();
  EXPECT_EQ(Get(path), "abdb 1");

  auto external_change = [&](const std::string& bytes, bool same_file) {
    if (same_file) {
      std::FILE* f = std::fopen(path.c_str(), "wb");
      ASSERT_NE(f, nullptr);
      std::fputs(bytes.c_str(), f);
      std::fclose(f);
    } else {
      Put(path, bytes);  // a new file renamed into place, as most programs save
    }
    // Only the modification time may tell: put it well apart from ours.
    const timespec times[2] = {{1500000000, 0}, {1500000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  };
  // Replaced by a new file; rewritten in place with another size; rewritten
  // in place with the same size.
  const std::vector<std::pair<std::string, bool>> changes = {
      {"theirs", false}, {"theirs, longer", true}, {"THEIRS, LONGER", true}};
  for (const auto& [bytes, same_file] : changes) {
    SCOPED_TRACE(bytes);
    TypeText(Editor(), QStringLiteral("c"));
    external_change(bytes, same_file);
    // No, or the box closed: nothing is written, the text stays modified.
    for (const int answer : {int{mrNo}, int{mrCancel}}) {
      const std::size_t asked = dialogs_.messages.size();
      dialogs_.message_answers.push_back(answer);
      window_->S1->trigger();
      ASSERT_EQ(dialogs_.messages.size(), asked + 1);
      const TMessageRequest& question = dialogs_.messages.back();
      EXPECT_EQ(question.text, DocumentChangedText(path));
      EXPECT_EQ(question.buttons, TMsgButtons::YesNo);
      EXPECT_EQ(question.captions,
                (QStringList{QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")}));
      EXPECT_EQ(Get(path), bytes);
      EXPECT_TRUE(Editor().Modified());
    }
    dialogs_.message_answers.push_back(mrYes);
    window_->S1->trigger();
    EXPECT_EQ(Get(path), EncodeText(Text()));
    EXPECT_FALSE(Editor().Modified());
    // What we wrote last is what is there: no question.
    const std::size_t asked = dialogs_.messages.size();
    window_->S1->trigger();
    EXPECT_EQ(dialogs_.messages.size(), asked);
  }
  // Assembling saves first: No there stops the command as well.
  external_change("again", false);
  dialogs_.message_answers.push_back(mrNo);
  window_->C1->trigger();
  EXPECT_EQ(Get(path), "again");
  EXPECT_FALSE(Exists(Path("shared.log")));
}

TEST_F(FileSafetyTest, HardLinkedAndReadOnlyFilesThroughTheWindow) {
  const std::string path = Path("a.asm");
  Put(path, "db 1");
  ASSERT_EQ(link(path.c_str(), Path("b.asm").c_str()), 0);
  OpenThroughMenu(path);
  TypeText(Editor(), QStringLiteral("x"));
  window_->S1->trigger();
  EXPECT_EQ(Get(Path("b.asm")), "xdb 1");  // still one file under two names
  EXPECT_FALSE(Editor().Modified());

  // Without write permission bits the file is read-only, also for root.
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  TypeText(Editor(), QStringLiteral("y"));
  window_->S1->trigger();
  EXPECT_EQ(Get(path), "xdb 1");
  EXPECT_TRUE(Editor().Modified());
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("文档保存时出错")));
}

}  // namespace
}  // namespace torvane
