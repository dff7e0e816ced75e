// The standard edit-control and window-text messages other code may send to
// an editor (classic numbers), the character indexes they address text by,
// and the buffer copies they make.
#pragma once

#include <cstdint>
#include <string_view>

#include "editor/positions.h"

namespace torvane {

class TSrcEditStringList;

inline constexpr std::uint32_t WM_SETTEXT = 0x000C;
inline constexpr std::uint32_t WM_GETTEXT = 0x000D;
inline constexpr std::uint32_t WM_GETTEXTLENGTH = 0x000E;
inline constexpr std::uint32_t WM_CUT = 0x0300;
inline constexpr std::uint32_t WM_COPY = 0x0301;
inline constexpr std::uint32_t WM_PASTE = 0x0302;
inline constexpr std::uint32_t WM_CLEAR = 0x0303;
inline constexpr std::uint32_t WM_UNDO = 0x0304;
inline constexpr std::uint32_t WM_USER = 0x0400;

inline constexpr std::uint32_t EM_GETSEL = 0x00B0;
inline constexpr std::uint32_t EM_SETSEL = 0x00B1;
inline constexpr std::uint32_t EM_GETMODIFY = 0x00B8;
inline constexpr std::uint32_t EM_SETMODIFY = 0x00B9;
inline constexpr std::uint32_t EM_GETLINECOUNT = 0x00BA;
inline constexpr std::uint32_t EM_REPLACESEL = 0x00C2;
inline constexpr std::uint32_t EM_GETLINE = 0x00C4;
inline constexpr std::uint32_t EM_CANUNDO = 0x00C6;
inline constexpr std::uint32_t EM_UNDO = 0x00C7;
inline constexpr std::uint32_t EM_GETFIRSTVISIBLELINE = 0x00CE;
inline constexpr std::uint32_t EM_CHARFROMPOS = 0x00D7;
inline constexpr std::uint32_t EM_GETSELTEXT = WM_USER + 62;

// Character indexes: zero-based offsets into the text in which every line
// counts its length plus 2 (the CR LF between lines).
std::int64_t PosToCharIndex(const TSrcEditStringList& lines, TBufferPos pos);
// An index past the last line gives (1, line count + 1); callers clamp.
TBufferPos CharIndexToPos(const TSrcEditStringList& lines, std::int64_t index);

// Two 16-bit halves in one result, as the messages pack them.
constexpr std::intptr_t MakeResult(std::int64_t low, std::int64_t high) {
  return static_cast<std::intptr_t>((static_cast<std::uint32_t>(low) & 0xFFFFu) |
                                    ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16));
}

// Copies at most capacity - 1 bytes of `text` and a 0 byte into `buffer`;
// nothing at all when the buffer is null or its capacity is not positive.
// Returns the bytes copied (without the 0).
std::int64_t CopyToBuffer(std::string_view text, char* buffer, std::int64_t capacity);

// EM_GETLINE: line `line` (zero-based) into a buffer whose first 16-bit word
// holds its size in characters. Never writes past that size.
std::int64_t GetLineMessage(const TSrcEditStringList& lines, std::int64_t line, char* buffer);

}  // namespace torvane
