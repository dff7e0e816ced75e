// The map's lines following inserted and deleted lines.
#include "listing/line_track.h"

#include <algorithm>

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
  return assembled_[static_cast<std::size_t>(line - 1)];
}

int TListingTrack::CurrentLine(int assembled_line) const {
  if (assembled_line < 1) {
    return 0;
  }
  const auto it = std::find(assembled_.begin(), assembled_.end(), assembled_line);
  return it == assembled_.end() ? 0 : static_cast<int>(it - assembled_.begin()) + 1;
}

const TLineCode* TListingTrack::CodeAt(int line) const {
  if (map_ == nullptr) {
    return nullptr;
  }
  const int assembled = AssembledLine(line);
  return assembled == 0 ? nullptr : map_->CodeAt(file_, assembled);
}

bool TListingTrack::Stale(const TLineCode& code, std::string_view text) {
  return !ListedTextMatches(code.ListedText, text);
}

void TListingTrack::LinesInserted(int line, int count) {
  if (map_ == nullptr || count <= 0 || line < 1) {
    return;
  }
  const std::size_t at = std::min(static_cast<std::size_t>(line - 1), assembled_.size());
  assembled_.insert(assembled_.begin() + static_cast<std::ptrdiff_t>(at),
                    static_cast<std::size_t>(count), 0);
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
