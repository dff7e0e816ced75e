// The document control's commands 901 to 913 and printing.
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include "tests/document_control/document_fixture.h"

namespace torvane {
namespace {

TEST_F(DocumentTest, GoBackToWhereTypingHappened) {
  editor_.Model().Lines().ReadFromBytes("first line\r\nsecond line\r\nthird");
  editor_.SetCaretPos({7, 2});
  Type("XY");
  EXPECT_EQ(editor_.StoredCaret(), TBufferPos({9, 2}));
  editor_.Model().PlaceCaretAndSelection({3, 3}, {1, 1}, {3, 3});
  editor_.ProcessCommand(ecGotoStoredCaret);
  EXPECT_EQ(editor_.CaretPos(), TBufferPos({9, 2}));
  EXPECT_FALSE(editor_.HasSelection());
  // A later change elsewhere moves the place to go back to.
  editor_.SetCaretPos({1, 3});
  editor_.ProcessCommand(ecDeleteChar);
  editor_.SetCaretPos({1, 1});
  editor_.ProcessCommand(ecGotoStoredCaret);
  EXPECT_EQ(editor_.CaretPos(), TBufferPos({1, 3}));
}

TEST_F(DocumentTest, CaseCommandsFollowTheSelection) {
  editor_.Model().Lines().ReadFromBytes("mov eax, ebx\r\nadd ecx, edx");
  editor_.SetCaretPos({1, 1});
  editor_.ProcessCommand(ecUpperCaseAuto);  // no selection: the word at the caret
  EXPECT_EQ(editor_.Model().LineText(1), "MOV eax, ebx");
  editor_.Model().PlaceCaretAndSelection({4, 2}, {5, 1}, {4, 2});
  editor_.ProcessCommand(ecUpperCaseAuto);
  EXPECT_EQ(Text(), "MOV EAX, EBX\r\nADD ecx, edx");
  editor_.ProcessCommand(ecLowerCaseAuto);
  EXPECT_EQ(Text(), "MOV eax, ebx\r\nadd ecx, edx");
  editor_.ProcessCommand(ecToggleCaseAuto);
  EXPECT_EQ(Text(), "MOV EAX, EBX\r\nADD ecx, edx");
}

TEST_F(DocumentTest, TitleCaseOfASelectionIsOneUndoableChange) {
  editor_.Model().Lines().ReadFromBytes("mov eax, ebx_x\r\nadd ecx, edx\r\nnop");
  editor_.SetModified(false);
  editor_.Model().PlaceCaretAndSelection({6, 2}, {5, 1}, {6, 2});
  editor_.ProcessCommand(ecTitleCaseAuto);
  EXPECT_EQ(Text(), "mov Eax, Ebx_x\r\nAdd Ecx, edx\r\nnop");
  EXPECT_EQ(editor_.SelStart(), TBufferPos({5, 1}));
  EXPECT_EQ(editor_.SelEnd(), TBufferPos({6, 2}));
  EXPECT_TRUE(editor_.Modified());
  editor_.Undo();
  EXPECT_EQ(Text(), "mov eax, ebx_x\r\nadd ecx, edx\r\nnop");

  // Column mode: only the column range of each line.
  editor_.SetSelectionMode(smColumn);
  editor_.Model().PlaceCaretAndSelection({8, 2}, {5, 1}, {8, 2});
  editor_.ProcessCommand(ecTitleCaseAuto);
  EXPECT_EQ(Text(), "mov Eax, ebx_x\r\nadd Ecx, edx\r\nnop");
}

TEST_F(DocumentTest, WordAndLineSelection) {
  editor_.Model().Lines().ReadFromBytes("mov   eax, ebx\r\n\r\nnop");
  editor_.SetCaretPos({1, 1});
  editor_.ProcessCommand(ecSelectNextWord);
  EXPECT_EQ(editor_.SelectedText(), "eax");
  editor_.ProcessCommand(ecSelectNextWord);
  EXPECT_EQ(editor_.SelectedText(), "ebx");
  editor_.ProcessCommand(ecSelectPrevWord);
  EXPECT_EQ(editor_.SelectedText(), "ebx");
  editor_.ProcessCommand(ecSelectPrevWord);
  EXPECT_EQ(editor_.SelectedText(), "eax");

  editor_.SetCaretPos({5, 1});
  editor_.ProcessCommand(ecSelectLine);
  EXPECT_EQ(editor_.SelectedText(), "mov   eax, ebx");
  editor_.ProcessCommand(ecSelectPrevLine);  // from the first line to the last
  EXPECT_EQ(editor_.SelectedText(), "nop");
  editor_.ProcessCommand(ecSelectNextLine);  // and back round to the first
  EXPECT_EQ(editor_.SelectedText(), "mov   eax, ebx");

  // At the end of the text a blank word cannot repeat for ever.
  editor_.SetCaretPos({4, 3});
  editor_.ProcessCommand(ecSelectNextWord);
  editor_.SetCaretPos({1, 1});
  editor_.ProcessCommand(ecSelectPrevWord);
}

TEST_F(DocumentTest, DeleteWholeWordIsOneUndoStep) {
  editor_.Model().Lines().ReadFromBytes("mov eax, ebx");
  editor_.SetCaretPos({6, 1});
  editor_.ProcessCommand(ecDeleteWholeWord);
  EXPECT_EQ(Text(), "mov , ebx");
  editor_.Undo();
  EXPECT_EQ(Text(), "mov eax, ebx");
}

TEST_F(DocumentTest, ClearBookmarksRemovesAllTen) {
  editor_.Model().Lines().ReadFromBytes("a\r\nb\r\nc");
  editor_.Controller().SetBookmark(0, 1, 1);
  editor_.Controller().SetBookmark(9, 1, 3);
  editor_.ProcessCommand(ecClearBookmarks);
  EXPECT_FALSE(editor_.Controller().GotoBookmark(0));
  EXPECT_FALSE(editor_.Controller().GotoBookmark(9));
}

TEST_F(DocumentTest, PrintsThroughTheDialogToAPdf) {
  editor_.Model().Lines().ReadFromBytes("; 注释\r\n\tmov eax, 1");
  const QString pdf = QString::fromStdString(Path("out.pdf"));
  dialogs_.form_scripts.push_back([&](QDialog& form) {
    auto* dialog = dynamic_cast<QPrintDialog*>(&form);
    EXPECT_NE(dialog, nullptr);
    if (dialog != nullptr) {
      dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
      dialog->printer()->setOutputFileName(pdf);
    }
    return static_cast<int>(mrOk);
  });
  editor_.ProcessCommand(ecPrintDocument, '1');
  EXPECT_TRUE(dialogs_.form_scripts.empty());
  ASSERT_TRUE(QFileInfo::exists(pdf));
  EXPECT_EQ(Get(pdf.toStdString()).substr(0, 4), "%PDF");

  // Without '1' no dialog: the printer as last set up.
  QFile::remove(pdf);
  editor_.ProcessCommand(ecPrintDocument, 0);
  EXPECT_TRUE(QFileInfo::exists(pdf));
  // A cancelled dialog prints nothing.
  QFile::remove(pdf);
  dialogs_.form_scripts.push_back([](QDialog&) { return static_cast<int>(mrCancel); });
  editor_.ProcessCommand(ecPrintDocument, '1');
  EXPECT_FALSE(QFileInfo::exists(pdf));
}

}  // namespace
}  // namespace torvane
