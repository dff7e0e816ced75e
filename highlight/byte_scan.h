// Tests on eight bytes at once for the highlighters' scanners: which bytes of
// a word lie in a range, and where a run of such bytes ends. A scanner that
// ends a token this way has no loop whose exit depends on the token's length
// for tokens of up to eight bytes. The scanned text must end in NULs (which
// no run holds) so that the loads stay inside it.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace torvane::byte_scan {

// The first byte in memory is taken as the lowest.
static_assert(std::endian::native == std::endian::little);
constexpr std::uint64_t kHighBits = 0x8080808080808080u;
constexpr std::uint64_t kOnes = 0x0101010101010101u;

// 0x80 at the first zero byte of x (and maybe above it), 0 when none is.
constexpr std::uint64_t ZeroBytes(std::uint64_t x) {
  return (x - kOnes) & ~x & kHighBits;
}

// 0x80 in each byte b of x with low < b < high (0 <= low < high <= 128); no
// carry or borrow crosses a byte.
constexpr std::uint64_t BytesBetween(std::uint64_t x, std::uint64_t low, std::uint64_t high) {
  const std::uint64_t low7 = x & (kOnes * 127);
  return ((kOnes * (127 + high) - low7) & ~x & (low7 + kOnes * (127 - low))) & kHighBits;
}

// 0x80 in each byte of x that is c (c < 128).
constexpr std::uint64_t BytesEqual(std::uint64_t x, unsigned char c) {
  return BytesBetween(x, c - 1u, c + 1u);
}

// 0x80 in each byte of x that is a letter, a digit or '_'.
constexpr std::uint64_t WordCharBytes(std::uint64_t x) {
  // Setting bit 5 maps capitals onto small letters and no other byte onto one.
  return BytesBetween(x, '0' - 1, '9' + 1) | BytesBetween(x | (kOnes * 0x20), 'a' - 1, 'z' + 1) |
         BytesEqual(x, '_');
}
static_assert(WordCharBytes(0x7F5F7A615A41392Fu) == 0x0080808080808000u);
static_assert(WordCharBytes(0xFFE03A302F405B60u) == 0x0000008000000000u);

// True when `marks` gives 0x80 exactly for the bytes the table holds.
constexpr bool AgreesWith(std::uint64_t (*marks)(std::uint64_t),
                          const std::array<bool, 256>& table) {
  for (unsigned c = 0; c < 256; ++c) {
    if (marks(kOnes * c) != (table[c] ? kHighBits : 0)) {
      return false;
    }
  }
  return true;
}

// Where the run of bytes that `InRun` marks, from p + run on, ends.
template <std::uint64_t (*InRun)(std::uint64_t)>
int RunEnd(const char* p, int run) {
  for (;;) {
    std::uint64_t bytes;
    std::memcpy(&bytes, p + run, 8);
    const std::uint64_t stops = ~InRun(bytes) & kHighBits;
    if (stops != 0) {
      return run + std::countr_zero(stops) / 8;
    }
    run += 8;
  }
}

// Where the first NUL, LF or CR at or after p + run is. The lowest marked
// byte is the first of them: the zero tests mark wrongly only above a true
// one.
inline int LineBreakAt(const char* p, int run) {
  for (;;) {
    std::uint64_t bytes;
    std::memcpy(&bytes, p + run, 8);
    const std::uint64_t stops =
        ZeroBytes(bytes) | ZeroBytes(bytes ^ (kOnes * '\n')) | ZeroBytes(bytes ^ (kOnes * '\r'));
    if (stops != 0) {
      return run + std::countr_zero(stops) / 8;
    }
    run += 8;
  }
}

}  // namespace torvane::byte_scan
