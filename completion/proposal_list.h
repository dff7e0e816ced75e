// The list behind list mode: the full item list, the displayed (filtered)
// items with the index of each in the full list, the typed part of the word
// and the selected position with the first visible row. QtCore only, so
// filtering is tested without a display.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "completion/proposal_types.h"

namespace torvane {

struct TDisplayedItem {
  std::string Text;
  int ItemIndex = 0;  // into the full item list
  friend bool operator==(const TDisplayedItem&, const TDisplayedItem&) = default;
};

class TProposalList {
 public:
  // Takes a copy of the items at each show; the insert list is read when
  // filtering and completing.
  void Assign(const std::vector<std::string>& items, const std::vector<std::string>* insert_list,
              TSrcCompletionOptions options);
  void SetOptions(TSrcCompletionOptions options) { options_ = options; }

  const std::vector<TDisplayedItem>& Displayed() const { return displayed_; }
  int Count() const { return static_cast<int>(displayed_.size()); }
  const std::string& CurrentString() const { return current_; }
  // Filters (scoLimitToMatchedText) or finds the first match, selects it and
  // reports its item index through OnChange.
  void SetCurrentString(std::string_view text);
  // True when the text (stripped with scoUsePrettyText, or the insert-list
  // entry of `item_index` with scoUseInsertList) begins with `prefix`.
  bool Matches(const std::string& text, int item_index, std::string_view prefix) const;

  int Position() const { return position_; }
  // False (nothing changes) beyond the last item, at the current position,
  // or at 0 or less while the position is 0.
  bool SelectPosition(int position);
  // Clamped to the first and last item.
  bool MoveBy(int delta);

  // Rows the window shows; the list scrolls to keep the position in view.
  int TopIndex() const { return top_; }
  int VisibleLines() const { return visible_lines_; }
  void SetVisibleLines(int lines);
  void SetTopIndex(int top);

  // The item index of the selected row; -1 for an empty list.
  int SelectedItemIndex() const;

  std::function<void(int item_index)> OnChange;

 private:
  void ScrollToPosition();

  std::vector<std::string> items_;
  const std::vector<std::string>* insert_list_ = nullptr;
  TSrcCompletionOptions options_ = kDefaultCompletionOptions;
  std::vector<TDisplayedItem> displayed_;
  std::string current_;
  int position_ = 0;
  int top_ = 0;
  int visible_lines_ = 1;
};

}  // namespace torvane
