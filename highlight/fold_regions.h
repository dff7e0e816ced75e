// Definitions of the blocks a language can fold (opening and closing tokens)
// and of the stretches in which such tokens do not count. A highlighter owns
// one set; the fold scanner only reads them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace torvane {

enum TSkipRegionKind : std::uint8_t { srkToCloseChar = 0, srkToCloseToken = 1, srkToLineEnd = 2 };

struct TSkipRegionItem {
  std::string CloseToken;
  std::string OpenToken;
  // When exactly one character, a closing character preceded by it does not
  // end the region.
  std::string EscapeChar;
  TSkipRegionKind Kind = srkToCloseChar;
};

class TSkipRegions {
 public:
  TSkipRegionItem& Add(TSkipRegionKind kind, std::string open_token, std::string close_token,
                       std::string escape_char = {});
  int Count() const { return static_cast<int>(items_.size()); }
  const TSkipRegionItem& Item(int index) const {
    return items_.at(static_cast<std::size_t>(index));
  }
  void Clear() { items_.clear(); }

 private:
  std::vector<TSkipRegionItem> items_;
};

enum TFoldRegionKind : std::uint8_t { frkChar = 0, frkKeyword = 1 };

class TFoldRegions;

struct TFoldRegionItem {
  TFoldRegionItem();
  TFoldRegionItem(const TFoldRegionItem& other);
  TFoldRegionItem& operator=(const TFoldRegionItem& other);
  ~TFoldRegionItem();

  TFoldRegionKind Kind = frkChar;
  bool ShowCloseToken = false;
  bool CloseAtFirst = false;
  // Searched only inside a range of this region; never null.
  std::unique_ptr<TFoldRegions> SubRegions;
  std::string OpenToken;
  std::string CloseToken;
  bool WholeWordsOnly = false;
};

// The fold-region definitions of one level, with the skip regions that apply.
class TFoldRegions {
 public:
  TFoldRegionItem& Add(TFoldRegionKind kind, std::string open_token, std::string close_token,
                       bool whole_words_only = false, bool show_close_token = false,
                       bool close_at_first = false);
  int Count() const { return static_cast<int>(items_.size()); }
  const TFoldRegionItem& Item(int index) const {
    return items_.at(static_cast<std::size_t>(index));
  }
  TFoldRegionItem& Item(int index) { return items_.at(static_cast<std::size_t>(index)); }
  TSkipRegions& SkipRegions() { return skip_regions_; }
  const TSkipRegions& SkipRegions() const { return skip_regions_; }
  // Copies all items (with their sub-regions) and the skip regions.
  void CopyFrom(const TFoldRegions& source);
  void Clear();

 private:
  std::vector<TFoldRegionItem> items_;
  TSkipRegions skip_regions_;
};

}  // namespace torvane
