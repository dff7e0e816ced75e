// Feeds arbitrary bytes to the listing parser as a listing: building the
// map never fails, and every place it gives for an address or a listing
// line is a line it has code or a listing line for.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "listing/line_map.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const torvane::TListingMap map =
      torvane::TListingMap::Build(bytes, "/nowhere/a.asm", "/nowhere/", bytes, size % 2 == 0);
  for (std::size_t file = 0; file < map.Files().size(); ++file) {
    for (const auto& [line, code] : *map.LinesOf(static_cast<int>(file))) {
      for (const torvane::TCodeChunk& chunk : code.Chunks) {
        if (chunk.Bytes.size() > chunk.Size && chunk.Repeat == 1) {
          std::abort();
        }
        if (const auto address = map.AddressOf(chunk); address && chunk.Size > 0) {
          const auto place = map.PlaceOfAddress(*address);
          if (!place || map.CodeAt(*place) == nullptr) {
            std::abort();
          }
        }
      }
      for (const int listing_line : code.ListingLines) {
        if (!map.PlaceOfListingLine(listing_line)) {
          std::abort();
        }
      }
    }
  }
  (void)map.Dump();
  return 0;
}
