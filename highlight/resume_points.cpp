// Keeping resume points in step with the lines they belong to.
#include "highlight/resume_points.h"

#include <algorithm>

namespace torvane {

std::vector<TTokenResumePoints::TLinePoints>::iterator TTokenResumePoints::Find(int index) {
  return std::find_if(lines_.begin(), lines_.end(),
                      [index](const TLinePoints& line) { return line.Index == index; });
}

int TTokenResumePoints::Before(int index, int offset) const {
  const auto line = std::find_if(lines_.begin(), lines_.end(),
                                 [index](const TLinePoints& l) { return l.Index == index; });
  if (line == lines_.end()) {
    return 0;
  }
  const auto after = std::upper_bound(line->Points.begin(), line->Points.end(), offset);
  return after == line->Points.begin() ? 0 : *(after - 1);
}

void TTokenResumePoints::Note(int index, int offset) {
  if (offset < kSpacing) {
    return;
  }
  const auto line = Find(index);
  if (line == lines_.end()) {
    if (lines_.size() >= kMaxLines) {
      lines_.erase(lines_.begin());
    }
    lines_.push_back({index, {offset}});
    return;
  }
  if (offset - line->Points.back() >= kSpacing) {
    line->Points.push_back(offset);
  }
}

void TTokenResumePoints::LineChanged(int index, std::size_t from) {
  const auto line = Find(index);
  if (line == lines_.end()) {
    return;
  }
  std::vector<int>& points = line->Points;
  while (!points.empty() && static_cast<std::size_t>(points.back()) + kMargin > from) {
    points.pop_back();
  }
  if (points.empty()) {
    lines_.erase(line);
  }
}

void TTokenResumePoints::LinesInserted(int index, int count) {
  for (TLinePoints& line : lines_) {
    if (line.Index >= index) {
      line.Index += count;
    }
  }
}

void TTokenResumePoints::LinesDeleted(int index, int count) {
  std::erase_if(lines_, [&](const TLinePoints& line) {
    return line.Index >= index && line.Index < index + count;
  });
  for (TLinePoints& line : lines_) {
    if (line.Index >= index + count) {
      line.Index -= count;
    }
  }
}

}  // namespace torvane
