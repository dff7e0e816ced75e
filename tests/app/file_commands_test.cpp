// The File and 编辑 menus' additions end to end: undo, redo and the clipboard
// from the menu and the keys, 另存为…, 最近打开的文件 in [Recent], a command-line
// name with no file yet, where the Open dialog starts, and the question before
// opening a file that looks binary.
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

#include "app/main_window.h"
#include "app/recent_files.h"
#include "app_fixture.h"

namespace torvane {
namespace {

class FileCommandsTest : public WindowTest {
 protected:
  TSrcEditor& Editor() { return *window_->SrcEditor1; }
  QString Text() { return EditorText(Editor()); }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window_->SrcEditor1, static_cast<Qt::Key>(key), modifiers);
  }
  void OpenThroughMenu(const std::string& path) {
    dialogs_.file_answers.push_back(QString::fromStdString(path));
    window_->O2->trigger();
  }
  QString TitleOf(const std::string& path) {
    return QStringLiteral("Torvane-2011-11 [%1]").arg(QString::fromStdString(path));
  }
  // The recent-file items as the menu shows them when it opens.
  QStringList RecentItems() {
    emit window_->Recent1->aboutToShow();
    return Captions(window_->Recent1);
  }
  QAction* RecentItem(int number) {
    emit window_->Recent1->aboutToShow();
    return window_->Recent1->findChild<QAction*>(QStringLiteral("RecentFile%1").arg(number));
  }
};

TEST_F(FileCommandsTest, EditMenuTopRunsTheEditorsCommandsAndShowsTheirKeys) {
  QStringList items;
  for (const QAction* action : window_->E1->actions()) {
    items << (action->isSeparator() ? QStringLiteral("-")
                                    : action->text() + "|" + action->shortcut().toString());
  }
  EXPECT_EQ(items.mid(0, 10),
            (QStringList{"撤销(&U)|Ctrl+Z", "重做(&R)|Ctrl+Shift+Z", "-", "剪切(&T)|Ctrl+X",
                         "复制(&C)|Ctrl+C", "粘贴(&P)|Ctrl+V", "全选(&A)|Ctrl+A", "-",
                         "查找|Ctrl+F", "查找下一个|F3"}));

  TypeText(Editor(), QStringLiteral("mov ax, 1"));
  window_->SelectAll1->trigger();
  window_->Copy1->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("mov ax, 1"));
  window_->Cut1->trigger();
  EXPECT_EQ(Text(), QString());
  window_->Undo1->trigger();
  EXPECT_EQ(Text(), QStringLiteral("mov ax, 1"));
  window_->Redo1->trigger();
  EXPECT_EQ(Text(), QString());
  window_->Paste1->trigger();
  window_->Paste1->trigger();
  EXPECT_EQ(Text(), QStringLiteral("mov ax, 1mov ax, 1"));
  EXPECT_TRUE(Editor().hasFocus());

  // The keys run once, through the editor's key table: one Ctrl+Z takes
  // back the cut only, not the paste before it as well.
  Key(Qt::Key_A, Qt::ControlModifier);
  Key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(Text(), QString());
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Text(), QStringLiteral("mov ax, 1mov ax, 1"));
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Text(), QString());
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Text(), QStringLiteral("mov ax, 1mov ax, 1"));
}

TEST_F(FileCommandsTest, SaveAsWritesTheNewNameWhichTitleAndAssemblyFollow) {
  Put(Path("a.asm"), "nop\n");
  OpenThroughMenu(Path("a.asm"));
  TypeText(Editor(), QStringLiteral("hlt "));
  // Cancelled: nothing changes.
  dialogs_.file_answers.push_back(std::nullopt);
  window_->SaveAs1->trigger();
  EXPECT_TRUE(Editor().Modified());
  EXPECT_EQ(window_->CurrentFileName(), Path("a.asm"));
  ASSERT_EQ(dialogs_.file_requests.size(), 2u);
  EXPECT_TRUE(dialogs_.file_requests[1].save);
  EXPECT_EQ(dialogs_.file_requests[1].file_name, QPath("a.asm"));  // starts at the file

  window_->SetAssemblySource(Path("main.asm"));  // as after a message of an include
  dialogs_.file_answers.push_back(QPath("b.asm"));
  window_->SaveAsKey->trigger();
  EXPECT_EQ(Get(Path("b.asm")), "hlt nop\n");
  EXPECT_EQ(Get(Path("a.asm")), "nop\n");
  EXPECT_FALSE(Editor().Modified());
  EXPECT_EQ(window_->CurrentFileName(), Path("b.asm"));
  EXPECT_EQ(window_->AssemblySource(), Path("b.asm"));
  EXPECT_EQ(window_->windowTitle(), TitleOf(Path("b.asm")));
  // Save goes on writing the new name, without a dialog.
  TypeText(Editor(), QStringLiteral("x"));
  window_->S1->trigger();
  EXPECT_EQ(Get(Path("b.asm")), "hlt xnop\n");
  EXPECT_EQ(Get(Path("a.asm")), "nop\n");
  EXPECT_TRUE(Editor().hasFocus());

  // An unnamed document gets a name and a title too.
  window_->N1->trigger();
  TypeText(Editor(), QStringLiteral("ret"));
  dialogs_.file_answers.push_back(QPath("c.asm"));
  window_->SaveAs1->trigger();
  EXPECT_EQ(Get(Path("c.asm")), "ret\n");
  EXPECT_EQ(window_->windowTitle(), TitleOf(Path("c.asm")));
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(FileCommandsTest, RecentFilesAreKeptInTheirOwnSectionAndReopenedAfterTheQuestion) {
  const std::string others =
      "; mine\r\n[Options]\r\nComplier=/usr/bin/nasm\r\n\r\n[View]\r\nWordWrap=0\r\n";
  Put(Path("torvane.ini"), others);
  CloseWindow();
  StartWindow();
  EXPECT_EQ(RecentItems(), QStringList{"（无）"});
  ASSERT_EQ(mkdir(Path("a & b").c_str(), 0755), 0);
  for (const char* name : {"one.asm", "two.asm", "a & b/three.asm"}) {
    Put(Path(name), std::string("; ") + name + "\n");
    OpenThroughMenu(Path(name));
  }
  OpenThroughMenu(Path("one.asm"));  // once, and first again
  EXPECT_EQ(Get(Path("torvane.ini")), others + "[Recent]\r\nFile1=" + Path("one.asm") +
                                          "\r\nFile2=" + Path("a & b/three.asm") +
                                          "\r\nFile3=" + Path("two.asm") + "\r\n");
  EXPECT_EQ(RecentItems(), (QStringList{"&1 " + QPath("one.asm"), "&2 " + QPath("a && b/three.asm"),
                                        "&3 " + QPath("two.asm")}));

  // Opening one asks about the changes first; Escape keeps the text.
  TypeText(Editor(), QStringLiteral("x"));
  dialogs_.message_answers.push_back(mrCancel);
  RecentItem(3)->trigger();
  EXPECT_EQ(window_->CurrentFileName(), Path("one.asm"));
  dialogs_.message_answers.push_back(mrNo);
  RecentItem(3)->trigger();
  EXPECT_EQ(Questions(kDiscardQuestion), 2);
  EXPECT_EQ(window_->CurrentFileName(), Path("two.asm"));
  EXPECT_EQ(Text(), QStringLiteral("; two.asm"));
  EXPECT_EQ(window_->windowTitle(), TitleOf(Path("two.asm")));
  EXPECT_EQ(ReadRecentFiles(Dir()).front(), Path("two.asm"));
  EXPECT_TRUE(Editor().hasFocus());

  // A file that has gone is said so and leaves the list; the text stays.
  ASSERT_EQ(unlink(Path("one.asm").c_str()), 0);
  RecentItem(2)->trigger();
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("已经不存在")));
  EXPECT_TRUE(dialogs_.LastMessage().contains(QPath("one.asm")));
  EXPECT_EQ(window_->CurrentFileName(), Path("two.asm"));
  EXPECT_EQ(ReadRecentFiles(Dir()),
            (std::vector<std::string>{Path("two.asm"), Path("a & b/three.asm")}));
  EXPECT_EQ(Get(Path("torvane.ini")).substr(0, others.size()), others);

  // Ten at most, newest first; saving under a name counts as well.
  for (int i = 0; i < 12; ++i) {
    const std::string name = Path("f" + std::to_string(i) + ".asm");
    Put(name, "nop\n");
    if (i % 2 == 0) {
      window_->OpenNamedFile(name);
    } else {
      dialogs_.file_answers.push_back(QString::fromStdString(name));
      window_->SaveAs1->trigger();
    }
  }
  const std::vector<std::string> recent = ReadRecentFiles(Dir());
  ASSERT_EQ(recent.size(), 10u);
  EXPECT_EQ(recent.front(), Path("f11.asm"));
  EXPECT_EQ(recent.back(), Path("f2.asm"));
  EXPECT_EQ(RecentItems().back(), "1&0 " + QPath("f2.asm"));
}

TEST_F(FileCommandsTest, RecentListSkipsWhatAnIniValueCannotHold) {
  AddRecentFile(Dir(), Path("a.asm"));
  AddRecentFile(Dir(), Path("line\nbreak.asm"));
  AddRecentFile(Dir(), Path("blank.asm "));
  AddRecentFile(Dir(), "");
  EXPECT_EQ(ReadRecentFiles(Dir()), std::vector<std::string>{Path("a.asm")});
  RemoveRecentFile(Dir(), Path("a.asm"));
  EXPECT_TRUE(ReadRecentFiles(Dir()).empty());
  EXPECT_EQ(Get(Path("torvane.ini")), "[Recent]\n");
  EXPECT_EQ(FolderOf("/a/b.asm"), "/a");
  EXPECT_EQ(FolderOf("/b.asm"), "/");
  EXPECT_EQ(FolderOf("b.asm"), "");
}

TEST_F(FileCommandsTest, ACommandLineNameWithoutFileStartsAnEmptyDocumentOfThatName) {
  const std::string path = Path("newfile.asm");
  EXPECT_TRUE(window_->OpenOrStartNamedFile(path));
  EXPECT_FALSE(Exists(path));  // nothing written until saved
  EXPECT_EQ(window_->CurrentFileName(), path);
  EXPECT_EQ(window_->windowTitle(), TitleOf(path));
  EXPECT_EQ(Text(), QString());
  EXPECT_FALSE(Editor().Modified());
  EXPECT_TRUE(dialogs_.messages.empty());
  TypeText(Editor(), QStringLiteral("org 0x7c00"));
  window_->S1->trigger();  // no dialog: the name is known
  EXPECT_EQ(Get(path), "org 0x7c00\n");
  EXPECT_TRUE(dialogs_.file_requests.empty());

  // A file that is there opens; one that cannot be read gets the open error.
  Put(Path("old.asm"), "nop\r\n");
  EXPECT_TRUE(window_->OpenOrStartNamedFile(Path("old.asm")));
  EXPECT_EQ(Text(), QStringLiteral("nop"));
  ASSERT_EQ(mkdir(Path("folder.asm").c_str(), 0755), 0);
  EXPECT_FALSE(window_->OpenOrStartNamedFile(Path("folder.asm")));
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("文档打开时出错")));
  EXPECT_EQ(window_->CurrentFileName(), Path("old.asm"));
}

TEST_F(FileCommandsTest, OpenDialogStartsInTheCurrentFilesFolderOrTheLastOneUsed) {
  ASSERT_EQ(mkdir(Path("src").c_str(), 0755), 0);
  Put(Path("src/a.asm"), "nop\n");
  dialogs_.file_answers.push_back(std::nullopt);
  window_->O2->trigger();
  EXPECT_EQ(dialogs_.file_requests.back().initial_dir, QString());  // nothing known yet
  window_->OpenNamedFile(Path("src/a.asm"));
  dialogs_.file_answers.push_back(std::nullopt);
  window_->O2->trigger();
  EXPECT_EQ(dialogs_.file_requests.back().initial_dir, QPath("src"));
  EXPECT_EQ(dialogs_.file_requests.back().file_name, QString());
  EXPECT_EQ(dialogs_.file_requests.back().title, QStringLiteral("打开汇编语言源程序文件"));
  window_->N1->trigger();  // unnamed: the last folder used
  dialogs_.file_answers.push_back(QPath("src/a.asm"));
  window_->O2->trigger();
  EXPECT_EQ(dialogs_.file_requests.back().initial_dir, QPath("src"));
  EXPECT_EQ(window_->CurrentFileName(), Path("src/a.asm"));
  EXPECT_EQ(window_->Memo1->toPlainText(), QString());
}

TEST_F(FileCommandsTest, AFileThatLooksBinaryIsOpenedOnlyWhenTheUserSaysSo) {
  std::string bytes(9000, 'a');
  bytes[8191] = '\0';  // the last byte looked at
  Put(Path("boot.bin"), bytes);
  Put(Path("late.asm"), std::string(8192, 'b') + '\0' + "\n");  // beyond the first 8 KB
  Put(Path("a.asm"), "nop\n");
  OpenThroughMenu(Path("a.asm"));
  dialogs_.message_answers.push_back(mrNo);
  OpenThroughMenu(Path("boot.bin"));
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_TRUE(dialogs_.messages[0].text.contains(QStringLiteral("NUL")));
  EXPECT_EQ(dialogs_.messages[0].buttons, TMsgButtons::YesNo);
  EXPECT_EQ(window_->CurrentFileName(), Path("a.asm"));
  EXPECT_EQ(Text(), QStringLiteral("nop"));
  dialogs_.message_answers.push_back(mrYes);
  OpenThroughMenu(Path("boot.bin"));
  EXPECT_EQ(window_->CurrentFileName(), Path("boot.bin"));
  EXPECT_EQ(Editor().Model().Lines().GetAllText().size(), bytes.size());
  OpenThroughMenu(Path("late.asm"));  // no question
  EXPECT_EQ(dialogs_.messages.size(), 2u);
  EXPECT_EQ(window_->CurrentFileName(), Path("late.asm"));
}

}  // namespace
}  // namespace torvane
