// Splitting inserted text into lines and the small byte helpers the editing
// commands share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvane {

// Splits at CR, LF or CR LF; "a\r\nb" gives "a", "b" and "a\r\n" gives "a", "".
std::vector<std::string_view> SplitAtLineBreaks(std::string_view text);

// Bytes from..to-1 of a line (1-based, clipped to the text).
std::string_view LineSlice(std::string_view text, int from, int to);

// Without trailing spaces and tabs.
std::string_view TrimTrailingSpaces(std::string_view text);

}  // namespace torvane
