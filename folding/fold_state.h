// The folds of one line store: scanning the store for ranges, collapsing
// (hidden lines leave the store and wait in their range) and expanding, the
// ranges following edits, and the expanded text with the line numbers it
// would have. Plain C++; the editor forwards the store's notifications.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "document/string_list.h"
#include "folding/fold_ranges.h"
#include "highlight/fold_regions.h"

namespace torvane {

class TRangeStateCache;

// Appended to a collapsed header line as room for the collapsed-code mark.
inline constexpr std::string_view kCollapsedMarkBlanks = "     ";

class TSrcEditFolds {
 public:
  explicit TSrcEditFolds(TSrcEditStringList& lines);
  TSrcEditFolds(const TSrcEditFolds&) = delete;
  TSrcEditFolds& operator=(const TSrcEditFolds&) = delete;

  TSrcEditAllFoldRanges& Ranges() { return ranges_; }
  const TSrcEditAllFoldRanges& Ranges() const { return ranges_; }

  // --- what scanning uses --------------------------------------------------
  // The region set in use (not owned); null or empty finds nothing.
  void SetRegions(TFoldRegions* regions) { regions_ = regions; }
  TFoldRegions* Regions() const { return regions_; }
  void SetCaseSensitive(bool on) { case_sensitive_ = on; }
  bool CaseSensitive() const { return case_sensitive_; }
  void SetTabWidth(int width) { tab_width_ = width; }
  int TabWidth() const { return tab_width_; }
  // Single-character tokens inside strings and comments of the cache's
  // highlighter count for nothing; null: every one counts. The cache
  // computes the range states a token lookup needs.
  void SetRangeStates(TRangeStateCache* states) { range_states_ = states; }

  // Expands everything, forgets every range and scans the whole store. When
  // matching ignores case, the region set's tokens are upper-cased for good.
  void RescanFolds();
  // Scans the visible text again while collapsed blocks stay as they are.
  void RescanFoldsKeepingCollapsed();

  // --- collapsing and expanding (false when nothing changed) ---------------
  bool CollapseRange(TSrcEditFoldRange& range);
  bool ExpandRange(TSrcEditFoldRange& range);
  void ExpandLevel(int level);
  // Every collapsed block at every depth.
  void ExpandAll();
  // Collapsed ranges whose header is a line of the store.
  int CollapsedCount() const { return static_cast<int>(VisibleCollapsed().size()); }
  // The collapsed header on a line of the store, or null.
  TSrcEditFoldRange* CollapsedHeaderAt(int line) const;
  // Whether a collapsed header lies on a store line first..last (one search,
  // not one per line).
  bool HasCollapsedHeaderIn(int first, int last) const;

  // --- the expanded text ---------------------------------------------------
  // The line a store line has with every block expanded.
  int ExpandedLineNumber(int line) const;
  // The store line of an expanded line; a hidden line gives the header of
  // the block hiding it, with *hidden set.
  int PresentLineNumber(int expanded, bool* hidden = nullptr) const;
  // Expanded lines of store lines first..last (1-based), hidden lines in
  // place, collapse marks removed.
  void AppendExpandedLines(int first, int last, std::vector<std::string>& out) const;
  std::vector<std::string> ExpandedLines() const;
  // All lines joined by CR LF, like the store's GetAllText.
  std::string ExpandedText() const;
  // A header line's text without what the collapse appended.
  std::string_view HeaderText(const TSrcEditFoldRange& range) const;

  // --- following the store (the editor forwards its notifications) ---------
  void LinesInserted(int index, int count);
  void LinesDeleted(int index, int count);
  void BeforeLineReplaced(int index);
  void LineReplaced(int index);
  void LinesCleared();
  // Whether edits count fold-token changes (only rescans read the count:
  // off while folding is off, so typing and loading do no token searches).
  void SetTokenTracking(bool on) { track_tokens_ = on; }
  // True while a collapse or expand moves lines itself.
  bool MovingLines() const { return moving_lines_; }
  // Edits that changed which fold token a line holds, since the last scan.
  int FoldTokenChanges() const { return fold_token_changes_; }
  void SetFoldTokenChanges(int count) { fold_token_changes_ = count; }
  // The first opening (or else closing) token of the region set found in
  // the text; empty when none.
  std::string LineFoldToken(std::string_view text) const;

  // "[3-7 c3] [9-12]" plus the store's line count, for test failures.
  std::string Dump() const;

 private:
  struct TCollapsedEntry {
    TSrcEditFoldRange* Range;
    int Total;  // HiddenTotal
  };

  const std::vector<TCollapsedEntry>& VisibleCollapsed() const;
  void Changed() { collapsed_dirty_ = true; }
  void ShiftRangesAfter(const TSrcEditFoldRange& range, int delta);
  // Whether `range` is nested (at any depth) in `block`.
  static bool IsWithin(const TSrcEditFoldRange& range, const TSrcEditFoldRange& block);
  bool TakesCollapsedBlocksWhole(const TSrcEditFoldRange& range, int removed) const;
  static void ShiftRange(TSrcEditFoldRange& range, int delta, bool with_subtree);
  void RebuildFoldTree();
  void Scan(const std::vector<int>* line_map, TSrcEditAllFoldRanges& into) const;
  void EmitHidden(const TSrcEditFoldRange& range, std::vector<std::string>& out) const;
  bool TokenMoved(int from_line, int to_line, const std::string& token) const;
  bool ContainsToken(std::string_view text, const std::string& token) const;

  TSrcEditStringList& lines_;
  TSrcEditAllFoldRanges ranges_;
  TFoldRegions* regions_ = nullptr;
  TRangeStateCache* range_states_ = nullptr;
  bool case_sensitive_ = false;
  int tab_width_ = 8;
  bool moving_lines_ = false;
  bool track_tokens_ = true;
  int fold_token_changes_ = 0;
  std::string remembered_fold_token_;
  // Collapsed headers in line order with their hidden totals; rebuilt when
  // a collapse, expand, removal or scan changed which ranges are collapsed
  // (edits only move lines, which keeps the order).
  mutable std::vector<TCollapsedEntry> collapsed_;
  mutable bool collapsed_dirty_ = true;
};

}  // namespace torvane
