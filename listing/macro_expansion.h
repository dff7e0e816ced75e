// The lines a macro call expands to, read from a listing NASM wrote with
// -Le (each expanded line also listed preprocessed, after ";;; "). Plain C++.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvane {

// The preprocessed lines of the expansion of line `line` of the assembled
// file, in order (nested calls' lines included); empty when the line
// expands to nothing (no macro call, or not listed).
std::vector<std::string> MacroExpansionOfLine(std::string_view listing, int line);

}  // namespace torvane
