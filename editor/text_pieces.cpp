// Line splitting and slicing for the editing commands.
#include "editor/text_pieces.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace torvane {

namespace {

// Calls at(i) for every CR and LF byte, in order; sixteen bytes at a time
// where SSE2 is there: a whole text pasted or put back by undo can be many
// megabytes.
template <typename At>
void ForEachBreak(std::string_view text, At at) {
  const char* const p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i + 16 <= n; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr))));
    for (; mask != 0; mask &= mask - 1) {
      at(i + static_cast<std::size_t>(__builtin_ctz(mask)));
    }
  }
#endif
  for (; i < n; ++i) {
    if (p[i] == '\r' || p[i] == '\n') {
      at(i);
    }
  }
}

// Calls piece(start, length) for every piece between breaks.
template <typename Piece>
void ForEachPiece(std::string_view text, Piece piece) {
  std::size_t start = 0;
  ForEachBreak(text, [&](std::size_t i) {
    if (i < start) {
      return;  // the LF of a CR LF
    }
    piece(start, i - start);
    start = i + (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1);
  });
  piece(start, text.size() - start);
}

}  // namespace

std::vector<std::string_view> SplitAtLineBreaks(std::string_view text) {
  std::vector<std::string_view> pieces;
  // Room for pieces of eight bytes on average, so a large text's list is
  // not copied as it grows (pages of the room it does not use stay
  // untouched) and its bytes are read once.
  pieces.reserve(text.size() / 8 + 1);
  ForEachPiece(text, [&](std::size_t start, std::size_t length) {
    pieces.push_back(text.substr(start, length));
  });
  return pieces;
}

std::string_view LineSlice(std::string_view text, int from, int to) {
  const auto size = static_cast<long>(text.size());
  const long a = std::clamp<long>(from - 1L, 0, size);
  const long b = std::clamp<long>(to - 1L, a, size);
  return text.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a));
}

std::string_view TrimTrailingSpaces(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
    --end;
  }
  return text.substr(0, end);
}

}  // namespace torvane
