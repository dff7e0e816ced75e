// The small value types an undo entry carries: change kinds with their fixed
// numbers and the fold payload (positions and selection modes come from the
// caret model).
#pragma once

#include <cstdint>
#include <string_view>

#include "editor/editor_options.h"
#include "editor/positions.h"

namespace torvane {

// The numbers are fixed: the list and the editor compare them, and each
// bracket pair's Begin kind is its End kind - 1.
enum TSrcEditChangeKind : std::uint8_t {
  ckInsert = 0,
  ckPaste = 1,
  ckDragDropInsert = 2,
  ckDeleteAfterCaret = 3,
  ckDelete = 4,
  ckLineBreak = 5,
  ckIndent = 6,
  ckUnindent = 7,
  ckSilentDelete = 8,
  ckSilentDeleteAfterCaret = 9,
  ckGroup1Begin = 10,
  ckGroup1End = 11,
  ckPasteBegin = 12,
  ckPasteEnd = 13,
  ckGroup3Begin = 14,
  ckGroup3End = 15,
  ckGroup4Begin = 16,
  ckGroup4End = 17,
  ckCaret = 18,
  ckSelection = 19,
  ckNothing = 20,  // what an empty list reports; never stored
  ckGroupBreak = 21,
  ckDeleteAll = 22,
  ckFoldChange = 23,
};

// "ckInsert" … "ckFoldChange"; "ck?" for a number outside the enumeration.
std::string_view ChangeKindName(TSrcEditChangeKind kind);

// True for the End kind of a bracket pair (11, 13, 15, 17), and its Begin kind.
constexpr bool IsGroupEndKind(TSrcEditChangeKind kind) {
  return kind == ckGroup1End || kind == ckPasteEnd || kind == ckGroup3End || kind == ckGroup4End;
}
constexpr bool IsGroupBeginKind(TSrcEditChangeKind kind) {
  return kind == ckGroup1Begin || kind == ckPasteBegin || kind == ckGroup3Begin ||
         kind == ckGroup4Begin;
}
// The Begin kind that closes an undo step starting at an End kind, and back.
constexpr TSrcEditChangeKind MatchingBeginKind(TSrcEditChangeKind end) {
  return static_cast<TSrcEditChangeKind>(end - 1);
}
constexpr TSrcEditChangeKind MatchingEndKind(TSrcEditChangeKind begin) {
  return static_cast<TSrcEditChangeKind>(begin + 1);
}

// What a ckFoldChange entry keeps of a fold range; the folding code derives
// its own record from it, so this layer needs no knowledge of folds.
class TSrcUndoFoldData {
 public:
  virtual ~TSrcUndoFoldData() = default;
};

}  // namespace torvane
