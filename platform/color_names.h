// Colours and integers as text: the program's one conversion from "clRed",
// "$00FF00" or "255" to a colour, shared by stored highlighter attributes and
// the colour commands of formatted popup text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/colors.h"

namespace torvane {

// A 32-bit integer in decimal (optional sign) or in hexadecimal after "$",
// blanks around it ignored; nothing for any other text. Hexadecimal covers
// the unsigned 32-bit range, so system colours can be written that way.
std::optional<std::int32_t> StringToInteger(std::string_view text);

// A colour name ("clRed", "clInfoBk", any case) or a number as above.
std::optional<TColor> StringToColor(std::string_view text);

}  // namespace torvane
