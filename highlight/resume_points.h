// Places where a highlighter scan of a long line may begin again, so that
// painting the far end of a 50 MB line scans a few kilobytes before it
// rather than the whole line.
#pragma once

#include <cstddef>
#include <vector>

namespace torvane {

// Token starts of earlier scans, at least kSpacing bytes apart, of the lines
// long enough to have them. Only for highlighters that ResumesAtTokens: a
// scan begun at such a point finds the tokens a scan from the line's start
// finds. The owner reports every change of the line store; a change keeps
// the points before the first byte it may alter.
class TTokenResumePoints {
 public:
  static constexpr int kSpacing = 64 * 1024;

  // The greatest point of line `index` at or before `offset`; 0 when none.
  int Before(int index, int offset) const;
  // A token of line `index` starts at `offset`: kept when it lies kSpacing
  // or more past the line's last point.
  void Note(int index, int offset);

  // Line `index` changes from byte `from` on.
  void LineChanged(int index, std::size_t from);
  void LinesInserted(int index, int count);
  void LinesDeleted(int index, int count);
  void Clear() { lines_.clear(); }
  // Lines with points (for tests).
  int LineCount() const { return static_cast<int>(lines_.size()); }

 private:
  // How far past a point a change may still alter the tokens before it: a
  // token's end is decided by a byte or two after it.
  static constexpr int kMargin = 16;
  // Lines kept at most; the oldest goes first.
  static constexpr std::size_t kMaxLines = 64;

  struct TLinePoints {
    int Index;
    std::vector<int> Points;  // invariant: ascending, kSpacing apart, none 0
  };
  std::vector<TLinePoints>::iterator Find(int index);

  std::vector<TLinePoints> lines_;  // invariant: distinct indexes, none without points
};

}  // namespace torvane
