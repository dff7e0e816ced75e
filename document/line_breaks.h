// Finding line breaks in bytes, shared by the line store's reading and its
// lines kept as offsets.
#pragma once

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

}  // namespace torvane
