// The three tab-expansion routines. They differ only in how a TAB finds the
// next stop, so one template walks the characters for all of them.
#include "document/tab_expansion.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/codepage.h"

namespace torvane {
namespace {

constexpr std::int64_t kMaxCells = std::numeric_limits<std::int32_t>::max();

struct NoStops {  // width <= 1: every TAB is one cell
  static std::int64_t Next(std::int64_t column, int) { return column + 1; }
};
struct MaskStops {  // power-of-two width
  static std::int64_t Next(std::int64_t column, int width) { return (column | (width - 1)) + 1; }
};
struct DivideStops {
  static std::int64_t Next(std::int64_t column, int width) {
    return column + width - column % width;
  }
};

// Length of the character at i, never 0 and never past the end.
int StepAt(const CodePage& page, std::string_view text, std::size_t i) {
  const int length = page.CharLength(text, i);
  if (length < 1) {
    return 1;
  }
  const std::size_t left = text.size() - i;
  return static_cast<std::size_t>(length) > left ? static_cast<int>(left) : length;
}

// Walks the characters of a line and returns its cells (stopping at
// kMaxCells); appends the expanded text to `out` unless it is null.
template <typename Stops>
std::int64_t Walk(std::string_view text, int width, std::string* out) {
  const CodePage& page = CodePage::Current();
  const bool wide = page.IsMultiByte();
  std::int64_t column = 0;
  std::size_t i = 0;
  while (i < text.size() && column <= kMaxCells) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t step = 1;
    if (c == '\t') {
      const std::int64_t next = Stops::Next(column, width);
      if (out != nullptr) {
        out->append(static_cast<std::size_t>(next - column), '\t');
      }
      column = next;
      ++i;
      continue;
    }
    if (c < 0x80 || !wide) {
      ++column;
    } else {
      step = static_cast<std::size_t>(StepAt(page, text, i));
      column += page.CharCells(text, i);
    }
    if (out != nullptr) {
      out->append(text.substr(i, step));
    }
    i += step;
  }
  return std::min(column, kMaxCells);
}

template <typename Stops>
std::int32_t ExpandLength(std::string_view text, int width, bool& has_tabs) {
  has_tabs = !text.empty() && std::memchr(text.data(), '\t', text.size()) != nullptr;
  if (!has_tabs) {
    return PlainCells(text);
  }
  return static_cast<std::int32_t>(Walk<Stops>(text, width, nullptr));
}

template <typename Stops>
void ExpandText(std::string_view text, int width, std::string& out) {
  out.clear();
  Walk<Stops>(text, width, &out);
}

void CopyText(std::string_view text, int, std::string& out) {
  out.assign(text);
}

}  // namespace

bool HasHighByte(std::string_view text) {
  const char* p = text.data();
  std::size_t n = text.size();
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  while (n >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if ((word & kHigh) != 0) {
      return true;
    }
    p += 8;
    n -= 8;
  }
  while (n > 0) {
    if (static_cast<unsigned char>(*p) >= 0x80) {
      return true;
    }
    ++p;
    --n;
  }
  return false;
}

std::int32_t PlainCells(std::string_view text) {
  const CodePage& page = CodePage::Current();
  if (!page.IsMultiByte() || !HasHighByte(text)) {
    return text.size() > static_cast<std::size_t>(kMaxCells)
               ? static_cast<std::int32_t>(kMaxCells)
               : static_cast<std::int32_t>(text.size());
  }
  std::int64_t cells = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++cells;
      ++i;
    } else {
      cells += page.CharCells(text, i);
      i += static_cast<std::size_t>(StepAt(page, text, i));
    }
  }
  return cells > kMaxCells ? static_cast<std::int32_t>(kMaxCells)
                           : static_cast<std::int32_t>(cells);
}

TExpandRoutines ExpandRoutinesFor(int tab_width) {
  if (tab_width <= 1) {
    return {ExpandLength<NoStops>, CopyText};
  }
  if (tab_width <= 32768 && (tab_width & (tab_width - 1)) == 0) {
    return {ExpandLength<MaskStops>, ExpandText<MaskStops>};
  }
  return {ExpandLength<DivideStops>, ExpandText<DivideStops>};
}

}  // namespace torvane
