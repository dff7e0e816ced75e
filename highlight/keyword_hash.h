// The keyword table of the assembly highlighter: 1024 buckets whose chains are
// sorted by keyword length, so a lookup over the line text allocates nothing.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

// A set of byte values (word separators, identifier characters).
using TSrcCharSet = std::bitset<256>;

namespace keyword_tables {
constexpr std::array<bool, 256> MakeHashCharTable() {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  }
  return table;
}
constexpr std::array<std::uint8_t, 256> MakeHashValueTable() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    if (c >= 'a' && c <= 'z') {
      table[c] = static_cast<std::uint8_t>(c - 'a' + 1);
    } else if (c >= 'A' && c <= 'Z') {
      table[c] = static_cast<std::uint8_t>(c - 'A' + 1);
    } else if (c >= '0' && c <= '9') {
      table[c] = static_cast<std::uint8_t>(c - '0' + 27);
    }
  }
  return table;
}
// Both tables in one: 0 for a character that ends an identifier, else its
// hash value + 1, so the hash loop needs one lookup per character.
constexpr std::array<std::uint8_t, 256> MakeHashCodeTable() {
  std::array<std::uint8_t, 256> table{};
  const auto chars = MakeHashCharTable();
  const auto values = MakeHashValueTable();
  for (int c = 0; c < 256; ++c) {
    table[c] = chars[c] ? static_cast<std::uint8_t>(values[c] + 1) : 0;
  }
  return table;
}
}  // namespace keyword_tables

// Characters that continue an identifier: letters, digits and '_'.
inline constexpr std::array<bool, 256> kHashCharTable = keyword_tables::MakeHashCharTable();
// Letters of either case map to 1..26, digits to 27..36, everything else
// (including '_') to 0, so hashing and comparing ignore letter case.
inline constexpr std::array<std::uint8_t, 256> kHashValueTable =
    keyword_tables::MakeHashValueTable();
inline constexpr std::array<std::uint8_t, 256> kHashCodeTable = keyword_tables::MakeHashCodeTable();

// One keyword of a bucket's chain.
class TSrcHashEntry {
 public:
  TSrcHashEntry(std::string keyword, int kind);
  ~TSrcHashEntry();  // destroys the rest of the chain as well
  TSrcHashEntry(const TSrcHashEntry&) = delete;
  TSrcHashEntry& operator=(const TSrcHashEntry&) = delete;

  // Inserts `added` into the chain headed by `head` (which may become the new
  // head), keeping the chain sorted by length, insertion order among equal
  // lengths. Raises "Keyword \"%s\" already in list" when the chain holds the
  // keyword, leaving the chain as it was.
  static void AddEntry(std::unique_ptr<TSrcHashEntry>& head, std::unique_ptr<TSrcHashEntry> added);

  const TSrcHashEntry* Next() const { return next_.get(); }
  int KeyLen() const { return key_len_; }
  const std::string& Keyword() const { return keyword_; }
  int Kind() const { return kind_; }

 private:
  std::unique_ptr<TSrcHashEntry> next_;  // owned: the entry owns the rest of its chain
  int key_len_;
  std::string keyword_;
  int kind_;
};

// The bucket array: slot i heads the chain of hash value i. It grows on
// demand up to the highest hash stored.
class TSrcHashEntryList {
 public:
  const TSrcHashEntry* Bucket(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < slots_.size() ? slots_[index].get()
                                                                         : nullptr;
  }
  void Store(int index, std::unique_ptr<TSrcHashEntry> entry);
  int SlotCount() const { return static_cast<int>(slots_.size()); }
  void Clear() { slots_.clear(); }

 private:
  std::vector<std::unique_ptr<TSrcHashEntry>> slots_;
};

// Calls handler(word, kind) for every maximal run of characters of `set` in
// `text`, in order; any other characters only separate words.
void EnumerateKeywords(int kind, std::string_view text, const TSrcCharSet& set,
                       const std::function<void(const std::string&, int)>& handler);

// A keyword table with the lookup state between hashing and comparing: the
// start and length of the identifier hashed last.
class TSrcKeywordTable {
 public:
  static constexpr int kBucketCount = 1024;

  // `identifier_kind` is what KeywordKind reports for a word that is no keyword.
  explicit TSrcKeywordTable(int identifier_kind) : identifier_kind_(identifier_kind) {}

  // Hashes the identifier at p and records its start and length. The text at p
  // must end in a character that cannot continue an identifier (a NUL at the
  // latest), which every std::string guarantees.
  int KeywordHash(const char* p) {
    std::uint32_t h = 0;
    const char* q = p;
    for (unsigned code; (code = kHashCodeTable[static_cast<unsigned char>(*q)]) != 0; ++q) {
      h = h * 7 + (code - 1);
    }
    ident_start_ = p;
    ident_length_ = static_cast<int>(q - p);
    return static_cast<int>(h % kBucketCount);
  }

  // Compares the identifier recorded by the last KeywordHash with `keyword`,
  // ignoring letter case.
  bool KeywordEquals(const std::string& keyword) const {
    for (int i = 0; i < ident_length_; ++i) {
      if (kHashValueTable[static_cast<unsigned char>(ident_start_[i])] !=
          kHashValueTable[static_cast<unsigned char>(keyword[i])]) {
        return false;
      }
    }
    return true;
  }

  void AddKeyword(const std::string& word, int kind);

  // The kind of the keyword at p, or the identifier kind. Records the
  // identifier's length, which the scanner reads with IdentifierLength.
  int KeywordKind(const char* p) {
    const int h = KeywordHash(p);
    if ((length_bits_[static_cast<std::size_t>(h)] & LengthBit(ident_length_)) == 0) {
      return identifier_kind_;  // no keyword of this length in the bucket
    }
    for (const TSrcHashEntry* entry = buckets_.Bucket(h); entry != nullptr; entry = entry->Next()) {
      if (ident_length_ < entry->KeyLen()) {
        break;
      }
      if (ident_length_ == entry->KeyLen() && KeywordEquals(entry->Keyword())) {
        return entry->Kind();
      }
    }
    return identifier_kind_;
  }

  int IdentifierLength() const { return ident_length_; }
  const TSrcHashEntryList& Buckets() const { return buckets_; }

 private:
  static constexpr std::uint16_t LengthBit(int length) {
    return static_cast<std::uint16_t>(1u << (length < 15 ? length : 15));
  }

  TSrcHashEntryList buckets_;
  // Which keyword lengths each bucket holds (bit 15: 15 or more), so most
  // words that are no keyword are turned away without walking the chain.
  std::array<std::uint16_t, kBucketCount> length_bits_{};
  int identifier_kind_;
  const char* ident_start_ = nullptr;
  int ident_length_ = 0;
};

}  // namespace torvane
