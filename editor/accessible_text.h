// The editor's text as an assistive technology reads it: every line of the
// expanded text (collapsed blocks' lines included) joined by one '\n', with
// offsets counting decoded characters (a double-byte character is one).
// Per-line counts follow the line notifications, so turning an offset into a
// line, or the caret into an offset, costs O(log n) and reads one line; no
// query builds more text than it returns. While Collecting() says an
// assistive technology listens, the changes of a batch are gathered into one
// removal and insertion at one place, carrying only the changed text.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/line_change_observer.h"
#include "editor/line_char_counts.h"
#include "editor/line_edit_observer.h"
#include "editor/line_observer.h"
#include "editor/positions.h"

namespace torvane {

class TSrcEditModel;

// One change: `removed` went from `position` and `inserted` took its place.
struct TAccessibleTextChange {
  std::int64_t position = 0;
  QString removed;
  QString inserted;
  // The whole text changed (cleared, read anew): no texts are carried.
  bool whole = false;
};

class TSrcEditAccessibleText : public ISrcEditLineObserver,
                               public ISrcEditLineChangeObserver,
                               public ISrcEditLineEditObserver {
 public:
  // Counts every line once and follows the model from then on.
  explicit TSrcEditAccessibleText(TSrcEditModel& model);
  ~TSrcEditAccessibleText() override;
  TSrcEditAccessibleText(const TSrcEditAccessibleText&) = delete;
  TSrcEditAccessibleText& operator=(const TSrcEditAccessibleText&) = delete;

  std::int64_t CharacterCount() const { return counts_.TextLength(); }
  // Lines of the expanded text (at least 1: an empty store reads as one
  // empty line).
  int LineCount() const { return std::max(counts_.LineCount(), 1); }
  // The bytes of 1-based expanded `line`; empty outside.
  std::string LineBytes(int line) const;
  int LineLength(int line) const { return counts_.Count(line - 1); }
  std::int64_t LineStart(int line) const { return counts_.LineStart(line - 1); }
  // The 1-based line holding `offset` (its break belongs to it).
  int LineAt(std::int64_t offset) const { return counts_.LineAt(offset) + 1; }

  // An expanded position (Char a 1-based byte) <-> an offset; offsets are
  // clamped to 0..CharacterCount().
  std::int64_t OffsetOf(TBufferPos expanded) const;
  TBufferPos PositionAt(std::int64_t offset) const;
  // Decoded characters [start, end), clamped.
  QString Text(std::int64_t start, std::int64_t end) const;

  std::int64_t CaretOffset() const;
  // Both ends of the selection; equal without one.
  std::pair<std::int64_t, std::int64_t> SelectionOffsets() const;

  // Whether changes are gathered (set by the view: an assistive technology
  // is active). Unset: never.
  std::function<bool()> Collecting;
  // The changes since the last call, merged where they touch.
  std::vector<TAccessibleTextChange> TakeChanges();

  // "[3 0 12]" of the counts, for failing tests.
  std::string Dump() const { return counts_.Dump(); }

  void LinesInserted(int line, int count) override;
  void LinesDeleted(int line, int count) override;
  void LinesCleared() override;
  void LineChanged(int line) override;
  void LineChanging(int line, std::size_t from, std::size_t tail) override;
  void LinesDeleting(int line, int count) override;

 private:
  int CountChars(std::string_view bytes) const;
  // A line's characters from its bytes; a long line is counted by the
  // change alone (see LineChanging).
  int LineChars(int line) const;
  // Characters before byte `byte` of `bytes` and the byte of character `ch`.
  int CharsBefore(std::string_view bytes, std::size_t byte) const;
  std::size_t ByteOfChar(std::string_view bytes, int ch) const;
  bool IsCollecting() const { return Collecting && Collecting(); }
  void AddChange(TAccessibleTextChange change);
  // The bytes of 1-based expanded `line`: a view into the store, or into
  // `scratch` for a line a collapsed block keeps.
  std::string_view LineView(int line, std::string& scratch) const;

  // A change in characters, so that merging needs no surrogate pairs.
  struct TPendingChange {
    std::int64_t position = 0;
    std::u32string removed;
    std::u32string inserted;
    bool whole = false;
  };

  TSrcEditModel& model_;
  TLineCharCounts counts_;
  // Between LineChanging and LineChanged: the changed bytes and, for a long
  // line, the removed bytes' characters.
  bool changing_ = false;
  int changing_removed_ = 0;
  std::size_t changing_from_ = 0;
  std::size_t changing_tail_ = 0;
  // The same for the change told to listeners (wider in multi-byte pages).
  std::size_t event_from_ = 0;
  std::size_t event_tail_ = 0;
  // invariant: each change's position is in the text as the ones before
  // it left it; a whole change is alone.
  std::vector<TPendingChange> pending_;
};

}  // namespace torvane
