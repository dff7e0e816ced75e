// NASM's fold and skip regions.
#include "highlight/nasm_fold_regions.h"

#include <string_view>

#include "highlight/nasm_words.h"

namespace torvane {

void AddNasmFoldRegions(TFoldRegions& regions) {
  TSkipRegions& skip = regions.SkipRegions();
  skip.Add(srkToCloseChar, "'", "'");
  skip.Add(srkToCloseChar, "\"", "\"");
  skip.Add(srkToCloseChar, "`", "`", "\\");
  // ";{" and ";}" start like a comment: the fold scanner tries fold tokens at
  // a position before it skips a comment there.
  skip.Add(srkToLineEnd, ";", "");

  constexpr bool kWholeWords = true;
  for (const char* macro : {"%macro", "%imacro", "%rmacro", "%irmacro"}) {
    regions.Add(frkKeyword, macro, "%endmacro", kWholeWords);
  }
  // Every %if form (%if, %ifdef, %ifnidni, …) closes with %endif; the %elif
  // forms only continue a block.
  for (const std::string& word : NasmWords(TNasmWordKind::nwkPreprocessor)) {
    if (std::string_view(word).substr(0, 3) == "%if") {
      regions.Add(frkKeyword, word, "%endif", kWholeWords);
    }
  }
  regions.Add(frkKeyword, "%rep", "%endrep", kWholeWords);
  regions.Add(frkKeyword, "struc", "endstruc", kWholeWords);
  regions.Add(frkKeyword, "istruc", "iend", kWholeWords);
  regions.Add(frkKeyword, ";{", ";}");
}

}  // namespace torvane
