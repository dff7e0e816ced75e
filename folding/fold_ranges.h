// The blocks found in a document: fold ranges kept as a tree (outermost
// ranges, each with its nested ones) and as one flat list in document order
// that owns them. Collapse bookkeeping (hidden lines, flags) lives on each
// range; folding/fold_state.h moves lines in and out of the line store.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/string_list.h"

namespace torvane {

class TSrcEditFoldRange;
class TSrcEditAllFoldRanges;

// One list of ranges (the children of one parent, or the outermost ranges);
// it does not own them.
class TSrcEditFoldRanges {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TSrcEditFoldRange* Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  const std::vector<TSrcEditFoldRange*>& Items() const { return items_; }
  std::vector<TSrcEditFoldRange*>& Items() { return items_; }
  void Add(TSrcEditFoldRange* range) { items_.push_back(range); }
  void Remove(const TSrcEditFoldRange* range);
  void Clear() { items_.clear(); }

 private:
  std::vector<TSrcEditFoldRange*> items_;
};

// A line taken out of the store by a collapse, with its change state so the
// gutter's modified-line bars survive.
struct TSrcHiddenLine {
  std::string Text;
  TLineChangeState ChangeState = lcsModified;
};

class TSrcEditFoldRange {
 public:
  // Lines are 1-based. While the range is inside a collapsed ancestor they
  // are shifted along with that ancestor's removal, so they only keep their
  // distance to it (see TSrcFoldState).
  int FirstLine = 0;  // the header line, holding the opening token
  int LastLine = 0;   // the closing token's line; FirstLine when never closed
  int IndentDepth = 0;
  // Lines removed by the collapse, minus one.
  int HiddenLineCount = 0;
  // NestLevel of the collapsed ancestor that hides this range; -1 if none.
  int CollapsedAtLevel = -1;
  int NestLevel = 0;
  TSrcEditFoldRanges SubRanges;
  bool IsCollapsed = false;
  // Some ancestor is collapsed: the lines are stored in that ancestor.
  bool InsideCollapsed = false;
  // While collapsed: the removed lines in document order.
  std::vector<TSrcHiddenLine> HiddenLines;
  TSrcEditAllFoldRanges* OwnerRanges = nullptr;
  TSrcEditFoldRange* Parent = nullptr;
  // The region's tokens as scanned (upper-cased when matching ignores case);
  // copied so that a changed region set never leaves a range dangling.
  std::string OpenToken;
  std::string CloseToken;
  bool ShowCloseToken = false;
  // What the collapse appended to the header line (blanks, closing token).
  std::string AppendedText;
  // x pixel of the collapsed-code mark, as the painter last drew it.
  int MarkLeft = 0;

  bool IsMultiLine() const { return LastLine != FirstLine; }
  // Collapsed and on a line of the store.
  bool IsCollapsedHeader() const { return IsCollapsed && !InsideCollapsed; }
};

// The editor's fold state: the outermost ranges (inherited list) and every
// range in document order (AllRanges, which owns them).
class TSrcEditAllFoldRanges : public TSrcEditFoldRanges {
 public:
  TSrcEditAllFoldRanges() = default;
  TSrcEditAllFoldRanges(const TSrcEditAllFoldRanges&) = delete;
  TSrcEditAllFoldRanges& operator=(const TSrcEditAllFoldRanges&) = delete;

  int AllCount() const { return static_cast<int>(all_.size()); }
  TSrcEditFoldRange* AllRange(int index) const {
    return all_.at(static_cast<std::size_t>(index)).get();
  }
  int IndexOf(const TSrcEditFoldRange* range) const;

  // Creates a range and appends it to `parent_list` (nullptr: the outermost
  // list) and to AllRanges.
  TSrcEditFoldRange* AddFoldRange(TSrcEditFoldRange* parent, int first_line, int last_line,
                                  int nest_level, int indent_depth);
  // Inserts an existing range into AllRanges at `index` (ownership moves).
  void InsertAt(int index, std::unique_ptr<TSrcEditFoldRange> range);
  // Takes a range and its whole subtree out of AllRanges and out of the tree.
  void RemoveRange(TSrcEditFoldRange* range);
  // Takes the range out of AllRanges without touching the tree.
  std::unique_ptr<TSrcEditFoldRange> Detach(int index);
  void ClearAll();

  TSrcEditFoldRange* FindRangeStartingAt(int line) const;
  TSrcEditFoldRange* FindFoldStartAt(int line) const;
  TSrcEditFoldRange* FindRangeEndingAt(int line) const;
  bool IsFoldEndLine(int line) const;
  bool IsInsideFold(int line) const;

  // The number of document lines a collapse of `range` hides, minus one:
  // its own HiddenLineCount plus every collapsed range below it.
  static int HiddenTotal(const TSrcEditFoldRange& range);
  // Levels of a subtree after it moved under a new parent.
  static void SetSubRangeLevels(TSrcEditFoldRange& range, int level);

  // Rebuilds the tree of `source` here with new range objects.
  void CopyFrom(const TSrcEditAllFoldRanges& source);

  // "[3-7 c2 {5-6}] [9-9]": the tree, with c<hidden count> for collapsed
  // ranges, for test failures.
  std::string Dump() const;

 private:
  std::vector<std::unique_ptr<TSrcEditFoldRange>> all_;  // document order
};

// Marks the subtree below `range` hidden (flag set) or visible again. The
// walk stops below collapsed descendants: their own subtree stays hidden by
// them.
void MarkSubRanges(TSrcEditFoldRange& range, bool collapsed, int level);

}  // namespace torvane
