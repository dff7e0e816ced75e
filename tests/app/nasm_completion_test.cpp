// Ctrl+Space in the main window's editor: NASM's words and the document's
// labels filtered by the word at the caret, completed in one undo step.
#include "app/nasm_completion.h"

#include <strings.h>

#include <QApplication>
#include <QTest>

#include "app/main_window.h"
#include "app_fixture.h"
#include "completion/completion_proposal.h"
#include "completion/proposal_form.h"
#include "highlight/nasm_fold_regions.h"

namespace torvane {
namespace {

class NasmCompletionTest : public AppTest {
 protected:
  void SetUp() override {
    window_ = std::make_unique<TFAsmEd>();
    window_->show();
    window_->activateWindow();
    Editor().setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  void TearDown() override {
    Proposal().CancelProposal();
    Editor().SetModified(false);
    window_.reset();
  }
  TSrcEditor& Editor() { return *window_->SrcEditor1; }
  TSrcCompletionProposal& Proposal() { return Editor().CompletionProposal(); }
  // The text, then the caret at the end of the last line.
  void Load(const std::string& text) {
    Editor().Lines().SetAllText(text);
    const int last = Editor().Lines().LineCount();
    Editor().SetCaretPos({static_cast<int>(Editor().Lines().GetLine(last - 1).size()) + 1, last});
  }
  void OpenList() { QTest::keyClick(&Editor(), Qt::Key_Space, Qt::ControlModifier); }
  std::vector<std::string> Shown() {
    std::vector<std::string> items;
    for (const TDisplayedItem& item : Proposal().Form().List().Displayed()) {
      items.push_back(item.Text);
    }
    return items;
  }
  std::string LastLine() {
    return std::string(Editor().Lines().GetLine(Editor().Lines().LineCount() - 1));
  }

  std::unique_ptr<TFAsmEd> window_;
};

bool Has(const std::vector<std::string>& items, const std::string& word) {
  return std::find(items.begin(), items.end(), word) != items.end();
}

TEST_F(NasmCompletionTest, TheListHoldsWordsAndLabelsStartingWithTheWordAtTheCaret) {
  Load("start:\nStack_top equ 0\n.store:\nmsg db 'st'\n\tjmp [st");
  OpenList();
  ASSERT_TRUE(Proposal().Visible());
  EXPECT_EQ(Proposal().Form().DisplayType(), ctCode);
  EXPECT_EQ(Proposal().Form().List().CurrentString(), "st");
  const std::vector<std::string> shown = Shown();
  // Case does not matter; every kind of word is there.
  for (const char* word : {"start", "Stack_top", "std", "sti", "stosb", "st0", "struc"}) {
    EXPECT_TRUE(Has(shown, word)) << word;
  }
  for (const std::string& item : shown) {
    EXPECT_EQ(strncasecmp(item.c_str(), "st", 2), 0) << item;
  }
  EXPECT_FALSE(Has(shown, ".store"));  // '.' is part of a NASM name
  EXPECT_FALSE(Has(shown, "msg"));
  // Typing into the list narrows it.
  QTest::keyClicks(&Proposal().Form(), "ar");
  EXPECT_EQ(Shown(), (std::vector<std::string>{"start"}));
  EXPECT_EQ(LastLine(), "\tjmp [star");
  QTest::keyClick(&Proposal().Form(), Qt::Key_Return);
  EXPECT_FALSE(Proposal().Visible());
  EXPECT_EQ(LastLine(), "\tjmp [start");
  // An end-of-word character completes and is typed after the word.
  Load("\tjmp .st");
  OpenList();
  EXPECT_EQ(Shown(), (std::vector<std::string>{}));
  EXPECT_FALSE(Proposal().Visible());  // nothing matches ".st": no list
  Load(".store:\n\tjmp .s");
  OpenList();
  EXPECT_EQ(Shown(), (std::vector<std::string>{".store"}));
  QTest::keyClick(&Proposal().Form(), Qt::Key_BracketRight);
  EXPECT_EQ(LastLine(), "\tjmp .store]");
  // Preprocessor words keep their '%'.
  Load("%def");
  OpenList();
  EXPECT_TRUE(Has(Shown(), "%define"));
  EXPECT_FALSE(Has(Shown(), "default"));
}

TEST_F(NasmCompletionTest, ACompletionIsUndoneInOneStep) {
  Load("loop_top:\n\tdec ecx\n\tjnz loo");
  Editor().SetModified(false);
  OpenList();
  ASSERT_TRUE(Proposal().Visible());
  const std::vector<std::string> shown = Shown();
  // "loop:" style labels and the instructions share the list, once each.
  EXPECT_TRUE(Has(shown, "loop"));
  EXPECT_TRUE(Has(shown, "loop_top"));
  EXPECT_EQ(std::count(shown.begin(), shown.end(), "loop"), 1);
  QTest::keyClick(&Proposal().Form(), Qt::Key_End);  // the last item
  const std::string chosen = shown.back();
  QTest::keyClick(&Proposal().Form(), Qt::Key_Tab);
  EXPECT_EQ(LastLine(), "\tjnz " + chosen);
  EXPECT_TRUE(Editor().Modified());
  Editor().ProcessCommand(ecUndo);
  EXPECT_EQ(LastLine(), "\tjnz loo");
  Editor().ProcessCommand(ecRedo);
  EXPECT_EQ(LastLine(), "\tjnz " + chosen);
  // Escape leaves the text as it was.
  Load("\tmovz");
  OpenList();
  QTest::keyClick(&Proposal().Form(), Qt::Key_Escape);
  EXPECT_FALSE(Proposal().Visible());
  EXPECT_EQ(LastLine(), "\tmovz");
}

TEST_F(NasmCompletionTest, LabelsOfCollapsedBlocksAreOffered) {
  Load("%macro m 0\ninner_label:\n%endmacro\nouter:");
  TSrcCodeFolding& folding = Editor().CodeFolding();
  AddNasmFoldRegions(folding.FoldRegions());
  folding.SetHighlighterFoldRegions(false);
  folding.SetEnabled(true);
  Editor().RescanFolds();
  ASSERT_TRUE(Editor().CollapseFold(*Editor().FoldRanges().FindFoldStartAt(1)));
  const std::vector<std::string> words = NasmCompletionWords(Editor());
  EXPECT_TRUE(Has(words, "inner_label"));
  EXPECT_TRUE(Has(words, "outer"));
  EXPECT_TRUE(std::is_sorted(words.begin(), words.end(), [](const auto& a, const auto& b) {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
  }));
}

TEST_F(NasmCompletionTest, CommonWordsAndLabelsComeFirstInTheEditorsSize) {
  Load("\tmo");
  OpenList();
  std::vector<std::string> shown = Shown();
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown[0], "mov");  // before monitor, movsb and the like
  EXPECT_LT(std::find(shown.begin(), shown.end(), "movzx"),
            std::find(shown.begin(), shown.end(), "monitor"));
  EXPECT_EQ(Proposal().Font().pixelSize(), Editor().Font().pixelSize());
  Proposal().CancelProposal();
  // The document's label in the same case goes first; another case's after
  // every same-case word.
  Load("monkey:\nMove_it:\n\tmo");
  OpenList();
  shown = Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0], "monkey");
  EXPECT_EQ(shown[1], "mov");
  EXPECT_EQ(shown.back(), "Move_it");

  // The ranking on its own: same case, then labels, common words, the rest,
  // each group in the order given.
  const std::vector<std::string> words = {"Alpha", "add", "addpd", "ADDR", "aaa", "and", "lbl"};
  EXPECT_EQ(RankCompletionWords(words, {"lbl", "Alpha"}, "a"),
            (std::vector<std::string>{"add", "and", "addpd", "aaa", "Alpha", "lbl", "ADDR"}));
  EXPECT_EQ(RankCompletionWords(words, {"lbl", "Alpha"}, ""),
            (std::vector<std::string>{"Alpha", "lbl", "add", "and", "addpd", "ADDR", "aaa"}));
}

}  // namespace
}  // namespace torvane
