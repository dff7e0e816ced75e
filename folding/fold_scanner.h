// Finding fold ranges in a text: one pass over its lines, guided by a region
// set (opening and closing tokens, nested region sets, skip regions).
#pragma once

#include <functional>
#include <string_view>

#include "folding/fold_ranges.h"
#include "highlight/fold_regions.h"

namespace torvane {

struct TFoldScanInput {
  // Line `index` (0-based) of `LineCount` lines.
  std::function<std::string_view(int index)> Line;
  int LineCount = 0;
  // Compared as they stand: when matching ignores case the caller has
  // upper-cased the tokens, and the scanner upper-cases the text.
  const TFoldRegions* Regions = nullptr;
  bool CaseSensitive = false;
  int TabWidth = 8;
  // True when the byte at (line index, 0-based offset) belongs to a string
  // or comment; single-character tokens there count for nothing.
  std::function<bool(int index, int offset)> IsInStringOrComment;
};

// Adds the ranges found to `state` (outermost ranges to its root list).
void ScanFoldRegions(const TFoldScanInput& input, TSrcEditAllFoldRanges& state);

// Word characters for WholeWordsOnly: digits, letters, '_' and the Latin-1
// letters 192..214, 216..246, 248..255.
bool IsFoldWordChar(unsigned char c);

// Indentation units of a line: a tab counts 1, every tab-width-th space of a
// run of spaces counts 1.
int IndentDepth(std::string_view text, int tab_width);
// Indentation width in columns: a tab counts the tab width, a space 1.
int IndentWidth(std::string_view text, int tab_width);

// ASCII letters upper-cased, every other byte kept (multi-byte characters
// stay intact).
void UpperCaseAscii(std::string& text);

}  // namespace torvane
