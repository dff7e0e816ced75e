// Runs a highlighter's per-line protocol over one line and checks what every
// caller relies on: tokens start where the previous one ended, have text and
// an attribute, cover the line up to its first NUL, and the line end has no
// attribute.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "highlight/custom_highlighter.h"

namespace torvane {

using Tokens = std::vector<std::pair<int, std::string>>;

inline Tokens ScanLine(TSrcCustomHighlighter& h, std::string_view line, int line_index = 0) {
  Tokens tokens;
  h.ResetRangeState();
  h.StartLine(line, line_index);
  int expected_start = 0;
  while (!h.AtLineEnd()) {
    EXPECT_EQ(h.TokenStart(), expected_start) << line;
    const std::string text = h.TokenText();
    EXPECT_FALSE(text.empty()) << line;
    EXPECT_NE(h.TokenAttributes(), nullptr) << line;
    expected_start += static_cast<int>(text.size());
    tokens.emplace_back(h.TokenKind(), text);
    h.AdvanceToken();
    if (tokens.size() > line.size() + 1) {
      ADD_FAILURE() << "scan does not advance: " << line;
      break;
    }
  }
  EXPECT_EQ(h.TokenKind(), 3) << line;  // the line end, in both highlighters
  EXPECT_EQ(h.TokenAttributes(), nullptr) << line;
  EXPECT_EQ(static_cast<std::size_t>(h.TokenStart()), std::min(line.find('\0'), line.size()))
      << line;
  EXPECT_EQ(h.SaveRangeState(), 0u);
  return tokens;
}

}  // namespace torvane
