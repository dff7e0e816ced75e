// A document's way through the main window with the real editor: open files
// in a double-byte code page and in UTF-8, type, undo, save, reopen, and
// assemble the saved text; and the form's editor configuration.
#include <sys/stat.h>
#include <unistd.h>

#include <QFont>
#include <QImage>
#include <QPlainTextEdit>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "app/main_window.h"
#include "app_fixture.h"
#include "highlight/asm_highlighter.h"
#include "highlight/highlighter_attributes.h"
#include "platform/gui/color.h"

namespace torvane {
namespace {

class DocumentFlowTest : public AppTest {
 protected:
  void SetUp() override { window_ = std::make_unique<TFAsmEd>(); }
  void TearDown() override {
    window_->SrcEditor1->SetModified(false);
    window_.reset();
  }
  TSrcEditor& Editor() { return *window_->SrcEditor1; }
  void OpenThroughMenu(const std::string& path) {
    dialogs_.file_answers.push_back(QString::fromStdString(path));
    window_->O2->trigger();
    ASSERT_EQ(window_->CurrentFileName(), path);
  }
  // At the end of `line`: types `dropped` and takes it back with one undo,
  // then types `kept`.
  void TypeAndUndo(int line, const QString& kept, const QString& dropped) {
    Editor().Model().SetCaretAndDeselect(
        {static_cast<int>(Editor().Model().LineText(line).size()) + 1, line});
    TypeText(Editor(), dropped);
    Editor().ProcessCommand(ecUndo);
    TypeText(Editor(), kept);
  }

  std::unique_ptr<TFAsmEd> window_;
};

TEST_F(DocumentFlowTest, GbkFileRoundTripsItsBytes) {
  ScopedCodePage gbk("GBK");
  // "; 中文注释" in GBK, DOS breaks, a final break and trailing blank lines.
  const std::string comment = "; \xD6\xD0\xCE\xC4\xD7\xA2\xCA\xCD";
  const std::string path = Path("gbk.asm");
  Put(path, comment + "\r\nmov ax, 1\r\nret\r\n\r\n");
  OpenThroughMenu(path);
  EXPECT_EQ(EditorText(Editor()), QStringLiteral("; 中文注释\nmov ax, 1\nret"));
  TypeAndUndo(2, QStringLiteral(" ; 注"), QStringLiteral("xy"));
  EXPECT_TRUE(Editor().Modified());
  window_->S1->trigger();
  EXPECT_FALSE(Editor().Modified());
  // The typed comment in GBK; the final break kept, the blank line dropped.
  const std::string expected = comment + "\r\nmov ax, 1 ; \xD7\xA2\r\nret\r\n";
  EXPECT_EQ(Get(path), expected);

  window_->N1->trigger();
  OpenThroughMenu(path);
  window_->S1->trigger();
  EXPECT_EQ(Get(path), expected);
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(DocumentFlowTest, Utf8UnixFileKeepsLfAndInvalidBytes) {
  ScopedCodePage utf8("UTF-8");
  const std::string path = Path("utf8.asm");
  // A stray 0xFF byte must survive untouched.
  Put(path, "; 中文注释 \xFF\nmov eax, 1\nret\n\n\n");
  OpenThroughMenu(path);
  EXPECT_EQ(Editor().DocumentFormat(), sffUnix);
  TypeAndUndo(2, QStringLiteral(" ; 寄存器"), QStringLiteral("注"));
  window_->S1->trigger();
  const std::string expected = "; 中文注释 \xFF\nmov eax, 1 ; 寄存器\nret\n";
  EXPECT_EQ(Get(path), expected);
  OpenThroughMenu(path);
  window_->S1->trigger();
  EXPECT_EQ(Get(path), expected);
}

TEST_F(DocumentFlowTest, AssembleRunsNasmOnTheEditedText) {
  if (access("/usr/bin/nasm", X_OK) != 0) {
    GTEST_SKIP() << "NASM is not installed";
  }
  Put(Path("torvane.ini"), "[Options]\nComplier=/usr/bin/nasm\n");
  window_ = std::make_unique<TFAsmEd>();  // reads the settings file
  const std::string path = Path("boot.asm");
  Put(path, "; 引导\nmov ax, 1\n");
  OpenThroughMenu(path);
  Editor().SetCaretPos({1, 2});
  Editor().ProcessCommand(ecSelLineEnd);
  TypeText(Editor(), QStringLiteral("mov bx, 0x5678"));
  window_->C1->trigger();
  EXPECT_EQ(Get(path), "; 引导\nmov bx, 0x5678\n");
  EXPECT_EQ(Get(Path("boot.bin")), "\xBB\x78\x56");
  EXPECT_FALSE(Editor().Modified());
}

TEST_F(DocumentFlowTest, KeysTypedInTheWindowAreSaved) {
  window_->show();
  const std::string path = Path("keys.asm");
  Put(path, "nop\r\n");
  OpenThroughMenu(path);
  QTest::keyClick(&Editor(), Qt::Key_End);
  QTest::keyClicks(&Editor(), QStringLiteral(" ; ok"));
  QTest::keyClick(&Editor(), Qt::Key_Home);
  QTest::keyClicks(&Editor(), QStringLiteral("zz"));
  QTest::keyClick(&Editor(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(Editor().Modified());
  window_->S1->trigger();
  EXPECT_EQ(Get(path), "nop ; ok\r\n");
}

TEST_F(DocumentFlowTest, EditorCarriesTheFormsConfiguration) {
  TSrcEditor& editor = Editor();
  EXPECT_EQ(editor.objectName(), QStringLiteral("SrcEditor1"));
  EXPECT_EQ(editor.Font().pixelSize(), 18);
  EXPECT_TRUE(editor.RightEdge().Visible());
  EXPECT_EQ(editor.RightEdge().Position(), 80);
  EXPECT_EQ(editor.RightEdge().Color(), clSilver);
  EXPECT_FALSE(editor.RightEdge().MouseMove());
  EXPECT_TRUE(editor.ActiveLine().Visible());
  EXPECT_FALSE(editor.LineDivider().Visible());
  EXPECT_EQ(editor.SelectedColor().Background(), clBlue);
  EXPECT_TRUE(editor.Gutter().ShowLineNumbers());
  EXPECT_FALSE(editor.Gutter().ShowLineModified());
  EXPECT_EQ(editor.Gutter().Font().pixelSize(), 13);
  EXPECT_FALSE(editor.CodeFolding().Enabled());
  EXPECT_FALSE(editor.CodeFolding().CaseSensitive());
  EXPECT_EQ(editor.CodeFolding().FolderBarLinesColor(), 9617866u);
  EXPECT_EQ(editor.DocumentState(), smsNormal);
  EXPECT_EQ(editor.DocumentFormat(), sffUnix);  // this system's text files
  EXPECT_TRUE(editor.FinalLineBreak());
  auto* highlighter = dynamic_cast<TSrcAsmHighlighter*>(editor.Highlighter());
  ASSERT_NE(highlighter, nullptr);
  EXPECT_EQ(highlighter->CommentAttri()->Foreground(), clGrayText);
  EXPECT_EQ(highlighter->NumberAttri()->Foreground(), clRed);
  EXPECT_EQ(highlighter->StringAttri()->Foreground(), clMaroon);
}

TEST_F(DocumentFlowTest, FinalLineBreakSurvivesSaveAndAssembleByteForByte) {
  // A stand-in assembler that leaves an empty log (and records its runs).
  const std::string script = Path("fake-nasm");
  Put(script, "#!/bin/sh\necho \"$2\" >> runs.txt\n: > \"${5#-Z}\"\n");
  ASSERT_EQ(chmod(script.c_str(), 0755), 0);
  Put(Path("torvane.ini"), "[Options]\nComplier=" + script + "\n");
  window_ = std::make_unique<TFAsmEd>();
  struct Case {
    std::string in, saved, edited;  // as read, saved unedited, saved after "x" at line 1
  };
  const Case cases[] = {
      {"nop\r\nret\r\n", "nop\r\nret\r\n", "xnop\r\nret\r\n"},
      {"nop\nret\n", "nop\nret\n", "xnop\nret\n"},
      {"nop\rret\r", "nop\rret\r", "xnop\rret\r"},
      {"nop\nret", "nop\nret", "xnop\nret"},      // none at the end stays none
      {"nop\n\n \n\t\n", "nop\n", "xnop\n"},      // trailing blank lines still go
      {"a\r\nb\n", "a\r\nb\r\n", "xa\r\nb\r\n"},  // mixed: CR LF throughout
      {"nop", "nop", "xnop"},                     // one line, no break: LF when lines come
      {"", "", "x\n"},                            // an empty file is written as a new one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.in));
    const std::string path = Path("f.asm");
    Put(path, c.in);
    OpenThroughMenu(path);
    window_->S1->trigger();
    EXPECT_EQ(Get(path), c.saved);
    Put(path, c.in);
    OpenThroughMenu(path);
    window_->C1->trigger();  // saves the unedited text, then assembles
    EXPECT_EQ(Get(path), c.saved);
    EXPECT_TRUE(window_->Memo1->toPlainText().startsWith(QStringLiteral("编译完成：")));
    Editor().SetCaretPos({1, 1});
    TypeText(Editor(), QStringLiteral("x"));
    window_->C1->trigger();
    EXPECT_EQ(Get(path), c.edited);
  }
  std::string runs;
  for (int i = 0; i < 16; ++i) {
    runs += "f.asm\n";
  }
  EXPECT_EQ(Get(Path("runs.txt")), runs);

  // A one-line file shows no break style: lines added to it get LF.
  Put(Path("one.asm"), "nop");
  OpenThroughMenu(Path("one.asm"));
  EXPECT_EQ(Editor().DocumentFormat(), sffUnix);
  Editor().ProcessCommand(ecEditorBottom);
  Editor().ProcessCommand(ecLineBreak);
  TypeText(Editor(), QStringLiteral("ret"));
  window_->S1->trigger();
  EXPECT_EQ(Get(Path("one.asm")), "nop\nret");

  // A new document after a DOS file: LF, and a break after the last line;
  // so from the start.
  Put(Path("dos.asm"), "a\r\n");
  OpenThroughMenu(Path("dos.asm"));
  EXPECT_EQ(Editor().DocumentFormat(), sffDos);
  for (int round = 0; round < 2; ++round) {
    if (round == 0) {
      window_->N1->trigger();
    } else {
      window_ = std::make_unique<TFAsmEd>();
    }
    EXPECT_EQ(Editor().DocumentFormat(), sffUnix);
    TypeText(Editor(), QStringLiteral("db 1"));
    Editor().ProcessCommand(ecLineBreak);
    TypeText(Editor(), QStringLiteral("db 2"));
    dialogs_.file_answers.push_back(QPath("new.asm"));
    window_->S1->trigger();
    EXPECT_EQ(Get(Path("new.asm")), "db 1\ndb 2\n");
  }
}

// Relative luminance and contrast ratio as accessibility guidelines define them.
double Luminance(const QColor& c) {
  auto channel = [](double v) {
    v /= 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(DocumentFlowTest, CommentsAreDrawnInAGreyThatReads) {
  window_->show();  // typed into a window without width, the view would scroll
  TypeText(Editor(), QStringLiteral("; a comment MMM"));
  QImage image(Editor().viewport()->size(), QImage::Format_RGB32);
  Editor().viewport()->render(&image);
  const int x0 = Editor().ColumnToX(3);
  const int x1 = Editor().ColumnToX(16);
  const QColor background = image.pixelColor(x0, 0);
  QColor darkest = background;
  for (int y = 0; y < Editor().RowHeight(); ++y) {
    for (int x = x0; x < x1; ++x) {
      const QColor c = image.pixelColor(x, y);
      if (Luminance(c) < Luminance(darkest)) {
        darkest = c;
      }
    }
  }
  // The classic grey (0x808080 on white is 3.9:1), not the palette's faint
  // disabled-text grey.
  EXPECT_EQ(ToQColor(clGrayText), QColor(0x80, 0x80, 0x80));
  EXPECT_GE(Contrast(darkest, background), 3.5);
}

}  // namespace
}  // namespace torvane
