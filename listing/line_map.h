// The line map: what each source line assembled to (section, offset, size
// and the bytes the listing shows), read from NASM's listing, and back from
// an address to its line. The machine-code column, the listing pane and
// the debugger all ask this one map, so they agree by construction.
//
// How listed lines find their source line: a line's nesting level rises
// when the line before it opened something. After "%include" the deeper
// lines are the included file's, numbered in it; after "%endrep" they are
// the repeated lines of the same file; after anything else (a macro call)
// they are its expansion, whose numbers are those of the macro's
// definition, so their bytes belong to the line that called the macro. A
// line that cannot be placed this way (an include whose name is a macro, a
// level that jumps) is left out, never put at a wrong line.
//
// Addresses: NASM lists offsets within sections. The first section (.text
// in flat binary output) starts at the `org` value when that is a plain
// number (0 without one); other sections' bases are unknown and their
// offsets stay offsets.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing_line.h"

namespace torvane {

// One run of bytes a line made: contiguous listed lines merge.
struct TCodeChunk {
  int Section = 0;
  std::uint64_t Offset = 0;  // in the section
  std::uint64_t Size = 0;    // every byte, repeats and included ones too
  // The bytes the listing spells out in order (one repetition of a repeat),
  // at most Size; taken from the binary when it was given and agrees
  // (relocated values after the output format's fix-ups, incbin and zero
  // bytes; at most 4096).
  std::string Bytes;
  std::uint64_t Repeat = 1;  // Bytes repeats this many times ("times")
  std::uint8_t Flags = 0;    // TListingByteFlag
};

struct TLineCode {
  std::vector<TCodeChunk> Chunks;  // in listing order
  std::string ListedText;          // the line as NASM read it (first listing)
  std::vector<int> ListingLines;   // 1-based lines of the listing about it
  std::uint64_t TotalSize() const;
  bool HasCode() const { return TotalSize() > 0; }
  // Up to `limit` of the line's bytes in order, as far as they are known
  // (a repeat spelled out; stops at bytes the listing does not show).
  std::string KnownBytes(std::size_t limit) const;
};

struct TSourcePlace {
  int File = 0;  // index into TListingMap::Files(); 0 is the assembled file
  int Line = 0;  // 1-based
  friend bool operator==(const TSourcePlace&, const TSourcePlace&) = default;
};

struct TListingSection {
  std::string Name;
  std::optional<std::uint64_t> Base;  // address of offset 0, when known
};

class TListingMap {
 public:
  TListingMap();

  // Builds the map of `listing` (a whole listing file's bytes).
  // `main_file` is the path of the file NASM assembled, `directory` where it
  // ran (included names are relative to it). `binary`, when given, is the
  // flat output; it supplies relocated and unlisted bytes of the first
  // section when every byte the listing spells out agrees with it (else it
  // is ignored).
  static TListingMap Build(std::string_view listing, const std::string& main_file,
                           const std::string& directory, std::string_view binary = {},
                           bool use_binary = false);

  const std::vector<std::string>& Files() const { return files_; }
  // The file's index, or -1: by path as listed or resolved, else by the
  // same file under another name (a link, "./").
  int FindFile(const std::string& path) const;
  const std::vector<TListingSection>& Sections() const { return sections_; }

  // The line's code, or null when the listing says nothing about it.
  const TLineCode* CodeAt(int file, int line) const;
  const TLineCode* CodeAt(TSourcePlace place) const { return CodeAt(place.File, place.Line); }
  // The address of a chunk's first byte, when its section's base is known.
  std::optional<std::uint64_t> AddressOf(const TCodeChunk& chunk) const;
  // The line whose code holds the byte at `address` (known bases only).
  std::optional<TSourcePlace> PlaceOfAddress(std::uint64_t address) const;
  // The lines of one file the listing lists, in order.
  const std::map<int, TLineCode>* LinesOf(int file) const;
  // The source line a 1-based listing line is about (for a macro's
  // expansion: the calling line), or nothing.
  std::optional<TSourcePlace> PlaceOfListingLine(int listing_line) const;

  // Listing lines that were not NASM's format or could not be placed.
  int UnplacedLines() const { return unplaced_; }
  bool Empty() const { return lines_.empty() || lines_[0].empty(); }

  // "a.asm:4 @0:0000 3 B83412 'mov ax, 0x1234'": one line per source line
  // with code, in file and line order, for tests.
  std::string Dump() const;

 private:
  friend class TListingMapBuilder;
  void UseBinary(std::string_view binary);
  void IndexAddresses();

  std::vector<std::string> files_;
  std::vector<std::map<int, TLineCode>> lines_;  // per file: line -> code
  std::vector<TListingSection> sections_;
  // Listing line -> place, for lines with a place (sorted by listing line).
  std::vector<std::pair<int, TSourcePlace>> listing_places_;
  struct TAddressRange {
    std::uint64_t Start;
    std::uint64_t Size;
    TSourcePlace Place;
  };
  std::vector<TAddressRange> addresses_;  // sorted by Start
  int unplaced_ = 0;
};

// Parses a NASM number as `org` takes it: 0x7C00, 7C00h, $7C00 (hex), 0b/b
// (binary), 0o/0q/o/q (octal), 0d/d and plain (decimal), '_' between digits.
std::optional<std::uint64_t> ParseNasmNumber(std::string_view text);

}  // namespace torvane
