// Huge-page advice covers only whole aligned 2 MB stretches inside the
// block, so no memory outside it changes how it is backed, and is given only
// where the kernel never compacts memory for it in the faulting thread.
#include "platform/huge_pages.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace torvane {
namespace {

constexpr std::uintptr_t kMb = 1u << 20;

// The [start, end) ranges of mappings whose flags include "hg".
std::vector<std::pair<std::uintptr_t, std::uintptr_t>> AdvisedRanges() {
  std::vector<std::pair<std::uintptr_t, std::uintptr_t>> ranges;
  std::ifstream smaps("/proc/self/smaps");
  std::string line;
  std::uintptr_t start = 0;
  std::uintptr_t end = 0;
  while (std::getline(smaps, line)) {
    unsigned long a = 0;
    unsigned long b = 0;
    if (std::sscanf(line.c_str(), "%lx-%lx ", &a, &b) == 2 && line.find(':') > line.find(' ')) {
      start = a;
      end = b;
    } else if (line.rfind("VmFlags:", 0) == 0 && line.find(" hg") != std::string::npos) {
      ranges.emplace_back(start, end);
    }
  }
  return ranges;
}

TEST(HugePagesTest, OnlyWholeAlignedStretchesInsideTheBlockAreAdvised) {
  const std::size_t length = 16 * kMb;
  void* map = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(map, MAP_FAILED);
  const auto base = reinterpret_cast<std::uintptr_t>(map);
  // A block that starts and ends off the 2 MB grid.
  const std::uintptr_t begin = ((base + 2 * kMb - 1) & ~(2 * kMb - 1)) + kMb / 2;
  const std::size_t size = 9 * kMb;
  AdviseHugePagesUnchecked(reinterpret_cast<void*>(begin), size);
  std::memset(reinterpret_cast<void*>(begin), 7, size);
  const auto ranges = AdvisedRanges();
  std::uintptr_t covered = 0;
  for (const auto& [start, end] : ranges) {
    if (end <= base || start >= base + length) {
      continue;
    }
    EXPECT_GE(start, begin);
    EXPECT_LE(end, begin + size);
    EXPECT_EQ(start % (2 * kMb), 0u);
    EXPECT_EQ(end % (2 * kMb), 0u);
    covered += end - start;
  }
  if (covered == 0) {
    GTEST_SKIP() << "this kernel takes no huge-page advice";
  }
  EXPECT_EQ(covered, 6 * kMb);  // [2, 8) MB of the grid: the whole stretches inside

  // Small blocks and no block are left alone.
  AdviseHugePagesUnchecked(reinterpret_cast<void*>(base), 2 * kMb);
  AdviseHugePagesUnchecked(nullptr, 64 * kMb);
  for (const auto& [start, end] : AdvisedRanges()) {
    if (end > base && start < base + length) {
      EXPECT_GE(start, begin);
    }
  }
  ::munmap(map, length);
}

TEST(HugePagesTest, AdviceOnlyWhereTheKernelNeverCompactsForIt) {
  EXPECT_TRUE(HugePageAdviceNeverStalls("always defer [never] madvise\n"));
  EXPECT_TRUE(HugePageAdviceNeverStalls("always [defer] defer+madvise madvise never\n"));
  EXPECT_FALSE(HugePageAdviceNeverStalls("always defer defer+madvise [madvise] never\n"));
  EXPECT_FALSE(HugePageAdviceNeverStalls("always defer [defer+madvise] madvise never\n"));
  EXPECT_FALSE(HugePageAdviceNeverStalls("[always] defer defer+madvise madvise never\n"));
  EXPECT_FALSE(HugePageAdviceNeverStalls(""));  // no such setting: assume the worst
  EXPECT_FALSE(HugePageAdviceNeverStalls("never]"));

  // This system: advice is given exactly when its setting never stalls.
  std::ifstream in("/sys/kernel/mm/transparent_hugepage/defrag");
  const std::string setting{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::size_t length = 16 * kMb;
  void* map = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(map, MAP_FAILED);
  const auto base = reinterpret_cast<std::uintptr_t>(map);
  AdviseHugePages(map, length);
  bool advised = false;
  for (const auto& [start, end] : AdvisedRanges()) {
    advised = advised || (end > base && start < base + length);
  }
  if (HugePageAdviceNeverStalls(setting)) {
    AdviseHugePagesUnchecked(map, length);
    bool taken = false;
    for (const auto& [start, end] : AdvisedRanges()) {
      taken = taken || (end > base && start < base + length);
    }
    EXPECT_EQ(advised, taken);  // a kernel that takes advice at all
  } else {
    EXPECT_FALSE(advised) << setting;
  }
  ::munmap(map, length);
}

}  // namespace
}  // namespace torvane
