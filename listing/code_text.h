// How a line's code reads in the machine-code column ("7C05  B8 34 12…"),
// in its hint (every byte and the listing's lines) and what the map says
// about a boot sector. Plain C++ over the line map.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listing/line_map.h"

namespace torvane {

// Bytes the column spells out before the ellipsis.
inline constexpr int kColumnBytes = 4;

// Hex digits of the longest address the map lists: 4, or 8 past 0xFFFF.
int AddressDigits(const TListingMap& map);
// Cells the column's text takes at most: address, two blanks, the bytes
// and the ellipsis.
int ColumnCells(int address_digits);
// "7C05  B8 34 12" for a line's code, "…" (UTF-8) after it when there are
// more bytes; an offset in a section whose base is unknown reads "+0012";
// bytes the listing does not show read "--". Empty for a line without code.
std::string ColumnText(const TListingMap& map, const TLineCode& code, int address_digits);
// Every byte (16 a row, each row with its address) and the listing's lines,
// for the hint. `listing_lines` are the listing file's lines (0-based).
std::string HintText(const TListingMap& map, const TLineCode& code,
                     const std::vector<std::string_view>& listing_lines);

// A flat boot sector ends in the signature 55 AA at offset 510 of the first
// section: how many bytes the code before a signature at a later offset
// runs over, or nothing when there is no signature line or it sits at 510.
std::optional<std::uint64_t> BootSectorOverrun(const TListingMap& map);

}  // namespace torvane
