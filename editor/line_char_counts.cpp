// Blocks of per-line character counts under two Fenwick trees.
#include "editor/line_char_counts.h"

#include <algorithm>
#include <bit>

namespace torvane {

void TLineCharCounts::Assign(const std::vector<int>& counts) {
  blocks_.clear();
  lines_ = 0;
  total_ = 0;
  for (std::size_t i = 0; i < counts.size(); i += kBlockLines) {
    TBlock block;
    const std::size_t end = std::min(counts.size(), i + kBlockLines);
    block.entries.reserve(end - i);
    for (std::size_t j = i; j < end; ++j) {
      block.entries.push_back(counts[j] + 1);
      block.sum += counts[j] + 1;
    }
    total_ += block.sum;
    blocks_.push_back(std::move(block));
  }
  lines_ = static_cast<int>(counts.size());
  Rebuild();
}

void TLineCharCounts::Rebuild() {
  const std::size_t n = blocks_.size();
  sum_tree_.assign(n + 1, 0);
  line_tree_.assign(n + 1, 0);
  for (std::size_t i = 1; i <= n; ++i) {
    sum_tree_[i] += blocks_[i - 1].sum;
    line_tree_[i] += static_cast<int>(blocks_[i - 1].entries.size());
    const std::size_t parent = i + (i & (~i + 1));
    if (parent <= n) {
      sum_tree_[parent] += sum_tree_[i];
      line_tree_[parent] += line_tree_[i];
    }
  }
}

void TLineCharCounts::AddToBlock(std::size_t block, std::int64_t chars, int lines) {
  blocks_[block].sum += chars;
  total_ += chars;
  lines_ += lines;
  for (std::size_t i = block + 1; i < sum_tree_.size(); i += i & (~i + 1)) {
    sum_tree_[i] += chars;
    line_tree_[i] += lines;
  }
}

std::size_t TLineCharCounts::BlockOf(int line, int& first) const {
  // Fenwick descent: the most blocks whose lines together stay <= line.
  std::size_t pos = 0;
  int before = 0;
  const std::size_t n = blocks_.size();
  for (std::size_t step = std::bit_floor(std::max<std::size_t>(n, 1)); step > 0; step >>= 1) {
    if (pos + step <= n && before + line_tree_[pos + step] <= line) {
      pos += step;
      before += line_tree_[pos];
    }
  }
  if (pos >= n) {  // past the last line: the end of the last block
    pos = n - 1;
    before -= static_cast<int>(blocks_[pos].entries.size());
  }
  first = before;
  return pos;
}

int TLineCharCounts::Count(int line) const {
  if (line < 0 || line >= lines_) {
    return 0;
  }
  int first = 0;
  const std::size_t b = BlockOf(line, first);
  return blocks_[b].entries[static_cast<std::size_t>(line - first)] - 1;
}

void TLineCharCounts::Set(int line, int count) {
  if (line < 0 || line >= lines_) {
    return;
  }
  int first = 0;
  const std::size_t b = BlockOf(line, first);
  int& entry = blocks_[b].entries[static_cast<std::size_t>(line - first)];
  const int delta = count + 1 - entry;
  entry = count + 1;
  AddToBlock(b, delta, 0);
}

void TLineCharCounts::Insert(int line, const std::vector<int>& counts) {
  if (counts.empty()) {
    return;
  }
  line = std::clamp(line, 0, lines_);
  if (blocks_.empty()) {
    Assign(counts);
    return;
  }
  int first = 0;
  const std::size_t b = BlockOf(std::min(line, lines_ - 1), first);
  std::vector<int>& entries = blocks_[b].entries;
  std::int64_t added = 0;
  std::vector<int> plus;
  plus.reserve(counts.size());
  for (int c : counts) {
    plus.push_back(c + 1);
    added += c + 1;
  }
  entries.insert(entries.begin() + (line - first), plus.begin(), plus.end());
  AddToBlock(b, added, static_cast<int>(counts.size()));
  SplitIfLarge(b);
}

void TLineCharCounts::SplitIfLarge(std::size_t b) {
  if (blocks_[b].entries.size() <= 2 * kBlockLines) {
    return;
  }
  std::vector<int> entries = std::move(blocks_[b].entries);
  std::vector<TBlock> parts;
  for (std::size_t i = 0; i < entries.size(); i += kBlockLines) {
    TBlock part;
    const std::size_t end = std::min(entries.size(), i + kBlockLines);
    part.entries.assign(entries.begin() + static_cast<std::ptrdiff_t>(i),
                        entries.begin() + static_cast<std::ptrdiff_t>(end));
    for (int e : part.entries) {
      part.sum += e;
    }
    parts.push_back(std::move(part));
  }
  blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
  blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b),
                 std::make_move_iterator(parts.begin()), std::make_move_iterator(parts.end()));
  Rebuild();
}

void TLineCharCounts::Erase(int line, int count) {
  if (line < 0 || line >= lines_) {
    return;
  }
  count = std::min(count, lines_ - line);
  bool emptied = false;
  while (count > 0) {
    int first = 0;
    const std::size_t b = BlockOf(line, first);
    std::vector<int>& entries = blocks_[b].entries;
    const int from = line - first;
    const int taken = std::min(count, static_cast<int>(entries.size()) - from);
    std::int64_t removed = 0;
    for (int i = from; i < from + taken; ++i) {
      removed += entries[static_cast<std::size_t>(i)];
    }
    entries.erase(entries.begin() + from, entries.begin() + from + taken);
    AddToBlock(b, -removed, -taken);
    emptied = emptied || entries.empty();
    count -= taken;
    if (entries.empty()) {
      // The tree still counts the block as empty, so later lines keep
      // their places until the rebuild.
      blocks_[b].sum = 0;
    }
  }
  if (emptied) {
    std::erase_if(blocks_, [](const TBlock& block) { return block.entries.empty(); });
    Rebuild();
  }
}

std::int64_t TLineCharCounts::LineStart(int line) const {
  if (line <= 0 || lines_ == 0) {
    return 0;
  }
  if (line >= lines_) {
    return total_;
  }
  int first = 0;
  const std::size_t b = BlockOf(line, first);
  std::int64_t start = 0;
  for (std::size_t i = b; i > 0; i -= i & (~i + 1)) {
    start += sum_tree_[i];
  }
  const std::vector<int>& entries = blocks_[b].entries;
  for (int i = 0; i < line - first; ++i) {
    start += entries[static_cast<std::size_t>(i)];
  }
  return start;
}

int TLineCharCounts::LineAt(std::int64_t offset) const {
  if (lines_ == 0 || offset <= 0) {
    return 0;
  }
  std::size_t pos = 0;
  std::int64_t before = 0;
  int line = 0;
  const std::size_t n = blocks_.size();
  for (std::size_t step = std::bit_floor(n); step > 0; step >>= 1) {
    if (pos + step <= n && before + sum_tree_[pos + step] <= offset) {
      pos += step;
      before += sum_tree_[pos];
      line += line_tree_[pos];
    }
  }
  if (pos >= n) {
    return lines_ - 1;
  }
  for (int e : blocks_[pos].entries) {
    if (before + e > offset) {
      break;
    }
    before += e;
    ++line;
  }
  return std::min(line, lines_ - 1);
}

std::string TLineCharCounts::Dump() const {
  std::string out;
  for (const TBlock& block : blocks_) {
    out += out.empty() ? "[" : " [";
    for (std::size_t i = 0; i < block.entries.size(); ++i) {
      out += (i == 0 ? "" : " ") + std::to_string(block.entries[i] - 1);
    }
    out += "]";
  }
  return out;
}

}  // namespace torvane
