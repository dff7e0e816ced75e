// List mode's filter under each option, and the selection rules.
#include "completion/proposal_list.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

std::vector<std::string> Texts(const TProposalList& list) {
  std::vector<std::string> texts;
  for (const TDisplayedItem& item : list.Displayed()) {
    texts.push_back(item.Text + "#" + std::to_string(item.ItemIndex));
  }
  return texts;
}

TSrcCompletionOptions With(std::initializer_list<TSrcCompletionOption> options) {
  TSrcCompletionOptions result;
  for (const TSrcCompletionOption o : options) {
    result.Set(o, true);
  }
  return result;
}

const std::vector<std::string> kItems = {"mov", "MOVSB", "movzx", "add", "\\style{+B}mul"};

TEST(ProposalListTest, DefaultsAreTheDocumentedMask) {
  EXPECT_EQ(kDefaultCompletionOptions.Mask(), 1668u);
  EXPECT_TRUE(kDefaultCompletionOptions.Has(scoLimitToMatchedText));
  EXPECT_TRUE(kDefaultCompletionOptions.Has(scoEndCharCompletion));
  EXPECT_TRUE(kDefaultCompletionOptions.Has(scoCompleteWithTab));
  EXPECT_TRUE(kDefaultCompletionOptions.Has(scoCompleteWithEnter));
  EXPECT_FALSE(kDefaultCompletionOptions.Has(scoCaseSensitive));
}

TEST(ProposalListTest, LimitToMatchedTextFiltersCaseInsensitivelyByDefault) {
  TProposalList list;
  std::vector<int> changes;
  list.OnChange = [&](int index) { changes.push_back(index); };
  list.Assign(kItems, nullptr, With({scoLimitToMatchedText}));
  list.SetCurrentString("mov");
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"mov#0", "MOVSB#1", "movzx#2"}));
  EXPECT_EQ(changes, (std::vector<int>{0}));
  list.SetCurrentString("movz");
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"movzx#2"}));
  EXPECT_EQ(list.SelectedItemIndex(), 2);
  list.SetCurrentString("q");
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.SelectedItemIndex(), -1);
  // Formatting commands count as text without scoUsePrettyText.
  list.SetCurrentString("mu");
  EXPECT_EQ(list.Count(), 0);
}

TEST(ProposalListTest, CaseSensitiveAnsiPrettyAndInsertList) {
  TProposalList list;
  list.Assign(kItems, nullptr, With({scoLimitToMatchedText, scoCaseSensitive}));
  list.SetCurrentString("MOV");
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"MOVSB#1"}));

  list.Assign(kItems, nullptr, With({scoLimitToMatchedText, scoAnsiStrings}));
  list.SetCurrentString("Mov");
  EXPECT_EQ(list.Count(), 3);
  list.Assign(kItems, nullptr, With({scoLimitToMatchedText, scoAnsiStrings, scoCaseSensitive}));
  list.SetCurrentString("MOVS");
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"MOVSB#1"}));

  list.Assign(kItems, nullptr, With({scoLimitToMatchedText, scoUsePrettyText}));
  list.SetCurrentString("mu");
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"\\style{+B}mul#4"}));

  // The insert list is what is compared; missing entries match only "".
  const std::vector<std::string> inserts = {"mov eax,", "movsb", "zx"};
  list.Assign(kItems, &inserts, With({scoLimitToMatchedText, scoUseInsertList}));
  list.SetCurrentString("z");
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"movzx#2"}));
  list.SetCurrentString("");
  EXPECT_EQ(list.Count(), 5);
}

TEST(ProposalListTest, WithoutLimitTheFirstMatchIsSelected) {
  TProposalList list;
  std::vector<int> changes;
  list.OnChange = [&](int index) { changes.push_back(index); };
  list.Assign(kItems, nullptr, TSrcCompletionOptions());
  list.SetCurrentString("add");
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Position(), 3);
  list.SetCurrentString("nothing");
  EXPECT_EQ(list.Position(), 0);
  EXPECT_EQ(changes, (std::vector<int>{3, 0}));
}

TEST(ProposalListTest, SelectingKeepsThePositionInViewAndIgnoresNoOps) {
  TProposalList list;
  std::vector<std::string> items;
  for (int i = 0; i < 20; ++i) {
    items.push_back("item" + std::to_string(i));
  }
  list.Assign(items, nullptr, kDefaultCompletionOptions);
  list.SetVisibleLines(5);
  EXPECT_FALSE(list.SelectPosition(20));  // beyond the last
  EXPECT_FALSE(list.SelectPosition(0));   // the current one
  EXPECT_FALSE(list.SelectPosition(-3));  // 0 or less at 0
  EXPECT_TRUE(list.SelectPosition(12));
  EXPECT_EQ(list.TopIndex(), 8);
  EXPECT_TRUE(list.SelectPosition(-1));  // below 0 from elsewhere: the first
  EXPECT_EQ(list.Position(), 0);
  EXPECT_EQ(list.TopIndex(), 0);
  EXPECT_TRUE(list.MoveBy(100));
  EXPECT_EQ(list.Position(), 19);
  EXPECT_EQ(list.TopIndex(), 15);
  EXPECT_TRUE(list.MoveBy(-100));
  EXPECT_EQ(list.Position(), 0);
}

}  // namespace
}  // namespace torvane
