// The stand-in editor: bytes and line-break formats survive open, edit and
// save; dialog titles and the document options it honours.
#include "app/standin_editor.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include "app_fixture.h"
#include "platform/codepage.h"
#include "platform/gui/file_dialog.h"

namespace torvane {
namespace {

class StandInEditorTest : public AppTest {
 protected:
  // Opens the bytes from a file without a dialog.
  void Load(const std::string& bytes) {
    Put(Path("f.asm"), bytes);
    ASSERT_TRUE(editor_.OpenDocument(Path("f.asm"), nullptr, 0));
  }
  void AppendToLine(int line, const QString& text) {
    QTextCursor cursor(editor_.document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertText(text);
  }
  TStandInEditor editor_;
};

TEST_F(StandInEditorTest, SavingUnchangedTextKeepsBytesAndFormat) {
  ScopedCodePage cp("UTF-8");
  // NUL, invalid UTF-8, a BOM and a GBK pair; the final break is the
  // store's business (dropped on write).
  const std::string odd("\xEF\xBB\xBFmov al, '\xB4\xED'\x00\xFF\r\nnop", 21);
  for (const std::string& body :
       {std::string("a\r\nb\r\nc"), std::string("a\nb\nc"), std::string("a\rb\rc"), odd}) {
    Load(body);
    EXPECT_EQ(editor_.DocumentBytes(), body);
    ASSERT_TRUE(editor_.SaveDocument(Path("out.asm"), nullptr, 0));
    EXPECT_EQ(Get(Path("out.asm")), body);
  }
  Load("a\nb\n");
  EXPECT_EQ(editor_.DocumentFormat(), sffUnix);
  EXPECT_EQ(editor_.DocumentBytes(), "a\nb");
}

TEST_F(StandInEditorTest, EditingOneLineKeepsTheOthersBytes) {
  ScopedCodePage cp("UTF-8");
  Load(std::string("\xFF\xFE bad\r\ndb 1\r\n\xC3\x28\r\n", 16));
  AppendToLine(1, QStringLiteral(", 2 ; 中"));
  EXPECT_TRUE(editor_.Modified());
  QTextCursor(editor_.document()->findBlockByNumber(2)).insertBlock();  // split: a new line
  EXPECT_EQ(editor_.DocumentBytes(),
            std::string("\xFF\xFE bad\r\ndb 1, 2 ; \xE4\xB8\xAD\r\n\r\n\xC3\x28", 27));
  // After the sync, a line break typed at the start of the first line.
  QTextCursor(editor_.document()->firstBlock()).insertBlock();
  EXPECT_EQ(editor_.DocumentBytes(),
            std::string("\r\n\xFF\xFE bad\r\ndb 1, 2 ; \xE4\xB8\xAD\r\n\r\n\xC3\x28", 29));
}

TEST_F(StandInEditorTest, TypingMarksModifiedAndClearAllEmptiesEverything) {
  Load("nop\n");
  editor_.show();
  QTest::keyClicks(&editor_, QStringLiteral("int 3"));
  EXPECT_TRUE(editor_.Modified());
  EXPECT_EQ(editor_.DocumentBytes(), "int 3nop");
  editor_.SetModified(false);
  EXPECT_FALSE(editor_.Modified());
  editor_.SetModified(true);
  editor_.ClearAll();
  EXPECT_FALSE(editor_.Modified());
  EXPECT_EQ(editor_.DocumentBytes(), "");
  EXPECT_FALSE(editor_.document()->isUndoAvailable());
  EXPECT_EQ(editor_.DocumentFormat(), sffUnix);  // the format stays
}

TEST_F(StandInEditorTest, OpenKeepsTheModifiedFlagUnlessReset) {
  Put(Path("a.asm"), "db 1");
  editor_.SetModified(true);
  ASSERT_TRUE(editor_.OpenDocument(Path("a.asm"), nullptr, 0));
  EXPECT_TRUE(editor_.Modified());
  EXPECT_EQ(editor_.DocumentName(), "");
  EXPECT_EQ(editor_.DocumentState(), smsNormal);
  ASSERT_TRUE(editor_.OpenDocument(Path("a.asm"), nullptr, doReset));
  EXPECT_FALSE(editor_.Modified());
  EXPECT_EQ(editor_.DocumentName(), Path("a.asm"));
  EXPECT_EQ(editor_.DocumentState(), smsDocument);
}

TEST_F(StandInEditorTest, UntitledDialogsGetDefaultTitles) {
  Put(Path("a.asm"), "db 1");
  TOpenDialog open;
  TSaveDialog save;
  dialogs_.file_answers = {QPath("a.asm"), std::nullopt};
  EXPECT_TRUE(editor_.OpenDocument("ignored", &open, doDefine));
  EXPECT_EQ(dialogs_.file_requests[0].title, QStringLiteral("打开文档..."));
  EXPECT_FALSE(editor_.SaveDocument("", &save, doDefine));
  EXPECT_EQ(dialogs_.file_requests[1].title, QStringLiteral("保存文档 "));
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(StandInEditorTest, UnreadableFilesGiveTheOpenErrorAndChangeNothing) {
  Load("keep");
  for (const std::string& bad : {Path("missing.asm"), Dir()}) {
    EXPECT_FALSE(editor_.OpenDocument(bad, nullptr, 0));
    EXPECT_EQ(
        dialogs_.LastMessage(),
        QString::fromStdString(bad) +
            QStringLiteral(" 文档打开时出错\r\n\r\n可能该文档不存在或被其它程序以独占方式打开！"));
  }
  EXPECT_EQ(editor_.DocumentBytes(), "keep");
}

}  // namespace
}  // namespace torvane
