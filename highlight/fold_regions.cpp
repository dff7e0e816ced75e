// Building and copying fold and skip region definitions.
#include "highlight/fold_regions.h"

namespace torvane {

TSkipRegionItem& TSkipRegions::Add(TSkipRegionKind kind, std::string open_token,
                                   std::string close_token, std::string escape_char) {
  TSkipRegionItem& item = items_.emplace_back();
  item.Kind = kind;
  item.OpenToken = std::move(open_token);
  item.CloseToken = std::move(close_token);
  item.EscapeChar = std::move(escape_char);
  return item;
}

TFoldRegionItem::TFoldRegionItem() : SubRegions(std::make_unique<TFoldRegions>()) {}

TFoldRegionItem::TFoldRegionItem(const TFoldRegionItem& other)
    : Kind(other.Kind),
      ShowCloseToken(other.ShowCloseToken),
      CloseAtFirst(other.CloseAtFirst),
      SubRegions(std::make_unique<TFoldRegions>(*other.SubRegions)),
      OpenToken(other.OpenToken),
      CloseToken(other.CloseToken),
      WholeWordsOnly(other.WholeWordsOnly) {}

TFoldRegionItem& TFoldRegionItem::operator=(const TFoldRegionItem& other) {
  if (this != &other) {
    TFoldRegionItem copy(other);
    Kind = copy.Kind;
    ShowCloseToken = copy.ShowCloseToken;
    CloseAtFirst = copy.CloseAtFirst;
    SubRegions = std::move(copy.SubRegions);
    OpenToken = std::move(copy.OpenToken);
    CloseToken = std::move(copy.CloseToken);
    WholeWordsOnly = copy.WholeWordsOnly;
  }
  return *this;
}

TFoldRegionItem::~TFoldRegionItem() = default;

TFoldRegionItem& TFoldRegions::Add(TFoldRegionKind kind, std::string open_token,
                                   std::string close_token, bool whole_words_only,
                                   bool show_close_token, bool close_at_first) {
  TFoldRegionItem& item = items_.emplace_back();
  item.Kind = kind;
  item.OpenToken = std::move(open_token);
  item.CloseToken = std::move(close_token);
  item.WholeWordsOnly = whole_words_only;
  item.ShowCloseToken = show_close_token;
  item.CloseAtFirst = close_at_first;
  return item;
}

void TFoldRegions::CopyFrom(const TFoldRegions& source) {
  if (this != &source) {
    items_ = source.items_;
    skip_regions_ = source.skip_regions_;
  }
}

void TFoldRegions::Clear() {
  items_.clear();
  skip_regions_.Clear();
}

}  // namespace torvane
