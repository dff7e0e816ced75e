// Filling a packed word table.
#include "highlight/packed_word_table.h"

#include <string>

#include "platform/errors.h"

namespace torvane {

TPackedWordTable::TPackedWordTable(int none) : slots_(kSlotCount), none_(none) {}

void TPackedWordTable::Add(std::string_view word, int kind) {
  if (word.empty() || word.size() > static_cast<std::size_t>(kMaxLength) ||
      entries_.size() >= kSlotCount / 4) {
    throw ESrcError(FormatMessage("Cannot add keyword \"%s\"", std::string(word).c_str()));
  }
  char padded[kMaxLength] = {};
  std::memcpy(padded, word.data(), word.size());
  TEntry entry{};
  for (int i = 0; i < 3; ++i) {
    const int count = static_cast<int>(word.size()) - 8 * i;
    if (count > 0) {
      std::uint64_t bytes;
      std::memcpy(&bytes, padded + 8 * i, 8);
      entry.key[i] = (bytes | kLowerCase) & LowBytes(count);
    }
  }
  entry.kind = kind;
  std::uint32_t i = SlotOf(entry);
  for (; slots_[i] != 0; i = (i + 1) & (kSlotCount - 1)) {
    const TEntry& other = entries_[slots_[i] - 1u];
    if (other.key[0] == entry.key[0] && other.key[1] == entry.key[1] &&
        other.key[2] == entry.key[2]) {
      throw ESrcError(FormatMessage("Keyword \"%s\" already in list", std::string(word).c_str()));
    }
  }
  entries_.push_back(entry);
  slots_[i] = static_cast<std::uint16_t>(entries_.size());
}

}  // namespace torvane
