// Characters per line with the sums an offset into the whole text needs:
// "where does line n start" and "which line holds offset o" in O(log n)
// block steps, and a line's count changed, or lines inserted and removed, at
// the same cost. Each entry is a line's characters plus one for the break
// after it, so a line's start is the sum of the entries before it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

class TLineCharCounts {
 public:
  // Lines per block after a split; a block grows to twice this.
  static constexpr int kBlockLines = 256;

  void Assign(const std::vector<int>& counts);
  void Clear() { Assign({}); }
  int LineCount() const { return lines_; }
  // Characters of every line, breaks between them included.
  std::int64_t TextLength() const { return lines_ == 0 ? 0 : total_ - 1; }
  // Characters of 0-based `line`, its break not counted.
  int Count(int line) const;
  void Set(int line, int count);
  void Insert(int line, const std::vector<int>& counts);
  void Erase(int line, int count);
  // The offset where 0-based `line` starts (TextLength()+1 for LineCount()).
  std::int64_t LineStart(int line) const;
  // The 0-based line holding `offset` (the last line for an offset at or
  // past the end; 0 when there are none).
  int LineAt(std::int64_t offset) const;

  // "[3 0 12] [5]": each block's counts, for failing tests.
  std::string Dump() const;

 private:
  struct TBlock {
    std::vector<int> entries;  // characters + 1 per line
    std::int64_t sum = 0;      // invariant: the sum of entries
  };
  // The block holding 0-based `line` and the line its first entry has.
  std::size_t BlockOf(int line, int& first) const;
  void Rebuild();  // the Fenwick trees over the blocks, after blocks changed
  void AddToBlock(std::size_t block, std::int64_t chars, int lines);
  void SplitIfLarge(std::size_t block);

  std::vector<TBlock> blocks_;
  // Fenwick trees (1-based) over blocks_: entry sums and line counts.
  std::vector<std::int64_t> sum_tree_;
  std::vector<int> line_tree_;
  int lines_ = 0;
  std::int64_t total_ = 0;
};

}  // namespace torvane
