// Advice to the kernel for large blocks about to be filled front to back.
#pragma once

#include <cstddef>
#include <string_view>

namespace torvane {

// Asks for the untouched memory [data, data + size) to be backed by 2 MB
// pages where whole aligned 2 MB stretches of it allow: filling a block of
// tens of megabytes (a read file, its line records) then takes a fault per
// 2 MB instead of one per 4 KB page. Only stretches inside the block are
// advised, so nothing outside it is made resident. Small blocks are left
// alone, and so is every block where the advice could stall (see below).
void AdviseHugePages(void* data, std::size_t size);

// Whether a kernel whose transparent huge pages are set up as `defrag` says
// (the text of /sys/kernel/mm/transparent_hugepage/defrag, the chosen value
// in brackets) serves advised memory without compacting memory in the
// faulting thread. Where it compacts ("always", "madvise",
// "defer+madvise"), a fault on advised memory waits for the compaction
// whenever free memory is fragmented, the normal state of a machine that has
// run for a while: reading a file then becomes several times slower than
// without the advice, and its time varies from run to run. Only "defer" and
// "never" fall back to small pages at once.
bool HugePageAdviceNeverStalls(std::string_view defrag);

// AdviseHugePages without that check (what the check guards; for tests).
void AdviseHugePagesUnchecked(void* data, std::size_t size);

}  // namespace torvane
