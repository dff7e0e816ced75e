// NASM-like fold regions for tests: macro and conditional blocks (whole
// words), braces, and strings and ';' comments in which tokens do not count.
#pragma once

#include "highlight/fold_regions.h"

namespace torvane::test {

inline void AddNasmFoldRegions(TFoldRegions& regions, bool with_skip_regions = true) {
  regions.Add(frkKeyword, "%macro", "%endmacro", true);
  regions.Add(frkKeyword, "%if", "%endif", true);
  regions.Add(frkChar, "{", "}");
  if (with_skip_regions) {
    regions.SkipRegions().Add(srkToCloseChar, "\"", "\"", "\\");
    regions.SkipRegions().Add(srkToCloseChar, "'", "'");
    regions.SkipRegions().Add(srkToLineEnd, ";", "");
  }
}

}  // namespace torvane::test
