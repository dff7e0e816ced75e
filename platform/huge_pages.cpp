// Transparent huge pages through madvise, the mode most systems leave them in.
#include "platform/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace torvane {
namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

}  // namespace

void AdviseHugePages(void* data, std::size_t size) {
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
