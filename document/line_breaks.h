// Finding line breaks in bytes, shared by the line store's reading and its
// lines kept as offsets.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace torvane {

// The first CR or LF at or after p, or end. Sixteen bytes at a time where
// SSE2 is there, since splitting is most of the cost of loading a file.
// `plain` tells whether the bytes before it hold no TAB and no byte of 0x80
// or more, so that the line's display cells are its bytes.
inline const char* FindLineBreak(const char* p, const char* end, bool& plain) {
  bool odd = false;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i tab = _mm_set1_epi8('\t');
  while (end - p >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto breaks = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr))));
    const auto unusual = static_cast<unsigned>(_mm_movemask_epi8(bytes) |
                                               _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, tab)));
    if (breaks != 0) {
      const unsigned at = static_cast<unsigned>(__builtin_ctz(breaks));
      plain = !odd && (unusual & ((1u << at) - 1)) == 0;
      return p + at;
    }
    odd = odd || unusual != 0;
    p += 16;
  }
#endif
  while (p < end && *p != '\n' && *p != '\r') {
    odd = odd || *p == '\t' || static_cast<unsigned char>(*p) >= 0x80;
    ++p;
  }
  plain = !odd;
  return p;
}

inline const char* FindLineBreak(const char* p, const char* end) {
  bool plain = false;
  return FindLineBreak(p, end, plain);
}

// Set bits of x, without the library call the compiler makes of a popcount
// where the processor's instruction is not assumed.
inline std::size_t BitCount(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<std::size_t>((x * 0x0101010101010101ull) >> 56);
}

// What ForEachLine tells about one line besides where it is.
struct TLineScan {
  std::size_t start = 0;   // offset of its first byte
  std::size_t length = 0;  // bytes before its break
  std::size_t tabs = 0;    // TAB bytes in it
  bool high = false;       // whether it holds a byte of 0x80 or more
};

// Calls on_line(const TLineScan&) for every line of the bytes at data, split
// at CR, LF and CR LF; a break at the end starts no further line. The bytes
// may still be arriving: arrived(n) returns how many are there, waiting
// until there are at least n unless they end before (then it returns their
// final number).
// Sets cr_seen and lf_seen when a CR or an LF occurs. The bytes are read 64
// at a time as bit masks of breaks, TABs and high bytes, so a line costs a
// few instructions rather than a walk over its bytes.
template <typename Arrived, typename OnLine>
void ForEachLine(const char* data, Arrived&& arrived, bool& cr_seen, bool& lf_seen,
                 OnLine&& on_line) {
  constexpr std::uint64_t kAll = ~std::uint64_t{0};
  TLineScan line;
  std::uint64_t any_cr = 0;
  std::uint64_t any_lf = 0;
  std::uint64_t cr_before = 0;  // bit 0: the block before ended with a CR
  // A block is looked at once it and the byte after it (which tells a CR
  // LF pair from a lone CR) are there, or the bytes have ended.
  std::size_t size = arrived(65);
  bool ended = size < 65;
  for (std::size_t base = 0; base < size; base += 64) {
    if (!ended && base + 65 > size) {
      size = arrived(base + 65);
      ended = size < base + 65;
      if (base >= size) {
        break;
      }
    }
    std::uint64_t cr = 0;
    std::uint64_t lf = 0;
    std::uint64_t tab = 0;
    std::uint64_t high = 0;
    const std::size_t n = size - base < 64 ? size - base : 64;
    std::size_t i = 0;
#if defined(__SSE2__)
    const auto masks = [&](std::size_t at) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + base + at));
      const auto mask = [&](char c) {
        return static_cast<std::uint64_t>(static_cast<unsigned>(
                   _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)))))
               << at;
      };
      cr |= mask('\r');
      lf |= mask('\n');
      tab |= mask('\t');
      high |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(bytes))) << at;
    };
    if (n == 64) {
      masks(0);
      masks(16);
      masks(32);
      masks(48);
      i = 64;
    }
    for (; i + 16 <= n; i += 16) {
      masks(i);
    }
#endif
    for (; i < n; ++i) {
      const auto c = static_cast<unsigned char>(data[base + i]);
      const std::uint64_t bit = std::uint64_t{1} << i;
      cr |= c == '\r' ? bit : 0;
      lf |= c == '\n' ? bit : 0;
      tab |= c == '\t' ? bit : 0;
      high |= c >= 0x80 ? bit : 0;
    }
    any_cr |= cr;
    any_lf |= lf;
    // An LF right after a CR ends no line of its own: the pair is one break.
    const std::uint64_t ends = cr | (lf & ~((cr << 1) | cr_before));
    cr_before = cr >> 63;
    const std::uint64_t odd = tab | high;
    // The bytes of this block from the current line's start on.
    std::uint64_t from =
        line.start <= base ? kAll : (line.start - base >= 64 ? 0 : kAll << (line.start - base));
    for (std::uint64_t left = ends; left != 0; left &= left - 1) {
      const auto bit = static_cast<unsigned>(__builtin_ctzll(left));
      const std::size_t at = base + bit;
      const std::uint64_t in_line = from & ((std::uint64_t{1} << bit) - 1);
      if ((odd & in_line) != 0) {
        line.tabs += (tab & in_line) != 0 ? BitCount(tab & in_line) : 0;
        line.high = line.high || (high & in_line) != 0;
      }
      line.length = at - line.start;
      on_line(static_cast<const TLineScan&>(line));
      const bool pair = data[at] == '\r' && at + 1 < size && data[at + 1] == '\n';
      line = TLineScan{};
      line.start = at + (pair ? 2 : 1);
      const unsigned next = bit + (pair ? 2 : 1);
      from = next >= 64 ? 0 : kAll << next;
    }
    const std::uint64_t rest = from & (n == 64 ? kAll : (std::uint64_t{1} << n) - 1);
    if ((odd & rest) != 0) {
      line.tabs += (tab & rest) != 0 ? BitCount(tab & rest) : 0;
      line.high = line.high || (high & rest) != 0;
    }
  }
  if (line.start < size) {
    line.length = size - line.start;
    on_line(static_cast<const TLineScan&>(line));
  }
  cr_seen = cr_seen || any_cr != 0;
  lf_seen = lf_seen || any_lf != 0;
}

}  // namespace torvane
