// Transparent huge pages through madvise, the mode most systems leave them in.
#include "platform/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace torvane {
namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

bool AdviceNeverStallsHere() {
  static const bool never = [] {
    std::ifstream in("/sys/kernel/mm/transparent_hugepage/defrag");
    const std::string setting{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return HugePageAdviceNeverStalls(setting);
  }();
  return never;
}

}  // namespace

bool HugePageAdviceNeverStalls(std::string_view defrag) {
  const std::size_t open = defrag.find('[');
  const std::size_t close = defrag.find(']', open);
  if (open == std::string_view::npos || close == std::string_view::npos) {
    return false;  // unknown: the advice could stall
  }
  const std::string_view chosen = defrag.substr(open + 1, close - open - 1);
  return chosen == "defer" || chosen == "never";
}

void AdviseHugePages(void* data, std::size_t size) {
  if (AdviceNeverStallsHere()) {
    AdviseHugePagesUnchecked(data, size);
  }
}

void AdviseHugePagesUnchecked(void* data, std::size_t size) {
#if defined(MADV_HUGEPAGE)
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
  if (data == nullptr || size < 4 * kHugePage || last <= first) {
    return;
  }
  // Only advice: a refusal (no huge page support) changes nothing.
  (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace torvane
