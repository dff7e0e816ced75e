// The fold scanner. It walks the text line by line (equivalent to the
// joined text: tokens never span a line break, skip regions may), and skips
// quickly over bytes that can start no token of the current region set.
#include "folding/fold_scanner.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace torvane {

bool IsFoldWordChar(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') ||
         (c >= 192 && c <= 214) || (c >= 216 && c <= 246) || c >= 248;
}

int IndentDepth(std::string_view text, int tab_width) {
  const int width = tab_width > 0 ? tab_width : 1;
  int depth = 0;
  int spaces = 0;
  for (const char c : text) {
    if (c == '\t') {
      ++depth;
      spaces = 0;
    } else if (c == ' ') {
      if (++spaces % width == 0) {
        ++depth;
      }
    } else {
      break;
    }
  }
  return depth;
}

int IndentWidth(std::string_view text, int tab_width) {
  int width = 0;
  for (const char c : text) {
    if (c == '\t') {
      width += tab_width;
    } else if (c == ' ') {
      ++width;
    } else {
      break;
    }
  }
  return width;
}

void UpperCaseAscii(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
}

namespace {

// Deeper nesting of regions with sub-regions is still found, but scanned
// without recursing further, so hostile input cannot exhaust the stack.
constexpr int kMaxSubRegionDepth = 256;

class TFoldScanner {
 public:
  TFoldScanner(const TFoldScanInput& input, TSrcEditAllFoldRanges& state)
      : in_(input), state_(state) {}

  void Run() {
    if (in_.Regions == nullptr || in_.Regions->Count() == 0) {
      return;
    }
    LoadLine(0);
    ScanSet(*in_.Regions, nullptr);
  }

 private:
  struct TOpenRange {
    TSrcEditFoldRange* Range;
    const TFoldRegionItem* Region;
  };
  using TFirstChars = std::array<bool, 256>;

  bool AtEnd() const { return line_ >= in_.LineCount; }

  void LoadLine(int index) {
    line_ = index;
    pos_ = 0;
    if (index >= in_.LineCount) {
      text_ = {};
      return;
    }
    const std::string_view raw = in_.Line(index);
    if (in_.CaseSensitive) {
      text_ = raw;
    } else {
      upper_.assign(raw);
      UpperCaseAscii(upper_);
      text_ = upper_;
    }
  }

  bool At(std::string_view token) const {
    return !token.empty() && pos_ + token.size() <= text_.size() &&
           text_.compare(pos_, token.size(), token) == 0;
  }

  bool WordBoundary(std::size_t start, std::size_t length) const {
    const bool before = start > 0 && IsFoldWordChar(static_cast<unsigned char>(text_[start - 1]));
    const bool after = start + length < text_.size() &&
                       IsFoldWordChar(static_cast<unsigned char>(text_[start + length]));
    return !before && !after;
  }

  bool InStringOrComment() const {
    return in_.IsInStringOrComment && in_.IsInStringOrComment(line_, static_cast<int>(pos_));
  }

  std::string SkipToken(const std::string& token) const {
    std::string t = token;
    if (!in_.CaseSensitive) {
      UpperCaseAscii(t);
    }
    return t;
  }

  TFirstChars FirstChars(const TFoldRegions& regions, const TFoldRegionItem* parent,
                         const std::vector<std::string>& skip_opens) const {
    TFirstChars table{};
    const auto note = [&table](const std::string& token) {
      if (!token.empty()) {
        table[static_cast<unsigned char>(token[0])] = true;
      }
    };
    for (const std::string& open : skip_opens) {
      note(open);
    }
    for (int i = 0; i < regions.Count(); ++i) {
      note(regions.Item(i).OpenToken);
      note(regions.Item(i).CloseToken);
    }
    if (parent != nullptr) {
      note(parent->CloseToken);
    }
    return table;
  }

  void ScanSet(const TFoldRegions& regions, const TFoldRegionItem* parent) {
    const TSkipRegions& skips = regions.SkipRegions();
    std::vector<std::string> skip_opens;
    std::vector<std::string> skip_closes;
    for (int i = 0; i < skips.Count(); ++i) {
      skip_opens.push_back(SkipToken(skips.Item(i).OpenToken));
      skip_closes.push_back(SkipToken(skips.Item(i).CloseToken));
    }
    const TFirstChars first = FirstChars(regions, parent, skip_opens);
    while (!AtEnd()) {
      while (pos_ < text_.size() && !first[static_cast<unsigned char>(text_[pos_])]) {
        ++pos_;
      }
      if (pos_ >= text_.size()) {
        LoadLine(line_ + 1);
        continue;
      }
      const int skip = SkipOpenAt(skip_opens);
      if (skip >= 0 && skips.Item(skip).Kind == srkToLineEnd) {
        // A fold token that begins like a line comment (";{") counts, and
        // the rest of its line stays a comment.
        const std::size_t length = FoldTokenLengthAt(regions, parent);
        if (length > skip_opens[static_cast<std::size_t>(skip)].size()) {
          const std::string_view line = text_;
          text_ = text_.substr(0, pos_ + length);
          if (FoldRegionAt(regions)) {
            continue;
          }
          if (parent != nullptr && parent->Kind != frkChar && ParentClosesAt(*parent)) {
            PopToParent(*parent);
            pos_ += parent->CloseToken.size();
            return;
          }
          text_ = line;
        }
      }
      if (SkipRegionAt(skips, skip_opens, skip_closes)) {
        continue;
      }
      if (FoldRegionAt(regions)) {
        continue;
      }
      if (parent != nullptr && ParentClosesAt(*parent)) {
        PopToParent(*parent);
        pos_ += parent->Kind == frkChar ? 1 : parent->CloseToken.size();
        return;
      }
      ++pos_;
    }
  }

  // The first skip region opening here (the one SkipRegionAt takes), or -1.
  int SkipOpenAt(const std::vector<std::string>& opens) const {
    for (std::size_t i = 0; i < opens.size(); ++i) {
      if (At(opens[i])) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }

  // The longest multi-character token of the set, or the parent's closing
  // token, that stands here.
  std::size_t FoldTokenLengthAt(const TFoldRegions& regions, const TFoldRegionItem* parent) const {
    std::size_t longest = 0;
    const auto note = [this, &longest](const std::string& token, bool whole_words) {
      if (At(token) && (!whole_words || WordBoundary(pos_, token.size()))) {
        longest = std::max(longest, token.size());
      }
    };
    for (int i = 0; i < regions.Count(); ++i) {
      const TFoldRegionItem& region = regions.Item(i);
      if (region.Kind != frkChar) {
        note(region.OpenToken, region.WholeWordsOnly);
        note(region.CloseToken, region.WholeWordsOnly);
      }
    }
    if (parent != nullptr && parent->Kind != frkChar) {
      note(parent->CloseToken, parent->WholeWordsOnly);
    }
    return longest;
  }

  bool SkipRegionAt(const TSkipRegions& skips, const std::vector<std::string>& opens,
                    const std::vector<std::string>& closes) {
    for (int i = 0; i < skips.Count(); ++i) {
      const auto k = static_cast<std::size_t>(i);
      if (!At(opens[k])) {
        continue;
      }
      pos_ += opens[k].size();
      const TSkipRegionItem& skip = skips.Item(i);
      switch (skip.Kind) {
        case srkToCloseChar:
          SkipToCloseChar(closes[k], skip.EscapeChar);
          break;
        case srkToCloseToken:
          SkipToCloseToken(closes[k]);
          break;
        case srkToLineEnd:
          LoadLine(line_ + 1);
          break;
      }
      return true;
    }
    return false;
  }

  void SkipToCloseChar(const std::string& close, const std::string& escape) {
    if (close.empty()) {
      LoadLine(line_ + 1);
      return;
    }
    const bool escapable = escape.size() == 1;
    while (!AtEnd()) {
      const std::size_t found = text_.find(close[0], pos_);
      if (found == std::string_view::npos) {
        LoadLine(line_ + 1);
        continue;
      }
      pos_ = found + 1;
      if (!escapable || found == 0 || text_[found - 1] != escape[0]) {
        return;
      }
    }
  }

  void SkipToCloseToken(const std::string& close) {
    if (close.empty()) {
      LoadLine(line_ + 1);
      return;
    }
    while (!AtEnd()) {
      const std::size_t found = text_.find(close, pos_);
      if (found != std::string_view::npos) {
        pos_ = found + close.size();
        return;
      }
      LoadLine(line_ + 1);
    }
  }

  // Tries each region to open or close a range here; true when the position
  // was dealt with (and moved on).
  bool FoldRegionAt(const TFoldRegions& regions) {
    const char c = text_[pos_];
    for (int i = 0; i < regions.Count(); ++i) {
      const TFoldRegionItem& region = regions.Item(i);
      if (region.Kind == frkChar) {
        const bool opens = !region.OpenToken.empty() && c == region.OpenToken[0];
        const bool closes = !region.CloseToken.empty() && c == region.CloseToken[0];
        if (!opens && !closes) {
          continue;
        }
        if (region.WholeWordsOnly && !WordBoundary(pos_, 1)) {
          continue;
        }
        if (InStringOrComment()) {
          ++pos_;
          return true;
        }
        ++pos_;
        if (opens) {
          Open(region);
        } else {
          CloseMatching(region.CloseToken, line_ + 1);
        }
        return true;
      }
      if (At(region.OpenToken) &&
          (!region.WholeWordsOnly || WordBoundary(pos_, region.OpenToken.size()))) {
        pos_ += region.OpenToken.size();
        Open(region);
        return true;
      }
      if (At(region.CloseToken) &&
          (!region.WholeWordsOnly || WordBoundary(pos_, region.CloseToken.size())) &&
          CloseMatching(region.CloseToken, line_ + 1)) {
        pos_ += region.CloseToken.size();
        return true;
      }
    }
    return false;
  }

  void Open(const TFoldRegionItem& region) {
    TSrcEditFoldRange* parent = stack_.empty() ? nullptr : stack_.back().Range;
    TSrcEditFoldRange* range =
        state_.AddFoldRange(parent, line_ + 1, line_ + 1, nest_, IndentDepth(text_, in_.TabWidth));
    range->OpenToken = region.OpenToken;
    range->CloseToken = region.CloseToken;
    range->ShowCloseToken = region.ShowCloseToken;
    if (region.CloseAtFirst) {
      ScanToFirstClose(region, *range);
      return;
    }
    stack_.push_back({range, &region});
    ++nest_;
    if (region.SubRegions->Count() > 0 && depth_ < kMaxSubRegionDepth) {
      ++depth_;
      ScanSet(*region.SubRegions, &region);
      --depth_;
    }
  }

  void ScanToFirstClose(const TFoldRegionItem& region, TSrcEditFoldRange& range) {
    const std::string& close = region.CloseToken;
    while (!AtEnd() && !close.empty()) {
      if (pos_ >= text_.size()) {
        LoadLine(line_ + 1);
        continue;
      }
      const bool hit = region.Kind == frkChar ? text_[pos_] == close[0] && !InStringOrComment()
                                              : At(close) && (!region.WholeWordsOnly ||
                                                              WordBoundary(pos_, close.size()));
      if (hit) {
        range.LastLine = line_ + 1;
        pos_ += region.Kind == frkChar ? 1 : close.size();
        return;
      }
      ++pos_;
    }
    range.LastLine = in_.LineCount;
  }

  // Closes the innermost open range whose region has this closing token.
  // Ranges opened inside it and never closed end unclosed with it, so every
  // range's nested ranges lie within its lines.
  bool CloseMatching(const std::string& close, int line) {
    for (std::size_t i = stack_.size(); i-- > 0;) {
      if (stack_[i].Region->CloseToken == close) {
        stack_[i].Range->LastLine = line;
        nest_ -= static_cast<int>(stack_.size() - i);
        stack_.resize(i);
        return true;
      }
    }
    return false;
  }

  bool ParentClosesAt(const TFoldRegionItem& parent) const {
    if (parent.CloseToken.empty()) {
      return false;
    }
    if (parent.Kind == frkChar) {
      return text_[pos_] == parent.CloseToken[0] && !InStringOrComment();
    }
    return At(parent.CloseToken) &&
           (!parent.WholeWordsOnly || WordBoundary(pos_, parent.CloseToken.size()));
  }

  // The parent's closing token ends every range opened inside it.
  void PopToParent(const TFoldRegionItem& parent) {
    bool open = false;
    for (const TOpenRange& r : stack_) {
      open = open || r.Region == &parent;
    }
    if (!open) {
      return;
    }
    const int line = line_ + 1;
    while (!stack_.empty()) {
      const TOpenRange top = stack_.back();
      stack_.pop_back();
      --nest_;
      if (top.Region == &parent) {
        top.Range->LastLine = line;
        return;
      }
      top.Range->LastLine = std::max(top.Range->FirstLine, line - 1);
    }
  }

  const TFoldScanInput& in_;
  TSrcEditAllFoldRanges& state_;
  int line_ = 0;
  std::string_view text_;
  std::string upper_;
  std::size_t pos_ = 0;
  int nest_ = 0;
  int depth_ = 0;
  std::vector<TOpenRange> stack_;
};

}  // namespace

void ScanFoldRegions(const TFoldScanInput& input, TSrcEditAllFoldRanges& state) {
  TFoldScanner(input, state).Run();
}

}  // namespace torvane
