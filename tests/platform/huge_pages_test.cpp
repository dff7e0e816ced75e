// Huge-page advice covers only whole aligned 2 MB stretches inside the
// block, so no memory outside it changes how it is backed.
#include "platform/huge_pages.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <fstream>
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
  AdviseHugePages(reinterpret_cast<void*>(begin), size);
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
  AdviseHugePages(reinterpret_cast<void*>(base), 2 * kMb);
  AdviseHugePages(nullptr, 64 * kMb);
  for (const auto& [start, end] : AdvisedRanges()) {
    if (end > base && start < base + length) {
      EXPECT_GE(start, begin);
    }
  }
  ::munmap(map, length);
}

}  // namespace
}  // namespace torvane
