// Opening and saving through the main window where files are not what they
// seem: pipes and devices, names that are not valid UTF-8, files changed by
// another program, hard links, and folders we cannot write.
#include <sys/stat.h>
#include <unistd.h>

#include <QPlainTextEdit>

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
  EXPECT_EQ(Get(path), "xdb 1");
  EXPECT_FALSE(Exists(lossy));

  // Saved under a new name chosen in the dialog, then saved again.
  window_->N1->trigger();
  TypeText(Editor(), QStringLiteral("db 2"));
  const std::string other = Path("other\xFF.asm");
  Put(other, "old");
  dialogs_.file_answers.push_back(QFile::decodeName(other.c_str()));
  window_->S1->trigger();
  EXPECT_EQ(window_->CurrentFileName(), other);
  EXPECT_EQ(Get(other), "db 2");
}

}  // namespace
}  // namespace torvane
