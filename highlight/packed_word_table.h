// Reserved words (the NASM highlighter's, the assembly one's) in an open-addressed table keyed
// by the word itself: up to 24 bytes packed into three integers with the
// letters lower-cased. A lookup is one load and multiply to hash, then slots
// of a small index (mostly one) and the entry they point to; it allocates
// nothing.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace torvane {

class TPackedWordTable {
 public:
  static constexpr int kMaxLength = 24;

  // `none` is what Find reports for a word that is not in the table.
  explicit TPackedWordTable(int none);

  // Adds a word of letters, digits and '_' (at most kMaxLength of them).
  // Raises "Keyword \"%s\" already in list" when it is there already, in any
  // letter case.
  void Add(std::string_view word, int kind);

  // The kind of the `length` letters, digits and '_' at p, ignoring letter
  // case. kMaxLength bytes from p must be readable, whatever `length` is.
  int Find(const char* p, int length) const {
    TEntry key;
    std::uint64_t bytes;
    std::memcpy(&bytes, p, 8);
    key.key[0] = (bytes | kLowerCase) & LowBytes(length);
    key.key[1] = key.key[2] = 0;
    if (length > 8) {
      if (length > kMaxLength) {
        return none_;
      }
      std::memcpy(&bytes, p + 8, 8);
      key.key[1] = (bytes | kLowerCase) & LowBytes(length - 8);
      if (length > 16) {
        std::memcpy(&bytes, p + 16, 8);
        key.key[2] = (bytes | kLowerCase) & LowBytes(length - 16);
      }
    }
    for (std::uint32_t i = SlotOf(key);; i = (i + 1) & (kSlotCount - 1)) {
      const std::uint16_t index = slots_[i];
      if (index == 0) {
        return none_;
      }
      const TEntry& entry = entries_[index - 1u];
      if (entry.key[0] == key.key[0] && entry.key[1] == key.key[1] && entry.key[2] == key.key[2]) {
        return entry.kind;
      }
    }
  }

  int Count() const { return static_cast<int>(entries_.size()); }

 private:
  struct TEntry {
    std::uint64_t key[3];
    int kind;
  };
  // A power of two, over ten times the number of words NASM reserves, so few
  // words lose their home slot to an earlier one and most words that are no
  // reserved word meet an empty slot first.
  static constexpr std::uint32_t kSlotCount = 32768;
  static constexpr std::uint64_t kLowerCase = 0x2020202020202020u;

  // A key holds the word's bytes with bit 5 set, which lower-cases letters
  // and leaves digits as they are ('_' becomes 0x7F, which no other character
  // of a word can), and zeros after the word.
  static std::uint64_t LowBytes(int count) {
    return count >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * count)) - 1;
  }
  static std::uint32_t SlotOf(const TEntry& key) {
    const std::uint64_t h = (key.key[0] * 0x9E3779B97F4A7C15u) ^
                            (key.key[1] * 0xC2B2AE3D27D4EB4Fu) ^ (key.key[2] * 0x165667B19E3779F9u);
    return static_cast<std::uint32_t>(h >> 49);  // the top 15 bits: 0..32767
  }

  // invariant: slot i holds 0 (empty) or 1 + the index of an entry
  std::vector<std::uint16_t> slots_;
  std::vector<TEntry> entries_;
  int none_;
};

}  // namespace torvane
