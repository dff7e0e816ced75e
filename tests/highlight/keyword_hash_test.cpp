#include "highlight/keyword_hash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "highlight/asm_highlighter.h"
#include "platform/errors.h"

namespace torvane {
namespace {

TEST(KeywordHashTest, HashValuesIgnoreCaseAndCountUnderscoreAsZero) {
  TSrcKeywordTable table(atkIdentifier);
  EXPECT_EQ(table.KeywordHash("aaa"), 57);
  EXPECT_EQ(table.KeywordHash("mov"), 764);
  EXPECT_EQ(table.KeywordHash("MOV"), 764);
  EXPECT_EQ(table.KeywordHash("abc"), 66);
  EXPECT_EQ(table.KeywordHash("a_b"), 51);
  EXPECT_EQ(table.KeywordHash("ab"), 9);
  // The hash stops at the first character outside the identifier set and
  // records the length; long words wrap around without leaving 0..1023.
  EXPECT_EQ(table.KeywordHash("mov eax"), 764);
  EXPECT_EQ(table.IdentifierLength(), 3);
  const int h = table.KeywordHash("zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz");
  EXPECT_GE(h, 0);
  EXPECT_LT(h, 1024);
  EXPECT_EQ(table.IdentifierLength(), 40);
}

TEST(KeywordHashTest, BuiltInListFillsBucketsEvenly) {
  TSrcAsmHighlighter highlighter;
  const TSrcHashEntryList& buckets = highlighter.Keywords().Buckets();
  EXPECT_LE(buckets.SlotCount(), 1024);
  int used = 0;
  int entries = 0;
  int longest = 0;
  for (int i = 0; i < buckets.SlotCount(); ++i) {
    int chain = 0;
    int previous_length = 0;
    for (const TSrcHashEntry* e = buckets.Bucket(i); e != nullptr; e = e->Next()) {
      EXPECT_GE(e->KeyLen(), previous_length) << "chain " << i << " not sorted by length";
      previous_length = e->KeyLen();
      EXPECT_EQ(e->Kind(), atkKeyword);
      ++chain;
    }
    used += chain > 0 ? 1 : 0;
    entries += chain;
    longest = std::max(longest, chain);
  }
  EXPECT_EQ(entries, 420);
  EXPECT_EQ(used, 343);
  EXPECT_LE(longest, 4);
  EXPECT_EQ(buckets.Bucket(-1), nullptr);
  EXPECT_EQ(buckets.Bucket(buckets.SlotCount()), nullptr);
}

TEST(KeywordHashTest, LookupMatchesWholeKeywordsIgnoringCase) {
  TSrcKeywordTable table(atkIdentifier);
  table.AddKeyword("mov", atkKeyword);
  table.AddKeyword("movzx", atkKeyword);
  EXPECT_EQ(table.KeywordKind("mov"), atkKeyword);
  EXPECT_EQ(table.KeywordKind("MoV,"), atkKeyword);
  EXPECT_EQ(table.KeywordKind("movz"), atkIdentifier);
  EXPECT_EQ(table.KeywordKind("movzxx"), atkIdentifier);
  EXPECT_EQ(table.KeywordKind("mov_"), atkIdentifier);
  EXPECT_EQ(table.IdentifierLength(), 4);
  EXPECT_EQ(table.KeywordKind(""), atkIdentifier);
  // Words of 15 characters and more share one length class in the lookup.
  table.AddKeyword("averyveryverylongmnemonic", atkKeyword);
  EXPECT_EQ(table.KeywordKind("AVeryVeryVeryLongMnemonic+1"), atkKeyword);
  EXPECT_EQ(table.KeywordKind("averyveryverylongmnemonicx"), atkIdentifier);
  EXPECT_EQ(table.KeywordKind("averyveryverylongmnemoni"), atkIdentifier);
}

TEST(KeywordHashTest, ChainsKeepLengthOrderAndRejectDuplicates) {
  TSrcKeywordTable table(atkIdentifier);
  TSrcHashEntryList list;
  list.Store(5, std::make_unique<TSrcHashEntry>("ccc", 2));
  list.Store(5, std::make_unique<TSrcHashEntry>("a", 2));
  list.Store(5, std::make_unique<TSrcHashEntry>("bbb", 2));
  list.Store(5, std::make_unique<TSrcHashEntry>("dd", 2));
  std::vector<std::string> order;
  for (const TSrcHashEntry* e = list.Bucket(5); e != nullptr; e = e->Next()) {
    order.push_back(e->Keyword());
  }
  EXPECT_EQ(order, (std::vector<std::string>{"a", "dd", "ccc", "bbb"}));
  EXPECT_EQ(list.SlotCount(), 6);
  EXPECT_EQ(list.Bucket(4), nullptr);

  table.AddKeyword("mov", atkKeyword);
  try {
    table.AddKeyword("Mov", atkKeyword);
    FAIL() << "duplicate accepted";
  } catch (const ESrcError& e) {
    EXPECT_STREQ(e.what(), "Keyword \"mov\" already in list");
  }
  EXPECT_EQ(table.KeywordKind("mov"), atkKeyword);
}

TEST(KeywordHashTest, EnumerateKeywordsSplitsAtNonSetCharacters) {
  TSrcCharSet letters;
  for (int c = 'a'; c <= 'z'; ++c) {
    letters.set(c);
  }
  std::vector<std::string> words;
  auto collect = [&words](const std::string& w, int kind) {
    EXPECT_EQ(kind, 7);
    words.push_back(w);
  };
  EnumerateKeywords(7, "a, b,,c", letters, collect);
  EXPECT_EQ(words, (std::vector<std::string>{"a", "b", "c"}));
  words.clear();
  EnumerateKeywords(7, ",, ,", letters, collect);
  EnumerateKeywords(7, "", letters, collect);
  EnumerateKeywords(7, "abc", letters, nullptr);
  EXPECT_TRUE(words.empty());
  EnumerateKeywords(7, "xy", letters, collect);
  EXPECT_EQ(words, (std::vector<std::string>{"xy"}));
}

}  // namespace
}  // namespace torvane
