// Tab expansion of one line in display cells: a TAB widens to the next tab
// stop (one TAB byte per cell), other characters keep their bytes and take
// their CharCells. Three routine pairs, chosen once per tab width.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

// Display cells of `text` expanded for `tab_width` (saturating at INT32_MAX);
// `has_tabs` tells whether it holds a TAB byte.
using TExpandLengthRoutine = std::int32_t (*)(std::string_view text, int tab_width, bool& has_tabs);
// The expanded text itself, into `out` (replacing its content).
using TExpandTextRoutine = void (*)(std::string_view text, int tab_width, std::string& out);

struct TExpandRoutines {
  TExpandLengthRoutine Length;
  TExpandTextRoutine Text;
};

// Widths <= 1 (text unchanged, a TAB is one cell), powers of two up to 32768
// (masks), and every other width.
TExpandRoutines ExpandRoutinesFor(int tab_width);

// Whether a byte of 0x80 or more is in `text`.
bool HasHighByte(std::string_view text);

// Cells of a text known to hold no TAB.
std::int32_t PlainCells(std::string_view text);

}  // namespace torvane
