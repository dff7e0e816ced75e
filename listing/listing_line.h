// One physical line of a NASM listing taken apart. NASM writes
//   "%6d " line number, "%08X " section offset and the bytes in a field of
//   19 (or 28 blanks when the line made none), " <n>" the nesting level of
//   macro expansions and included files (or 4 blanks at level 0), then " "
//   and the source text as read (at most 1020 bytes, then "...").
// Bytes are hex pairs; "[..]" is an address still to be relocated, "(..)" a
// relative one, "[ssss]" a segment base, "??" reserved space; "<rep N>",
// "<bin N>", "<res N>", "<zero N>" and "<len N>" stand for N (hex with an
// 'h', decimal without) repeats, included, reserved, zero or unlisted
// bytes. A field that would pass 18 characters ends in '-' and goes on in
// the next line, which has the same number and offset of its first byte but
// no text. Messages follow their line: the number, 10 blanks and 18 of '*',
// '-' or 'X'. Plain C++; no input can make it read outside the line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

enum class TListingLineKind : std::uint8_t {
  lkOther,         // not a listing line (hand-edited, cut off, another program's)
  lkSource,        // a source line as listed, with or without bytes
  lkContinuation,  // more bytes of the line before, no text
  lkMessage,       // an error, warning or note about the line before
};

// What the bytes of a line are, as the listing marks them.
enum TListingByteFlag : std::uint8_t {
  lbRelocated = 1,  // "[..]" or "(..)": the value before the output format fixed it
  lbSegment = 2,    // "[ssss]": a segment base, unknown
  lbReserved = 4,   // "??" or "<res N>": space without contents
  lbIncluded = 8,   // "<bin N>": an incbin's bytes, not listed
  lbRepeated = 16,  // "<rep N>": the line's bytes repeat (times)
  lbUnlisted = 32,  // "<zero N>", "<len N>": bytes the listing does not spell out
};

struct TListingLine {
  TListingLineKind Kind = TListingLineKind::lkOther;
  int SourceLine = 0;         // the number NASM gave the line
  int Level = 0;              // 0 in the assembled file itself
  bool HasAddress = false;    // the line made or reserved bytes
  std::uint32_t Address = 0;  // offset in the section of the first byte
  // The bytes spelled out, in order; unknown ones ("ssss", "??") as 0. A
  // repeat's bytes are one repetition.
  std::string Bytes;
  // Bytes the line stands for, a repeat's excluded: spelled-out bytes plus
  // those of "<bin>", "<res>", "<zero>", "<len>".
  std::uint64_t Size = 0;
  // "<rep N>": everything the record holds up to here repeats N times.
  std::uint64_t Repeat = 0;
  std::uint8_t Flags = 0;  // TListingByteFlag
  bool Continued = false;  // ends in '-': the next line carries more bytes
  std::string_view Text;   // the source text as listed (a view into the line)
};

// Parses one line (without its line break; a trailing CR is ignored).
// Returns the kind; `out` is filled for lkSource and lkContinuation.
TListingLineKind ParseListingLine(std::string_view line, TListingLine& out);

// NASM cuts a listed text at 1020 bytes and adds "...": true when `listed`
// is how it lists `source` (the whole line, or the cut one).
bool ListedTextMatches(std::string_view listed, std::string_view source);

}  // namespace torvane
