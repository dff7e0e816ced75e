// Line-break conventions of a document on disk and the bytes each writes.
#pragma once

#include <cstdint>
#include <string_view>

namespace torvane {

// The line-break format of a text; one byte, values fixed (0, 1, 2).
enum TSrcEditFileFormat : std::uint8_t {
  sffDos = 0,   // CR LF
  sffUnix = 1,  // LF
  sffMac = 2,   // CR
};

// The bytes that end a line in `format`.
constexpr std::string_view LineBreakOf(TSrcEditFileFormat format) {
  switch (format) {
    case sffUnix:
      return "\n";
    case sffMac:
      return "\r";
    case sffDos:
    default:
      return "\r\n";
  }
}

// 2 for sffDos, 1 otherwise.
constexpr int LineBreakLength(TSrcEditFileFormat format) {
  return static_cast<int>(LineBreakOf(format).size());
}

}  // namespace torvane
