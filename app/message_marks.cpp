// Marks of assembler messages following inserted and deleted lines.
#include "app/message_marks.h"

#include <algorithm>

namespace torvane {

void TMessageMarks::Add(int line, TLineMarkKind kind) {
  if (line < 1 || kind == TLineMarkKind::None) {
    return;
  }
  TLineMarkKind& mark = marks_[line];
  mark = std::max(mark, kind);
  Changed();
}

void TMessageMarks::Clear() {
  tracked_.clear();
  if (!marks_.empty()) {
    marks_.clear();
    Changed();
  }
}

TLineMarkKind TMessageMarks::KindAt(int line) const {
  const auto it = marks_.find(line);
  return it == marks_.end() ? TLineMarkKind::None : it->second;
}

std::string TMessageMarks::Dump() const {
  std::string out;
  for (const auto& [line, kind] : marks_) {
    if (!out.empty()) {
      out += ' ';
    }
    out += std::to_string(line) + (kind == TLineMarkKind::Error ? ":E" : ":W");
  }
  return out;
}

void TMessageMarks::Track(int key, int line) {
  if (line >= 1) {
    tracked_[key] = line;
  }
}

std::optional<int> TMessageMarks::TrackedLine(int key) const {
  const auto it = tracked_.find(key);
  return it == tracked_.end() ? std::nullopt : std::optional<int>(it->second);
}

void TMessageMarks::LinesInserted(int line, int count) {
  if (count <= 0) {
    return;
  }
  for (auto& [key, at] : tracked_) {
    at = at >= line ? at + count : at;
  }
  if (marks_.empty() || marks_.rbegin()->first < line) {
    return;
  }
  std::map<int, TLineMarkKind> moved;
  for (const auto& [at, kind] : marks_) {
    moved.emplace(at >= line ? at + count : at, kind);
  }
  marks_ = std::move(moved);
  Changed();
}

void TMessageMarks::LinesDeleted(int line, int count) {
  if (count <= 0) {
    return;
  }
  for (auto& [key, at] : tracked_) {
    at = at < line ? at : std::max(line, at - count);
  }
  if (marks_.empty() || marks_.rbegin()->first < line) {
    return;
  }
  std::map<int, TLineMarkKind> moved;
  for (const auto& [at, kind] : marks_) {
    const int to = at < line ? at : std::max(line, at - count);
    TLineMarkKind& mark = moved[to];
    mark = std::max(mark, kind);
  }
  marks_ = std::move(moved);
  Changed();
}

void TMessageMarks::LinesCleared() {
  Clear();
}

void TMessageMarks::Changed() const {
  if (OnChange) {
    OnChange();
  }
}

}  // namespace torvane
