// Advice to the kernel for large blocks about to be filled front to back.
#pragma once

#include <cstddef>

namespace torvane {

// Asks for the untouched memory [data, data + size) to be backed by 2 MB
// pages where whole aligned 2 MB stretches of it allow: filling a block of
// tens of megabytes (a read file, its line records) then takes a fault per
// 2 MB instead of one per 4 KB page. Only stretches inside the block are
// advised, so nothing outside it is made resident. Harmless where the
// system has no such pages; small blocks are left alone.
void AdviseHugePages(void* data, std::size_t size);

}  // namespace torvane
