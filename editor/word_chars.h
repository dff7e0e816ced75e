// Which bytes make up words for word moves and word selection.
#pragma once

#include <bitset>
#include <string_view>

namespace torvane {

using TWordChars = std::bitset<256>;

// Without a highlighter: digits, letters, the underscore and the Latin-1
// letters 192-214, 216-246, 248-255.
TWordChars DefaultWordChars();

// True when the character at byte i (0-based) of `text` belongs to a word.
// A multi-byte character always does, so a word never ends inside one.
bool IsWordCharAt(const TWordChars& chars, std::string_view text, std::size_t i);

}  // namespace torvane
