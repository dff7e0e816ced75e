// The keyword table: chains sorted by length, the duplicate check, and the
// splitting of a keyword list text into words.
#include "highlight/keyword_hash.h"

#include "platform/errors.h"

namespace torvane {

namespace {

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

TSrcHashEntry::TSrcHashEntry(std::string keyword, int kind)
    : key_len_(static_cast<int>(keyword.size())), keyword_(std::move(keyword)), kind_(kind) {}

TSrcHashEntry::~TSrcHashEntry() {
  // Unlink iteratively so that a long chain cannot exhaust the stack.
  std::unique_ptr<TSrcHashEntry> rest = std::move(next_);
  while (rest) {
    rest = std::move(rest->next_);
  }
}

void TSrcHashEntry::AddEntry(std::unique_ptr<TSrcHashEntry>& head,
                             std::unique_ptr<TSrcHashEntry> added) {
  if (!added) {
    return;
  }
  // Walk the links; every entry not longer than the new one is compared, so a
  // duplicate (always of equal length) is found before the insertion point.
  std::unique_ptr<TSrcHashEntry>* link = &head;
  while (*link) {
    TSrcHashEntry& entry = **link;
    if (EqualsIgnoringAsciiCase(added->keyword_, entry.keyword_)) {
      throw ESrcError(FormatMessage("Keyword \"%s\" already in list", entry.keyword_.c_str()));
    }
    if (added->key_len_ < entry.key_len_) {
      break;
    }
    link = &entry.next_;
  }
  added->next_ = std::move(*link);
  *link = std::move(added);
}

void TSrcHashEntryList::Store(int index, std::unique_ptr<TSrcHashEntry> entry) {
  if (index < 0) {
    return;
  }
  if (static_cast<std::size_t>(index) >= slots_.size()) {
    slots_.resize(static_cast<std::size_t>(index) + 1);
  }
  TSrcHashEntry::AddEntry(slots_[index], std::move(entry));
}

void EnumerateKeywords(int kind, std::string_view text, const TSrcCharSet& set,
                       const std::function<void(const std::string&, int)>& handler) {
  if (!handler || text.empty()) {
    return;
  }
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && !set[static_cast<unsigned char>(text[i])]) {
      ++i;
    }
    const std::size_t start = i;
    while (i < text.size() && set[static_cast<unsigned char>(text[i])]) {
      ++i;
    }
    if (i > start) {
      handler(std::string(text.substr(start, i - start)), kind);
    }
  }
}

void TSrcKeywordTable::AddKeyword(const std::string& word, int kind) {
  const int h = KeywordHash(word.c_str());
  buckets_.Store(h, std::make_unique<TSrcHashEntry>(word, kind));
  length_bits_[static_cast<std::size_t>(h)] |= LengthBit(static_cast<int>(word.size()));
}

}  // namespace torvane
