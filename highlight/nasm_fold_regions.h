// The blocks NASM source folds into: macro definitions, conditional
// assembly, repeat blocks, structure definitions and instances, and ;{ … ;}
// comment regions. The NASM highlighter owns this set; the editor's own
// CodeFolding regions can be filled with the same.
#pragma once

#include "highlight/fold_regions.h"

namespace torvane {

// Appends NASM's fold regions and the skip regions for its strings and
// comments. Tokens are lower case; a case-insensitive scan upper-cases them.
void AddNasmFoldRegions(TFoldRegions& regions);

}  // namespace torvane
