// The formatted-text language of popup items: text with backslash commands
// for colour, style, columns, horizontal space and images, cut into chunks.
// Plain C++, so the parsing is tested without a display.
//
//   \\               a literal backslash
//   \color{clRed}    the font colour (names and numbers as StringToColor reads them)
//   \style{+B}       add (+), remove (-) or toggle (~) Bold, Italic, Strike-out, Underline
//   \column{}        jump to the next column
//   \hspace{4}       move right by 4 pixels
//   \image{2}        draw image 2 of the image list
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/colors.h"
#include "platform/font_styles.h"

namespace torvane {

enum TFormatChunkKind : std::uint8_t {
  fckText,
  fckColor,
  fckStyle,
  fckColumn,
  fckHSpace,
  fckImage
};

// A set of chunk kinds, one bit per kind.
using TFormatChunkKinds = std::uint8_t;
constexpr TFormatChunkKinds FormatChunkKind(TFormatChunkKind kind) {
  return static_cast<TFormatChunkKinds>(1u << kind);
}

enum TFormatStyleAction : std::uint8_t { fsaAdd, fsaRemove, fsaToggle };

struct TFormatChunk {
  TFormatChunkKind Kind = fckText;
  std::string Text;           // fckText: the document's bytes
  TColor Color = clNone;      // fckColor
  TFontStyle Style = fsBold;  // fckStyle
  TFormatStyleAction Action = fsaAdd;
  int Value = 0;  // fckHSpace: pixels; fckImage: image index
  friend bool operator==(const TFormatChunk&, const TFormatChunk&) = default;
};

// Cuts `text` into chunks, appending to `chunks`. Style commands are left
// out when `styles_allowed` is false, and so is every kind in `excluded`.
// Commands with an unknown name or a value that does not convert are dropped;
// the result is false when there was one. A backslash that does not begin
// backslash, name, {value} is text.
bool SplitFormatChunks(std::string_view text, std::vector<TFormatChunk>& chunks,
                       TFormatChunkKinds excluded = 0, bool styles_allowed = true);

// Only the text of the chunks: what list-mode filtering compares.
std::string StripFormatCommands(std::string_view text);

// A readable dump for test failures: text "abc", color 255, style +B, column,
// hspace 4, image 2, separated by " | ".
std::string DumpFormatChunks(const std::vector<TFormatChunk>& chunks);

}  // namespace torvane
