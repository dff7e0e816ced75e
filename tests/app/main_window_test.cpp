// The main window: layout and captions, title rules, New/Open/Save/Exit, the
// close prompt in all its paths, and Assemble through the menu.
#include "app/main_window.h"

#include <sys/stat.h>

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTest>

#include "app/assembler_check.h"
#include "app/options_dialog.h"
#include "app/settings.h"
#include "app_fixture.h"
#include "editor/word_wrap_plugin.h"
#include "platform/ini_file.h"
#include "tests/support/small_filesystem.h"

namespace torvane {
namespace {

const QString kTitle = QStringLiteral("Torvane-2011-11");

class MainWindowTest : public AppTest {
 protected:
  void SetUp() override {
    window_ = std::make_unique<TFAsmEd>();
    window_->show();
  }
  void TearDown() override {
    // Leave without questions whatever state the test left behind.
    window_->SrcEditor1->SetModified(false);
    window_.reset();
  }
  void Type(const QString& text) { TypeText(*window_->SrcEditor1, text); }
  void Enter() { window_->SrcEditor1->ProcessCommand(ecLineBreak); }
  QString Text() const { return EditorText(*window_->SrcEditor1); }
  QString Pane() const { return window_->Memo1->toPlainText(); }
  // Opens a file through the menu with the dialog answering path.
  void OpenThroughMenu(const std::string& path) {
    dialogs_.file_answers.push_back(QString::fromStdString(path));
    window_->O2->trigger();
  }
  std::unique_ptr<TFAsmEd> window_;
};

TEST_F(MainWindowTest, StartsWithTheDesignedLayoutAndMenus) {
  EXPECT_EQ(window_->windowTitle(), kTitle);
  EXPECT_EQ(window_->CurrentFileName(), "");
  EXPECT_EQ(window_->AssemblerPath(), "");
  EXPECT_EQ(SettingsDirectory, Dir());
  EXPECT_FALSE(Exists(Path("torvane.ini")));  // reading creates nothing

  QStringList menus;
  for (const QAction* action : window_->menuBar()->actions()) {
    menus << action->text();
  }
  EXPECT_EQ(menus,
            (QStringList{"文件(&F)", "选项(&O)", "编辑(&E)", "查看(&V)", "运行(&R)", "说明(&H)"}));
  // The described captions as they are, with 另存为… and 最近打开的文件 added.
  EXPECT_EQ(Captions(window_->F1),
            (QStringList{"新建源程序(&N)", "打开源程序(&O)", "保存(&S)", "另存为(&A)…", "-",
                         "编译本文档(&C)", "-", "最近打开的文件(&R)", "-", "退出(&X)"}));
  EXPECT_EQ(Captions(window_->O1), QStringList{"编译环境设置(&V)"});
  EXPECT_EQ(Captions(window_->H1), QStringList{"关于&Torvane"});
  // The File menu shows the window's keys; they stay the window's actions'.
  QStringList keys;
  for (const QAction* action : window_->F1->actions()) {
    keys << action->shortcut().toString();
    EXPECT_TRUE(action->shortcut().isEmpty() || action->shortcutContext() == Qt::WidgetShortcut);
  }
  EXPECT_EQ(keys, (QStringList{"", "Ctrl+O", "Ctrl+S", "Ctrl+Shift+S", "", "F9", "", "", "", ""}));
  for (const QMenu* menu : {window_->O1, window_->H1}) {
    for (const QAction* action : menu->actions()) {
      EXPECT_TRUE(action->shortcut().isEmpty());
    }
  }

  EXPECT_EQ(window_->Splitter1->orientation(), Qt::Vertical);
  EXPECT_EQ(window_->Splitter1->handleWidth(), 3);
  EXPECT_EQ(window_->Splitter1->widget(0), window_->SrcEditor1);
  EXPECT_EQ(window_->Splitter1->widget(1), window_->Memo1);
  EXPECT_EQ(window_->Memo1->height(), 89);
  EXPECT_TRUE(window_->Memo1->isReadOnly());
  EXPECT_EQ(window_->Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(window_->Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(window_->OpenDialog1.Title, QStringLiteral("打开汇编语言源程序文件"));
  EXPECT_EQ(window_->SaveDialog1.Title, QStringLiteral("保存汇编语言源程序文件"));
  EXPECT_EQ(ToNameFilters(window_->OpenDialog1.Filter),
            (QStringList{QStringLiteral("汇编语言源程序 (*.asm *.nasm *.inc *.s)"),
                         QStringLiteral("所有文件 (*)")}));
  EXPECT_EQ(window_->SaveDialog1.Filter, window_->OpenDialog1.Filter);
  EXPECT_EQ(window_->SaveDialog1.DefaultExt, QStringLiteral("*.asm"));
}

TEST_F(MainWindowTest, WordWrapStartsOffAndOneSwitchTurnsItOnFully) {
  TSrcEditor& editor = *window_->SrcEditor1;
  EXPECT_FALSE(editor.WordWrap().Enabled());
  EXPECT_EQ(editor.WordWrap().Position(), 80);
  EXPECT_EQ(editor.WordWrap().Style(), wwsClientWidth);
  EXPECT_FALSE(editor.Model().WordWrapActive());
  const QString long_line = QStringLiteral("mov eax, ebx ; ") + QString(150, QChar('x'));
  Type(long_line);
  Enter();
  Type(QStringLiteral("db \"中文\", 0"));
  EXPECT_EQ(editor.Model().Mapping().DisplayRowCount(), 2);

  editor.WordWrap().SetEnabled(true);
  const TSrcWordWrapPlugin* layout = editor.Model().WordWrapLayout();
  ASSERT_NE(layout, nullptr);
  const int columns = editor.VisibleColumns();
  EXPECT_EQ(layout->MaxRowLength(), columns);
  EXPECT_GT(editor.Model().Mapping().DisplayRowCount(), 2);
  for (const int cells : layout->RowsOfLine(0)) {
    EXPECT_LE(cells, columns);
  }
  EXPECT_EQ(editor.FirstVisibleColumn(), 1);
  // Typing, undoing and resizing keep the rows those of a fresh layout.
  editor.ProcessCommand(ecEditorTop);
  Type(QStringLiteral("; "));
  editor.ProcessCommand(ecUndo);
  window_->resize(window_->width() - 120, window_->height());
  QApplication::processEvents();
  EXPECT_EQ(layout->MaxRowLength(), editor.VisibleColumns());
  EXPECT_EQ(layout->Dump(), TSrcWordWrapPlugin(&editor.Model()).Dump());
  EXPECT_FALSE(window_->grab().isNull());  // a full paint with wrapped rows
  EXPECT_EQ(Text(), long_line + QStringLiteral("\ndb \"中文\", 0"));
}

TEST_F(MainWindowTest, StartUpReadsTheAssemblerPathOfTheCurrentDirectory) {
  Put(Path("torvane.ini"), "[Options]\r\nComplier=/opt/my tools/nasm\r\n");
  TFAsmEd second;
  EXPECT_EQ(second.AssemblerPath(), "/opt/my tools/nasm");
  // Another start-up directory, another settings file.
  ASSERT_EQ(mkdir(Path("other").c_str(), 0755), 0);
  QDir::setCurrent(QPath("other"));
  TFAsmEd third;
  EXPECT_EQ(third.AssemblerPath(), "");
  EXPECT_EQ(SettingsDirectory, Path("other"));
}

TEST_F(MainWindowTest, OpenSetsNameTitleAndClearsThePane) {
  const std::string path = Path("my files/a.asm");
  ASSERT_EQ(mkdir(Path("my files").c_str(), 0755), 0);
  Put(path, "mov ax, 1\r\nint 0x21\r\n");
  window_->Memo1->setPlainText(QStringLiteral("old output"));
  OpenThroughMenu(path);
  EXPECT_EQ(window_->CurrentFileName(), path);
  EXPECT_EQ(window_->windowTitle(), kTitle + " [" + QString::fromStdString(path) + "]");
  EXPECT_EQ(Text(), QStringLiteral("mov ax, 1\nint 0x21"));
  EXPECT_EQ(Pane(), QString());
  EXPECT_FALSE(window_->SrcEditor1->Modified());
  ASSERT_EQ(dialogs_.file_requests.size(), 1u);
  EXPECT_EQ(dialogs_.file_requests[0].title, QStringLiteral("打开汇编语言源程序文件"));
  EXPECT_FALSE(dialogs_.file_requests[0].save);
}

TEST_F(MainWindowTest, CancelledOrFailedOpenChangesNothing) {
  Put(Path("a.asm"), "nop\n");
  OpenThroughMenu(Path("a.asm"));
  Type(QStringLiteral("x"));
  window_->Memo1->setPlainText(QStringLiteral("output"));
  const QString title = window_->windowTitle();

  // The question about the changes is answered No each time; the text
  // stays all the same.
  dialogs_.message_answers.push_back(mrNo);
  dialogs_.file_answers.push_back(std::nullopt);
  window_->O2->trigger();
  dialogs_.message_answers.push_back(mrNo);
  OpenThroughMenu(Path("missing.asm"));
  EXPECT_EQ(window_->windowTitle(), title);
  EXPECT_EQ(window_->CurrentFileName(), Path("a.asm"));
  EXPECT_EQ(Pane(), QStringLiteral("output"));
  EXPECT_EQ(Text(), QStringLiteral("xnop"));
  EXPECT_TRUE(window_->SrcEditor1->Modified());
  EXPECT_EQ(
      dialogs_.LastMessage(),
      QString::fromStdString(Path("missing.asm")) +
          QStringLiteral(" 文档打开时出错\r\n\r\n可能该文档不存在或被其它程序以独占方式打开！"));
}

TEST_F(MainWindowTest, SaveOfAnUnnamedDocumentAsksForANameAndKeepsTheTitle) {
  Type(QStringLiteral("db 1"));
  window_->Memo1->setPlainText(QStringLiteral("output"));
  dialogs_.file_answers.push_back(std::nullopt);  // cancelled: still unnamed and modified
  window_->S1->trigger();
  EXPECT_EQ(window_->CurrentFileName(), "");
  EXPECT_TRUE(window_->SrcEditor1->Modified());

  dialogs_.file_answers.push_back(QPath("new.asm"));  // asked again
  window_->S1->trigger();
  EXPECT_EQ(dialogs_.file_requests.size(), 2u);
  EXPECT_EQ(dialogs_.file_requests[1].title, QStringLiteral("保存汇编语言源程序文件"));
  EXPECT_TRUE(dialogs_.file_requests[1].save);
  EXPECT_EQ(window_->CurrentFileName(), Path("new.asm"));
  EXPECT_EQ(window_->windowTitle(), kTitle);
  EXPECT_FALSE(window_->SrcEditor1->Modified());
  EXPECT_EQ(Pane(), QStringLiteral("output"));  // not cleared in this branch
  EXPECT_EQ(Get(Path("new.asm")), "db 1\n");    // a new document has LF breaks, one at the end

  // A named document saves without a dialog and clears the pane.
  Enter();
  Type(QStringLiteral("db 2"));
  window_->S1->trigger();
  EXPECT_EQ(dialogs_.file_requests.size(), 2u);
  EXPECT_EQ(Get(Path("new.asm")), "db 1\ndb 2\n");
  EXPECT_EQ(Pane(), QString());
}

TEST_F(MainWindowTest, FailedSaveKeepsOldFileAndModifiedFlag) {
  // A read-only file stops anyone but root; for root a full disk does.
  ASSERT_EQ(mkdir(Path("disk").c_str(), 0755), 0);
  SmallFileSystem fs(Path("disk"), "size=64k");
  if (geteuid() == 0 && !fs.mounted()) {
    GTEST_SKIP() << "running as root without a way to mount a small tmpfs";
  }
  const std::string path = Path("disk/keep.asm");
  Put(path, "old\n");
  OpenThroughMenu(path);
  Type(QStringLiteral("new "));
  if (fs.mounted()) {
    fs.Fill();
  } else {
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  }
  window_->S1->trigger();
  EXPECT_EQ(Get(path), "old\n");
  EXPECT_TRUE(window_->SrcEditor1->Modified());
  EXPECT_EQ(window_->CurrentFileName(), path);
  EXPECT_EQ(dialogs_.LastMessage(),
            QString::fromStdString(path) +
                QStringLiteral(
                    " 文档保存时出错\r\n\r\n可能该文档属性是为只读被其它程序以独占方式打开！"));
  EXPECT_EQ(dialogs_.messages.back().captions, QStringList{QStringLiteral("确定(&O)")});
}

TEST_F(MainWindowTest, NewResetsEverything) {
  Put(Path("a.asm"), "nop\n");
  OpenThroughMenu(Path("a.asm"));
  window_->Memo1->setPlainText(QStringLiteral("output"));
  window_->N1->trigger();  // unmodified: nothing to ask
  EXPECT_EQ(Text(), QString());
  EXPECT_FALSE(window_->SrcEditor1->Modified());
  EXPECT_EQ(window_->CurrentFileName(), "");
  EXPECT_EQ(window_->windowTitle(), kTitle);
  EXPECT_EQ(Pane(), QString());
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_FALSE(window_->SrcEditor1->Controller().CanUndo());
}

TEST_F(MainWindowTest, NewAndOpenAskBeforeTheyDropChanges) {
  Put(Path("b.asm"), "db 2\n");
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));  // for Ctrl+O
  // New from the menu, Open from the menu and Ctrl+O; each answer.
  for (int command = 0; command < 3; ++command) {
    for (const int answer : {mrYes, mrNo, mrCancel}) {
      SCOPED_TRACE(testing::Message() << "command " << command << ", answer " << answer);
      Put(Path("a.asm"), "nop\n");
      OpenThroughMenu(Path("a.asm"));
      EXPECT_FALSE(window_->SrcEditor1->Modified());
      Type(QStringLiteral("x"));
      window_->Memo1->setPlainText(QStringLiteral("output"));
      const std::size_t asked = dialogs_.messages.size();
      dialogs_.message_answers.push_back(answer);
      if (command > 0 && answer != mrCancel) {
        dialogs_.file_answers.push_back(QPath("b.asm"));
      }
      const std::size_t file_requests = dialogs_.file_requests.size();
      if (command == 0) {
        window_->N1->trigger();
      } else if (command == 1) {
        window_->O2->trigger();
      } else {
        QTest::keyClick(window_->SrcEditor1, Qt::Key_O, Qt::ControlModifier);
      }
      ASSERT_EQ(dialogs_.messages.size(), asked + 1);
      const TMessageRequest& q = dialogs_.messages.back();
      EXPECT_EQ(q.text, kDiscardQuestion);
      EXPECT_EQ(q.caption, QStringLiteral("保存修改"));  // not the exit prompt's
      EXPECT_EQ(q.icon, TMsgIcon::Question);
      EXPECT_EQ(q.buttons, TMsgButtons::YesNo);
      EXPECT_EQ(q.captions, (QStringList{QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")}));
      EXPECT_EQ(Get(Path("a.asm")), answer == mrYes ? "xnop\n" : "nop\n");
      EXPECT_TRUE(dialogs_.file_answers.empty());
      if (answer == mrCancel) {
        // Nothing happens: no dialog, the text, its flag, name and pane stay.
        EXPECT_EQ(dialogs_.file_requests.size(), file_requests);
        EXPECT_EQ(Text(), QStringLiteral("xnop"));
        EXPECT_TRUE(window_->SrcEditor1->Modified());
        EXPECT_EQ(window_->CurrentFileName(), Path("a.asm"));
        EXPECT_EQ(Pane(), QStringLiteral("output"));
        window_->SrcEditor1->ProcessCommand(ecUndo);
        EXPECT_EQ(Text(), QStringLiteral("nop"));
        continue;
      }
      EXPECT_EQ(Text(), command == 0 ? QString() : QStringLiteral("db 2"));
      EXPECT_FALSE(window_->SrcEditor1->Modified());  // the new text is untouched
      EXPECT_EQ(window_->CurrentFileName(), command == 0 ? "" : Path("b.asm"));
      EXPECT_EQ(Pane(), QString());
    }
  }
  EXPECT_EQ(Questions(), 0);  // the exit prompt was never asked

  // Yes, but the unnamed text's save dialog is cancelled: New keeps it.
  window_->N1->trigger();
  Type(QStringLiteral("db 3"));
  dialogs_.message_answers.push_back(mrYes);
  dialogs_.file_answers.push_back(std::nullopt);
  window_->N1->trigger();
  EXPECT_EQ(Text(), QStringLiteral("db 3"));
  EXPECT_TRUE(window_->SrcEditor1->Modified());
  EXPECT_TRUE(window_->SrcEditor1->Controller().CanUndo());
}

TEST_F(MainWindowTest, ClosingAnUnmodifiedDocumentAsksNothing) {
  window_->X1->trigger();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(Questions(), 0);
}

TEST_F(MainWindowTest, ClosingAndAnsweringNoLosesTheChanges) {
  Type(QStringLiteral("db 1"));
  dialogs_.message_answers.push_back(mrNo);
  EXPECT_TRUE(window_->close());
  ASSERT_EQ(Questions(), 1);
  const TMessageRequest& q = dialogs_.messages.back();
  EXPECT_EQ(q.caption, QStringLiteral("退出系统"));
  EXPECT_EQ(q.icon, TMsgIcon::Question);
  EXPECT_EQ(q.buttons, TMsgButtons::YesNo);
  EXPECT_TRUE(dialogs_.file_requests.empty());
}

TEST_F(MainWindowTest, ClosingWithYesSavesThenCloses) {
  Type(QStringLiteral("db 1"));
  dialogs_.message_answers.push_back(mrYes);
  dialogs_.file_answers.push_back(QPath("saved.asm"));
  EXPECT_TRUE(window_->close());
  EXPECT_EQ(Get(Path("saved.asm")), "db 1\n");
}

TEST_F(MainWindowTest, ClosingWithYesButNoSaveKeepsTheWindowAndTheChanges) {
  Type(QStringLiteral("db 1"));
  // The save dialog is cancelled: the window stays, text and flag unchanged.
  dialogs_.message_answers.push_back(mrYes);
  dialogs_.file_answers.push_back(std::nullopt);
  EXPECT_FALSE(window_->close());
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(Text(), QStringLiteral("db 1"));
  EXPECT_TRUE(window_->SrcEditor1->Modified());

  // The save itself fails: the same.
  dialogs_.message_answers.push_back(mrYes);
  dialogs_.file_answers.push_back(QPath("no such dir/a.asm"));
  window_->X1->trigger();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_TRUE(window_->SrcEditor1->Modified());
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("文档保存时出错")));

  // No still closes.
  dialogs_.message_answers.push_back(mrNo);
  EXPECT_TRUE(window_->close());
  EXPECT_EQ(Questions(), 3);
}

TEST_F(MainWindowTest, AssembleOfAnUnnamedDocumentWhoseSaveIsCancelledDoesNothing) {
  Put(Path("torvane.ini"), "[Options]\nComplier=/usr/bin/nasm\n");
  TFAsmEd window;
  window.Memo1->setPlainText(QStringLiteral("before"));
  dialogs_.file_answers.push_back(std::nullopt);
  window.C1->trigger();
  EXPECT_EQ(window.Memo1->toPlainText(), QStringLiteral("before"));
  EXPECT_EQ(dialogs_.messages.size(), 0u);
}

TEST_F(MainWindowTest, AssembleSavesRunsNasmAndShowsTheResult) {
  if (access("/usr/bin/nasm", X_OK) != 0) {
    GTEST_SKIP() << "NASM is not installed";
  }
  Put(Path("torvane.ini"), "[Options]\nComplier=/usr/bin/nasm\n");
  TFAsmEd window;
  TypeText(*window.SrcEditor1, QStringLiteral("mov ax, 0x1234"));
  dialogs_.file_answers.push_back(QPath("boot.asm"));
  window.C1->trigger();
  EXPECT_EQ(window.Memo1->toPlainText(),
            QStringLiteral("编译完成：\n") +
                QString::fromStdString(Path("boot.asm") + " --> " + Path("boot.bin")));
  EXPECT_EQ(Get(Path("boot.bin")), "\xB8\x34\x12");
  EXPECT_FALSE(window.SrcEditor1->Modified());
  EXPECT_EQ(window.windowTitle(), kTitle);  // Save never changes the title
  EXPECT_FALSE(Exists(Path("boot.log")));
}

TEST_F(MainWindowTest, AssembleWithoutAnAssemblerSaysSoAndKeepsThePane) {
  Put(Path("a.asm"), "db 1\n");
  OpenThroughMenu(Path("a.asm"));
  window_->Memo1->setPlainText(QStringLiteral("before"));
  if (!NasmOnPath().empty()) {
    dialogs_.message_answers.push_back(mrNo);  // nasm from PATH declined
  }
  window_->C1->trigger();  // the save clears the pane, nothing runs
  EXPECT_TRUE(
      dialogs_.LastMessage().startsWith(QStringLiteral("还没有设置编译器（NASM）的路径。")));
  EXPECT_TRUE(dialogs_.LastMessage().contains(QStringLiteral("“选项 > 编译环境设置”")));
  EXPECT_EQ(Pane(), QString());
  EXPECT_FALSE(Exists(Path("a.log")));
  EXPECT_EQ(ReadAssemblerPath(Dir()), "");  // nothing stored
}

TEST_F(MainWindowTest, SettingsDialogIsReadAgainHoweverItCloses) {
  dialogs_.form_scripts.push_back([](QDialog& form) {
    auto& options = static_cast<TFOptions&>(form);
    EXPECT_EQ(FOptions, &options);
    options.Edit1->setText(QStringLiteral("/opt/my tools/nasm"));
    QTest::mouseClick(options.Button2, Qt::LeftButton);
    return options.result();
  });
  window_->V1->trigger();
  EXPECT_EQ(window_->AssemblerPath(), "/opt/my tools/nasm");
  EXPECT_EQ(FOptions, nullptr);

  // Closed with the title-bar button: nothing written, yet read again.
  TIniFile(Path("torvane.ini")).WriteString("Options", "Complier", "/usr/bin/nasm");
  dialogs_.form_scripts.push_back([](QDialog& form) {
    CloseWithTitleBarButton(form);
    return form.result();
  });
  window_->V1->trigger();
  EXPECT_EQ(window_->AssemblerPath(), "/usr/bin/nasm");
}

TEST_F(MainWindowTest, AboutShowsTheAboutBox) {
  dialogs_.form_scripts.push_back([](QDialog& form) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("关于Torvane"));
    return static_cast<int>(mrOk);
  });
  window_->Torvane1->trigger();
  EXPECT_EQ(dialogs_.form_titles.size(), 1u);
}

}  // namespace
}  // namespace torvane
