// Range states computed when a line below needs them rather than after every
// change: opening a file scans nothing, painting a screen scans the lines
// above it once, and idle time may compute the rest.
#pragma once

#include "document/string_list.h"
#include "highlight/custom_highlighter.h"
#include "highlight/rescan.h"

namespace torvane {

// The editor's range states, kept lazily in the line store's records.
//
// invariant: the states stored for lines 0..Known()-1 are those a full scan
// from the first line gives (what RescanAllLines and the eager rescans of
// rescan.h keep for every line); states of lines below are not computed yet.
// A highlighter whose state never changes (HasRangeStates() false) needs no
// states at all: every line starts from the state its reset gives.
//
// The reactions to the line store's notifications return the repaint spans
// the eager rescans return, and the tokens a scan from StartScan finds are
// those it finds after an eager rescan; states are written with
// CacheLineRange, which raises no notification.
class TRangeStateCache {
 public:
  explicit TRangeStateCache(TSrcEditStringList& lines) : lines_(lines) {}

  // Forgets every state; null for no highlighter.
  void SetHighlighter(TSrcCustomHighlighter* highlighter);
  TSrcCustomHighlighter* Highlighter() const { return highlighter_; }
  // Lines 0..Known()-1 have their states.
  int Known() const { return known_; }
  // True when nothing is left to compute (also without states to keep).
  bool Complete() const;

  // The state at the end of line `index`, computed down to it when needed.
  TRangeState StateAt(int index);
  // Sets the highlighter up to scan line `index`: its reset state for the
  // first line, else the state at the end of the line above.
  void StartScan(int index);
  // A caller that scanned line `index` from StartScan to its end reports
  // the highlighter's end state, so the next line needs no extra scan.
  void LineScanned(int index);
  // Computes the states of at most `count` more lines; false once complete.
  bool ComputeAhead(int count);

  // The reactions to the line store's notifications. The after-reactions
  // return the lines to repaint.
  void BeforeLineReplaced(int index);
  TLineSpan AfterLineReplaced(int index);
  TLineSpan AfterLinesInserted(int index, int count);
  TLineSpan AfterLinesDeleted(int index, int count);
  void LinesCleared() { known_ = 0; }

  // The token covering the 1-based character of the 1-based line.
  TTokenAtPosition TokenAt(int char_index, int line);

 private:
  bool Tracks() const { return highlighter_ != nullptr && highlighter_->HasRangeStates(); }
  // The state a scan of line `index` ends in when it starts from `start`.
  TRangeState ScanLine(int index, TRangeState start);
  TRangeState StartStateOf(int index) const;
  // Rescans from `index` (whose start state is known) while a new state
  // differs from the stored one; `limit` is the first line whose stored
  // state is unknown and `fresh_end` the first line after any just
  // inserted (those are scanned whatever they hold). Returns the last line
  // rescanned and sets known_.
  int Rescan(int index, int limit, int fresh_end);

  TSrcEditStringList& lines_;
  TSrcCustomHighlighter* highlighter_ = nullptr;
  // invariant: 0 <= known_ <= lines_.LineCount() while tracking.
  int known_ = 0;
  // The reset state of a highlighter without range states.
  TRangeState constant_ = 0;
};

}  // namespace torvane
