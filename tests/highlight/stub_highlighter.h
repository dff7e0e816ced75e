// A highlighter with no scanner of its own, for tests of the framework.
#pragma once

#include "highlight/custom_highlighter.h"

namespace torvane {

class StubHighlighter : public TSrcCustomHighlighter {
 public:
  TSrcHighlighterAttributes* DefaultAttributeFor(int) const override { return nullptr; }
  bool AtLineEnd() const override { return true; }
  std::string TokenText() const override { return {}; }
  TSrcHighlighterAttributes* TokenAttributes() const override { return nullptr; }
  int TokenKind() const override { return 0; }
  int TokenStart() const override { return 0; }
  void AdvanceToken() override {}
  void StartLine(std::string_view, int) override {}
};

}  // namespace torvane
