// The map's lines following inserted and deleted lines.
#include "listing/line_track.h"

#include <algorithm>
#include <cstdlib>

namespace torvane {

void TListingTrack::Attach(std::shared_ptr<const TListingMap> map, int file, int line_count) {
  map_ = std::move(map);
  file_ = file;
  assembled_.resize(static_cast<std::size_t>(std::max(line_count, 0)));
  for (std::size_t i = 0; i < assembled_.size(); ++i) {
    assembled_[i] = static_cast<int>(i + 1);
  }
}

void TListingTrack::Detach() {
  map_.reset();
  assembled_.clear();
}

int TListingTrack::AssembledLine(int line) const {
  if (line < 1 || static_cast<std::size_t>(line) > assembled_.size()) {
    return 0;
  }
  return std::max(assembled_[static_cast<std::size_t>(line - 1)], 0);
}

int TListingTrack::CurrentLine(int assembled_line, const TLineText& text) const {
  if (assembled_line < 1 || map_ == nullptr) {
    return 0;
  }
  auto line_of = [&](int number) {
    const auto it = std::find(assembled_.begin(), assembled_.end(), number);
    return it == assembled_.end() ? 0 : static_cast<int>(it - assembled_.begin()) + 1;
  };
  const int line = line_of(assembled_line);
  const TLineCode* code = map_->CodeAt(file_, assembled_line);
  if (!text || code == nullptr || (line != 0 && Lookup(line, text).Code == code)) {
    return line;
  }
  // Its text may sit one place away (a joined or split line).
  for (const int near : {line, line_of(assembled_line - 1), line_of(assembled_line + 1)}) {
    for (const int next : {near + 1, near - 1}) {
      if (near != 0 && next >= 1 && static_cast<std::size_t>(next) <= assembled_.size() &&
          Lookup(next, text).Code == code) {
        return next;
      }
    }
  }
  return line;
}

TTrackedCode TListingTrack::Lookup(int line, const TLineText& text) const {
  if (map_ == nullptr || line < 1 || static_cast<std::size_t>(line) > assembled_.size()) {
    return {};
  }
  const std::string_view now = text(line);
  auto matching = [&](int number) -> const TLineCode* {
    const TLineCode* code = number > 0 ? map_->CodeAt(file_, number) : nullptr;
    return code != nullptr && ListedTextMatches(code->ListedText, now) ? code : nullptr;
  };
  auto number_at = [&](int at) {
    return at < 1 || static_cast<std::size_t>(at) > assembled_.size()
               ? 0
               : std::abs(assembled_[static_cast<std::size_t>(at - 1)]);
  };
  const int own = assembled_[static_cast<std::size_t>(line - 1)];
  if (own > 0) {
    if (const TLineCode* code = matching(own)) {
      return {code, false};
    }
  }
  // Edits that join or split lines report the line store's view: the text
  // of a deleted line can sit on its neighbour's number, a split-off text on
  // a new line. Only the exact listed text of a line one place away counts.
  const int above = number_at(line - 1);
  const int below = number_at(line + 1);
  const int number_now = std::abs(own);
  for (const int number : {-own, number_now - 1, number_now + 1, above > 0 ? above + 1 : 0,
                           below > 1 ? below - 1 : 0}) {
    if (const TLineCode* code = matching(number)) {
      return {code, false};
    }
  }
  if (own <= 0) {
    return {};
  }
  const TLineCode* code = map_->CodeAt(file_, own);
  if (code == nullptr) {
    return {};
  }
  for (const int next : {line - 1, line + 1}) {
    if (next >= 1 && static_cast<std::size_t>(next) <= assembled_.size() &&
        ListedTextMatches(code->ListedText, text(next))) {
      return {};  // its text went to the neighbour, which shows it
    }
  }
  return {code, true};
}

const TLineCode* TListingTrack::CodeAt(int line) const {
  if (map_ == nullptr) {
    return nullptr;
  }
  const int assembled = AssembledLine(line);
  return assembled <= 0 ? nullptr : map_->CodeAt(file_, assembled);
}

bool TListingTrack::Stale(const TLineCode& code, std::string_view text) {
  return !ListedTextMatches(code.ListedText, text);
}

void TListingTrack::LinesInserted(int line, int count) {
  if (map_ == nullptr || count <= 0 || line < 1) {
    return;
  }
  const std::size_t at = std::min(static_cast<std::size_t>(line - 1), assembled_.size());
  // New lines below a line with a number may have taken its text (a line
  // break before it): they remember which.
  const int above = at == 0 ? 0 : assembled_[at - 1];
  assembled_.insert(assembled_.begin() + static_cast<std::ptrdiff_t>(at),
                    static_cast<std::size_t>(count), above > 0 ? -above : above);
}

void TListingTrack::LinesDeleted(int line, int count) {
  if (map_ == nullptr || count <= 0 || line < 1) {
    return;
  }
  const std::size_t from = std::min(static_cast<std::size_t>(line - 1), assembled_.size());
  const std::size_t to = std::min(from + static_cast<std::size_t>(count), assembled_.size());
  assembled_.erase(assembled_.begin() + static_cast<std::ptrdiff_t>(from),
                   assembled_.begin() + static_cast<std::ptrdiff_t>(to));
}

void TListingTrack::LinesCleared() {
  // A new text: nothing of the old listing applies to it.
  Detach();
}

}  // namespace torvane
