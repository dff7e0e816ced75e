// 查看 > 机器码: the column's texts after a real assembly with the installed
// NASM, following edits, the switch kept in [View], the hint's text, the
// binary's size and a boot sector's overrun in the status bar, painting.
#include "app/machine_code.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "app/listing_pane.h"
#include "app/macro_expansion.h"
#include "app/main_window.h"
#include "app/status_bar.h"
#include "tests/app/app_fixture.h"

namespace torvane {
namespace {

class MachineCodeTest : public AppTest {
 protected:
  void Window(bool column_on) {
    Put(Path("torvane.ini"), std::string("[Options]\nComplier=/usr/bin/nasm\n[View]\n") +
                                 (column_on ? "MachineCode=1\nStatusBar=1\n" : ""));
    window_ = std::make_unique<TFAsmEd>();
  }
  TMachineCode& Code() { return *window_->MachineCode1; }
  std::vector<QString> Column() {
    std::vector<QString> texts;
    for (int line = 1; line <= window_->SrcEditor1->Model().LineCount(); ++line) {
      bool stale = false;
      const QString text = Code().ColumnText(line, &stale);
      texts.push_back(stale ? text + "~" : text);
    }
    return texts;
  }

  std::unique_ptr<TFAsmEd> window_;
};

TEST_F(MachineCodeTest, ColumnAfterAssemblyFollowsEditsAndTheStatusBarHasTheSize) {
  Window(true);
  EXPECT_TRUE(Code().Shown());
  EXPECT_TRUE(Code().Action()->isChecked());
  Put(Path("putc.inc"), "%macro PUTC 1\n  mov al, %1\n  int 0x10\n%endmacro\n");
  Put(Path("boot.asm"),
      "        org 0x7C00\n"
      "%include \"putc.inc\"\n"
      "start:  mov ax, 0x1234\n"
      "        PUTC 'A'\n"
      "        db \"a string longer than four bytes\"\n"
      "        times 510-($-$$) db 0\n"
      "        dw 0xAA55\n");
  ASSERT_TRUE(window_->OpenNamedFile(Path("boot.asm")));
  EXPECT_EQ(window_->SrcEditor1->SideColumnWidth(), 0);  // nothing to show yet
  window_->C1Click();
  EXPECT_EQ(Column(),
            (std::vector<QString>{"", "", "7C00  B8 34 12", "7C03  B0 41 CD 10",
                                  "7C07  61 20 73 74…", "7C26  00 00 00 00…", "7DFE  55 AA"}));
  EXPECT_GT(window_->SrcEditor1->SideColumnWidth(), 0);
  EXPECT_EQ(Code().SizeText(), QStringLiteral("512 字节"));
  EXPECT_EQ(window_->StatusBar->currentMessage(), QStringLiteral("512 字节"));
  // The pane keeps its described text.
  EXPECT_TRUE(window_->Memo1->toPlainText().startsWith(QStringLiteral("编译完成：")));
  // The hint: every byte and the listing's lines.
  const QString hint = Code().HintText(4);
  EXPECT_TRUE(hint.startsWith(QStringLiteral("7C03  B0 41 CD 10"))) << hint.toStdString();
  EXPECT_TRUE(hint.contains(QStringLiteral("PUTC 'A'"))) << hint.toStdString();
  EXPECT_TRUE(Code().HintText(1).isEmpty());
  // Edits: a new line above shifts the column, typing dims the line.
  TSrcEditor& editor = *window_->SrcEditor1;
  editor.Model().SetCaretAndDeselect({1, 3});
  editor.ProcessCommand(ecLineBreak);
  EXPECT_EQ(Column()[3], QStringLiteral("7C00  B8 34 12"));
  EXPECT_EQ(Column()[2], QString());
  editor.Model().SetCaretAndDeselect({9, 5});
  TypeText(editor, QStringLiteral("inc ax ; "));
  EXPECT_EQ(Column()[4], QStringLiteral("7C03  B0 41 CD 10~"));
  editor.ProcessCommand(ecUndo);
  EXPECT_EQ(Column()[4], QStringLiteral("7C03  B0 41 CD 10"));
  // It paints (the column's background right of the gutter's own part).
  editor.resize(500, 300);
  QImage image(editor.viewport()->size(), QImage::Format_RGB32);
  editor.viewport()->render(&image);
  const int x = editor.GutterExtent() - editor.SideColumnWidth() + 1;
  EXPECT_EQ(image.pixelColor(x, editor.RowHeight() / 2), QColor(246, 246, 238));
  // Rows are drawn once and copied later: the copy must follow the line's
  // state and the font. The ink of a line's row: its darkest pixel, width.
  const auto ink = [&](int line) {
    QImage image(500, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    editor.PaintView(painter, image.rect());
    QColor darkest(246, 246, 238);
    int right = -1;
    for (int y = (line - 1) * editor.RowHeight(); y < line * editor.RowHeight(); ++y) {
      for (int x = editor.GutterExtent() - editor.SideColumnWidth(); x < editor.GutterExtent();
           ++x) {
        const QColor pixel = image.pixelColor(x, y);
        if (pixel != QColor(246, 246, 238)) {
          right = std::max(right, x);
          darkest = pixel.lightness() < darkest.lightness() ? pixel : darkest;
        }
      }
    }
    return std::make_pair(darkest, right);
  };
  const auto navy = [](QColor c) { return c.blue() > c.red() + 60 && c.red() < 90; };
  EXPECT_TRUE(navy(ink(4).first));                               // start: mov ax, 0x1234
  EXPECT_EQ(ink(3), std::make_pair(QColor(246, 246, 238), -1));  // the new empty line
  const int narrow = ink(4).second - (x - 1);
  editor.Model().SetCaretAndDeselect({9, 4});
  TypeText(editor, QStringLiteral("x"));
  const QColor dimmed = ink(4).first;
  EXPECT_FALSE(navy(dimmed));
  EXPECT_LT(std::abs(dimmed.red() - dimmed.blue()), 30);
  editor.ProcessCommand(ecUndo);
  EXPECT_TRUE(navy(ink(4).first));
  QFont bigger = editor.Font();
  bigger.setPixelSize(2 * QFontInfo(editor.Font()).pixelSize());
  editor.SetFont(bigger);
  EXPECT_GT(ink(4).second - (editor.GutterExtent() - editor.SideColumnWidth()), narrow + 20);
  // Off: the column takes no room, and the choice is kept.
  Code().Action()->trigger();
  EXPECT_FALSE(Code().Shown());
  EXPECT_EQ(editor.SideColumnWidth(), 0);
  EXPECT_NE(Get(Path("torvane.ini")).find("MachineCode=0"), std::string::npos);
}

TEST_F(MachineCodeTest, OffByDefaultAfterTheSwitchesAndBeforeTheHighlighterMenu) {
  Window(false);
  EXPECT_FALSE(Code().Shown());
  EXPECT_FALSE(Code().Action()->isChecked());
  const QList<QAction*> view = window_->ViewMenu->actions();
  const qsizetype at = view.indexOf(Code().Action());
  ASSERT_GT(at, 0);
  EXPECT_EQ(view[at - 1], window_->SpecialChars1);
  EXPECT_EQ(Code().Action()->text(), QStringLiteral("机器码(&M)"));
  Put(Path("a.asm"), "nop\n");
  ASSERT_TRUE(window_->OpenNamedFile(Path("a.asm")));
  window_->C1Click();
  EXPECT_EQ(window_->SrcEditor1->SideColumnWidth(), 0);
  EXPECT_EQ(window_->StatusBar, nullptr);  // nothing made for a user who does not ask
  EXPECT_EQ(Get(Path("torvane.ini")).find("MachineCode"), std::string::npos);
}

TEST_F(MachineCodeTest, BootSectorRunningIntoItsSignatureIsReported) {
  Window(true);
  Put(Path("big.asm"),
      "        org 0x7C00\n"
      "        times 511 nop\n"
      "        times 510-($-$$) db 0\n"
      "        dw 0xAA55\n");
  ASSERT_TRUE(window_->OpenNamedFile(Path("big.asm")));
  window_->C1Click();
  // NASM's own message stays in the pane; the bar says by how much.
  EXPECT_TRUE(window_->Memo1->toPlainText().contains(QStringLiteral("TIMES value -1 is negative")));
  EXPECT_EQ(window_->StatusBar->currentMessage(),
            QStringLiteral("引导扇区的代码多出 1 字节，占用了最后两个字节"));
}

TEST_F(MachineCodeTest, DamagedOrMissingListingSaysSoOnceOrLeavesTheColumnEmpty) {
  Window(true);
  Put(Path("a.asm"), "        nop\n        ret\n");
  ASSERT_TRUE(window_->OpenNamedFile(Path("a.asm")));
  window_->C1Click();
  EXPECT_EQ(Column(), (std::vector<QString>{"0000  90", "0001  C3"}));
  const QString said = QStringLiteral("机器码列已过期");
  EXPECT_EQ(window_->Memo1->toPlainText().count(said), 0);
  // A listing edited by hand: what it cannot place stays empty, and the
  // pane says once that the column is out of date.
  Put(Path("a.lst"), "garbage\n     2 00000001 C3                              ret\n");
  Code().AssemblyFinished();
  EXPECT_EQ(Column(), (std::vector<QString>{"", "0001  C3"}));
  Code().SetShown(true);
  EXPECT_EQ(window_->Memo1->toPlainText().count(said), 1);
  // No listing at all: no column.
  ASSERT_EQ(std::remove(Path("a.lst").c_str()), 0);
  Code().AssemblyFinished();
  EXPECT_EQ(Column(), (std::vector<QString>{"", ""}));
  EXPECT_EQ(window_->SrcEditor1->SideColumnWidth(), 0);
}

TEST_F(MachineCodeTest, ListingPaneFollowsTheCaretAndLeadsBackToTheSource) {
  Window(false);
  Put(Path("putc.inc"), "%macro PUTC 1\n  mov al, %1\n  int 0x10\n%endmacro\nhelper: ret\n");
  Put(Path("p.asm"),
      "        org 0x100\n"
      "%include \"putc.inc\"\n"
      "        mov ax, 1\n"
      "        PUTC 'A'\n");
  ASSERT_TRUE(window_->OpenNamedFile(Path("p.asm")));
  window_->C1Click();
  TListingPane& pane = *window_->ListingPane1;
  EXPECT_FALSE(pane.Shown());
  EXPECT_EQ(window_->Splitter1->indexOf(pane.Pane()), -1);  // nothing in the layout
  pane.Action()->trigger();
  ASSERT_TRUE(pane.Shown());
  EXPECT_EQ(window_->Splitter1->indexOf(pane.Pane()),
            window_->Splitter1->indexOf(window_->Memo1) + 1);
  EXPECT_TRUE(pane.Pane()->isReadOnly());
  EXPECT_TRUE(pane.Pane()->toPlainText().contains(QStringLiteral("B80100")));
  // The caret's line selects its listing line.
  TSrcEditor& editor = *window_->SrcEditor1;
  editor.Model().SetCaretAndDeselect({1, 4});
  pane.FollowCaret();
  EXPECT_TRUE(pane.Pane()->textCursor().selectedText().contains(QStringLiteral("PUTC 'A'")));
  // A listing line leads to its source line: an expansion to its call.
  const QTextDocument& doc = *pane.Pane()->document();
  int expansion = -1;
  int helper = -1;
  for (int block = 0; block < doc.blockCount(); ++block) {
    const QString text = doc.findBlockByNumber(block).text();
    if (text.contains(QStringLiteral("<1>  int 0x10"))) {
      expansion = block;
    }
    if (text.contains(QStringLiteral("helper: ret"))) {
      helper = block;
    }
  }
  ASSERT_GE(expansion, 0);
  ASSERT_GE(helper, 0);
  editor.Model().SetCaretAndDeselect({1, 1});
  EXPECT_TRUE(pane.JumpToListingLine(expansion));
  EXPECT_EQ(editor.Model().CaretPos().Line, 4);
  EXPECT_FALSE(pane.JumpToListingLine(100000));
  // An included file's line opens that file.
  EXPECT_TRUE(pane.JumpToListingLine(helper));
  EXPECT_EQ(window_->CurrentFileName(), Path("putc.inc"));
  EXPECT_EQ(editor.Model().CaretPos().Line, 5);
  pane.Action()->trigger();
  EXPECT_EQ(window_->Splitter1->indexOf(pane.Pane()), -1);
  EXPECT_NE(Get(Path("torvane.ini")).find("ListingPane=0"), std::string::npos);
}

TEST_F(MachineCodeTest, MacroExpansionOfTheCaretLineFromNasm) {
  Window(false);
  Put(Path("m.asm"),
      "%macro PUTC 1\n  mov al, %1\n  int 0x10\n%endmacro\n"
      "        PUTC 'A'\n"
      "        nop\n");
  ASSERT_TRUE(window_->OpenNamedFile(Path("m.asm")));
  TMacroExpansion& expansion = *window_->MacroExpansion1;
  EXPECT_EQ(expansion.Action()->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
  EXPECT_EQ(expansion.Action()->text(), QStringLiteral("展开宏"));
  // The text as it stands, unsaved: the call's argument changed on screen.
  TSrcEditor& editor = *window_->SrcEditor1;
  editor.Model().SetCaretAndDeselect({15, 5});
  editor.ProcessCommand(ecDeleteChar);
  TypeText(editor, QStringLiteral("B"));
  const std::string before = Get(Path("m.asm"));
  EXPECT_EQ(expansion.ShowExpansion(), (std::vector<std::string>{" mov al, 'B'", " int 0x10"}));
  EXPECT_EQ(Get(Path("m.asm")), before);  // nothing written beside the file
  EXPECT_FALSE(Exists(Path("m.lst")));
  editor.Model().SetCaretAndDeselect({1, 6});
  EXPECT_EQ(expansion.ShowExpansion(), (std::vector<std::string>{"; 此行没有宏展开"}));
}

}  // namespace
}  // namespace torvane
