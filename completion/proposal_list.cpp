// Filtering and selecting in list mode.
#include "completion/proposal_list.h"

#include <QString>
#include <algorithm>

#include "completion/format_chunks.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool BytePrefix(std::string_view text, std::string_view prefix, bool case_sensitive) {
  if (text.size() < prefix.size()) {
    return false;
  }
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char a = case_sensitive ? text[i] : LowerAscii(text[i]);
    const char b = case_sensitive ? prefix[i] : LowerAscii(prefix[i]);
    if (a != b) {
      return false;
    }
  }
  return true;
}

// Compared as the locale orders text, over the prefix's characters.
bool LocalePrefix(std::string_view text, std::string_view prefix, bool case_sensitive) {
  QString head = DecodeText(text);
  QString wanted = DecodeText(prefix);
  if (head.size() < wanted.size()) {
    return false;
  }
  head.truncate(wanted.size());
  if (!case_sensitive) {
    head = head.toLower();
    wanted = wanted.toLower();
  }
  return QString::localeAwareCompare(head, wanted) == 0;
}

}  // namespace

void TProposalList::Assign(const std::vector<std::string>& items,
                           const std::vector<std::string>* insert_list,
                           TSrcCompletionOptions options) {
  items_ = items;
  insert_list_ = insert_list;
  options_ = options;
  displayed_.clear();
  displayed_.reserve(items_.size());
  for (std::size_t i = 0; i < items_.size(); ++i) {
    displayed_.push_back({items_[i], static_cast<int>(i)});
  }
  current_.clear();
  position_ = 0;
  top_ = 0;
}

bool TProposalList::Matches(const std::string& text, int item_index,
                            std::string_view prefix) const {
  std::string compared;
  if (options_.Has(scoUseInsertList)) {
    if (insert_list_ != nullptr && item_index >= 0 &&
        item_index < static_cast<int>(insert_list_->size())) {
      compared = (*insert_list_)[static_cast<std::size_t>(item_index)];
    }
  } else if (options_.Has(scoUsePrettyText)) {
    compared = StripFormatCommands(text);
  } else {
    compared = text;
  }
  const bool case_sensitive = options_.Has(scoCaseSensitive);
  return options_.Has(scoAnsiStrings) ? LocalePrefix(compared, prefix, case_sensitive)
                                      : BytePrefix(compared, prefix, case_sensitive);
}

void TProposalList::SetCurrentString(std::string_view text) {
  current_ = std::string(text);
  if (options_.Has(scoLimitToMatchedText)) {
    displayed_.clear();
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (Matches(items_[i], static_cast<int>(i), current_)) {
        displayed_.push_back({items_[i], static_cast<int>(i)});
      }
    }
    position_ = 0;
    top_ = 0;
    if (!displayed_.empty() && OnChange) {
      OnChange(displayed_[0].ItemIndex);
    }
    return;
  }
  int found = 0;
  for (std::size_t i = 0; i < displayed_.size(); ++i) {
    if (Matches(displayed_[i].Text, displayed_[i].ItemIndex, current_)) {
      found = static_cast<int>(i);
      break;
    }
  }
  // Item 0 when nothing matches, even from a later position.
  const bool changed = found != position_;
  position_ = found;
  ScrollToPosition();
  if (changed && OnChange) {
    OnChange(SelectedItemIndex());
  }
}

bool TProposalList::SelectPosition(int position) {
  if (position >= Count() || position == position_ || (position <= 0 && position_ == 0)) {
    return false;
  }
  position_ = std::max(position, 0);
  ScrollToPosition();
  return true;
}

bool TProposalList::MoveBy(int delta) {
  if (Count() == 0) {
    return false;
  }
  return SelectPosition(std::clamp(position_ + delta, 0, Count() - 1));
}

void TProposalList::SetVisibleLines(int lines) {
  visible_lines_ = std::max(lines, 1);
  ScrollToPosition();
}

void TProposalList::SetTopIndex(int top) {
  top_ = std::clamp(top, 0, std::max(Count() - visible_lines_, 0));
}

void TProposalList::ScrollToPosition() {
  if (position_ < top_) {
    top_ = position_;
  } else if (position_ >= top_ + visible_lines_) {
    top_ = position_ - visible_lines_ + 1;
  }
  SetTopIndex(top_);
}

int TProposalList::SelectedItemIndex() const {
  if (position_ < 0 || position_ >= Count()) {
    return -1;
  }
  return displayed_[static_cast<std::size_t>(position_)].ItemIndex;
}

}  // namespace torvane
