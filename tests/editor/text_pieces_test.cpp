#include "editor/text_pieces.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace torvane {
namespace {

// CR LF, a lone CR and a lone LF each end one piece, wherever they fall in
// the eight-byte steps of the search: random texts against a byte walk.
TEST(TextPiecesTest, SplittingAtLineBreaksFindsEveryBreak) {
  const auto reference = [](const std::string& text) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' || text[i] == '\n') {
        i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
        pieces.emplace_back();
      } else {
        pieces.back() += text[i];
      }
    }
    return pieces;
  };
  std::mt19937 rng(3);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int i = static_cast<int>(rng() % 40); i > 0; --i) {
      text += "ab\r\n\x8a\x0d\x00"[rng() % (rng() % 4 == 0 ? 7 : 2)];
    }
    const std::vector<std::string_view> got = SplitAtLineBreaks(text);
    ASSERT_EQ(std::vector<std::string>(got.begin(), got.end()), reference(text)) << round;
  }
  EXPECT_EQ(SplitAtLineBreaks("").size(), 1u);
}

}  // namespace
}  // namespace torvane
