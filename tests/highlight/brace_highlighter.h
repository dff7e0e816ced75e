// A test highlighter with range states: the brace depth at the end of a
// line, so that a change can ripple down the following lines.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "highlight/custom_highlighter.h"

namespace torvane {

// Every byte is one token; its kind is the depth after it.
class BraceHighlighter : public TSrcCustomHighlighter {
 public:
  BraceHighlighter() {
    inside_ = RegisterAttribute(std::make_unique<TSrcHighlighterAttributes>("Inside"));
    WireAttributes();
  }
  TSrcHighlighterAttributes* DefaultAttributeFor(int) const override { return nullptr; }
  bool AtLineEnd() const override { return run_ >= text_.size(); }
  std::string TokenText() const override { return text_.substr(run_, 1); }
  TSrcHighlighterAttributes* TokenAttributes() const override {
    return depth_ > 0 ? inside_ : nullptr;
  }
  int TokenKind() const override { return static_cast<int>(depth_); }
  int TokenStart() const override { return static_cast<int>(run_); }
  void AdvanceToken() override {
    ++run_;
    Apply();
  }
  void StartLine(std::string_view text, int line_index) override {
    text_ = text;
    run_ = 0;
    scanned.push_back(line_index);
    Apply();
  }
  TRangeState SaveRangeState() const override { return depth_; }
  void RestoreRangeState(TRangeState state) override { depth_ = state; }
  void ResetRangeState() override { depth_ = 0; }

  std::vector<int> scanned;

 private:
  void Apply() {
    if (run_ < text_.size()) {
      depth_ += text_[run_] == '{' ? 1 : 0;
      depth_ -= text_[run_] == '}' && depth_ > 0 ? 1 : 0;
    }
  }
  TSrcHighlighterAttributes* inside_;
  std::string text_;
  std::size_t run_ = 0;
  TRangeState depth_ = 0;
};

}  // namespace torvane
