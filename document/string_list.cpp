// The line store's records, line operations, notifications and tab-expansion
// caches. Reading and writing bytes lives in string_list_io.cpp.
#include "document/string_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "document/line_breaks.h"

namespace torvane {

namespace {

void CheckLineLength(std::size_t length) {
  // Positions address a line's bytes with signed 32-bit numbers.
  if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw ESrcEditStringList("Line too long");
  }
}

// Whether text holds neither a TAB nor a byte of 0x80 or more (lfPlain),
// eight bytes at a time.
bool PlainBytes(std::string_view text) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    const std::uint64_t tabs = word ^ (kOnes * '\t');  // a zero byte where a TAB is
    if (((word | ((tabs - kOnes) & ~tabs)) & kHigh) != 0) {
      return false;
    }
  }
  for (; i < text.size(); ++i) {
    if (text[i] == '\t' || static_cast<unsigned char>(text[i]) >= 0x80) {
      return false;
    }
  }
  return true;
}

}  // namespace

TSrcEditStringList::TSrcEditStringList() : expand_(ExpandRoutinesFor(8)) {}

TSrcEditStringList::~TSrcEditStringList() {
  // No notification may reach a listener that is being torn down with us.
  OnBatchBegin = nullptr;
  OnBatchEnd = nullptr;
  ReleaseAllText();
  std::free(slots_);
  std::free(extras_);
  std::free(ranges_);
}

// --- Reading ---------------------------------------------------------------

std::string_view TSrcEditStringList::GetLine(int index) const {
  if (index < 0 || index >= count_) {
    return {};
  }
  return LineText(index);
}

std::string_view TSrcEditStringList::LineText(int index) const {
  const std::uint32_t slot = slots_[index];
  if ((slot & kRecordSlot) != 0) {
    return TextOf(recs_[slot & ~kRecordSlot]);
  }
  if (slot == kEmptyOffsetLine) {
    return {};
  }
  const char* p = buffer_.data() + slot;
  const char* end = buffer_.data() + buffer_.size();
  return {p, static_cast<std::size_t>(FindLineBreak(p, end) - p)};
}

TSrcEditStringRec TSrcEditStringList::MeasuredRecord(const char* p, std::size_t length,
                                                     bool plain) const {
  TSrcEditStringRec record;
  record.TextRef = length > 0 ? static_cast<std::uint32_t>(p - buffer_.data()) : 0;
  record.Length = static_cast<std::uint32_t>(length);
  record.ChangeState = offset_state_;
  if (plain) {
    record.ExpandedLength = static_cast<std::int32_t>(length);
    record.LineFlags = lfHasNoTabs | lfPlain;
  } else {
    ComputeExpandedLength(record);
  }
  return record;
}

TSrcEditStringRec TSrcEditStringList::RecordOf(int index) const {
  if (!IsOffsetLine(index)) {
    return Rec(index);
  }
  const std::uint32_t slot = slots_[index];
  if (slot == kEmptyOffsetLine) {
    return MeasuredRecord(nullptr, 0, true);
  }
  const char* p = buffer_.data() + slot;
  bool plain = false;
  const char* line_end = FindLineBreak(p, buffer_.data() + buffer_.size(), plain);
  return MeasuredRecord(p, static_cast<std::size_t>(line_end - p), plain);
}

TSrcEditStringRec& TSrcEditStringList::Own(int index) {
  if (!IsOffsetLine(index)) {
    return Rec(index);
  }
  const TSrcEditStringRec record = RecordOf(index);
  const std::uint32_t slot = NewRec();
  slots_[index] = slot;
  TSrcEditStringRec& own = recs_[slot & ~kRecordSlot];
  own = record;
  return own;
}

std::uint32_t TSrcEditStringList::NewRec() {
  std::uint32_t at = 0;
  if (!free_recs_.empty()) {
    at = free_recs_.back();
    free_recs_.pop_back();
  } else {
    ReserveRecs(1);
    recs_.emplace_back();  // within the capacity reserved: cannot throw
    at = static_cast<std::uint32_t>(recs_.size() - 1);
  }
  recs_[at] = TSrcEditStringRec{};
  return at | kRecordSlot;
}

// invariant: free_recs_.capacity() >= recs_.size(), so releasing a record
// never allocates.
void TSrcEditStringList::ReserveRecs(std::size_t count) {
  const std::size_t fresh = count > free_recs_.size() ? count - free_recs_.size() : 0;
  if (fresh > kRecordSlot - recs_.size()) {
    throw ESrcEditStringList("Too many lines");
  }
  if (recs_.size() + fresh > recs_.capacity()) {
    const std::size_t grown = std::min<std::size_t>(
        kRecordSlot, std::max({recs_.size() + fresh, recs_.capacity() * 2, std::size_t{16}}));
    recs_.reserve(grown);
  }
  if (free_recs_.capacity() < recs_.capacity()) {
    free_recs_.reserve(recs_.capacity());
  }
}

void TSrcEditStringList::ReleaseLine(int index) {
  const std::uint32_t slot = slots_[index];
  if ((slot & kRecordSlot) != 0) {
    ReleaseText(recs_[slot & ~kRecordSlot]);
    free_recs_.push_back(slot & ~kRecordSlot);  // within capacity (ReserveRecs)
  } else if (slot != kEmptyOffsetLine && --buffer_lines_ == 0) {
    FreeBuffer();
  }
  slots_[index] = kEmptyOffsetLine;
}

TLineObject TSrcEditStringList::GetLineObject(int index) const {
  if (index < 0 || index >= count_ || extras_ == nullptr) {
    return 0;
  }
  return extras_[index].UserObject;
}

TRangeState TSrcEditStringList::GetLineRange(int index) const {
  if (index < 0 || index >= count_) {
    return 0;
  }
  return ranges_ == nullptr ? kRangeNotScanned : ranges_[index];
}

void TSrcEditStringList::ComputeExpandedLength(TSrcEditStringRec& record) const {
  bool has_tabs = false;
  record.ExpandedLength = expand_.Length(TextOf(record), tab_width_, has_tabs);
  record.LineFlags = has_tabs                      ? lfHasTabs
                     : HasHighByte(TextOf(record)) ? lfHasNoTabs
                                                   : lfHasNoTabs | lfPlain;
}

bool TSrcEditStringList::IsPlainLine(int index) const {
  if (index < 0 || index >= count_) {
    return false;
  }
  if (IsOffsetLine(index)) {
    // Plain is what the split tells on the way: no need to measure the line.
    if (slots_[index] == kEmptyOffsetLine) {
      return true;
    }
    bool plain = false;
    FindLineBreak(buffer_.data() + slots_[index], buffer_.data() + buffer_.size(), plain);
    return plain;
  }
  TSrcEditStringRec& record = Rec(index);
  if ((record.LineFlags & lfExpandedLengthUnknown) != 0) {
    ComputeExpandedLength(record);
  }
  return (record.LineFlags & lfPlain) != 0;
}

std::string_view TSrcEditStringList::GetExpandedLine(int index) const {
  if (index < 0 || index >= count_) {
    return {};
  }
  if (IsOffsetLine(index)) {
    if ((RecordOf(index).LineFlags & lfHasTabs) == 0) {
      return LineText(index);
    }
    expand_.Text(LineText(index), tab_width_, expanded_);
    return expanded_;
  }
  TSrcEditStringRec& record = Rec(index);
  if ((record.LineFlags & lfHasNoTabs) != 0) {
    return TextOf(record);
  }
  ComputeExpandedLength(record);
  if ((record.LineFlags & lfHasTabs) == 0) {
    return TextOf(record);
  }
  expand_.Text(TextOf(record), tab_width_, expanded_);
  return expanded_;
}

int TSrcEditStringList::GetExpandedLength(int index) const {
  if (index < 0 || index >= count_) {
    return 0;
  }
  if (IsOffsetLine(index)) {
    return RecordOf(index).ExpandedLength;
  }
  TSrcEditStringRec& record = Rec(index);
  if ((record.LineFlags & lfExpandedLengthUnknown) != 0) {
    ComputeExpandedLength(record);
  }
  return record.ExpandedLength;
}

int TSrcEditStringList::LongestLineLength() const {
  if (longest_index_ < 0) {
    // The first line strictly longer than all before it; empty lines never
    // win, so an all-empty store keeps -1 and scans again next time.
    int best = -1;
    std::int32_t best_length = 0;
    for (int i = 0; i < count_; ++i) {
      const std::int32_t length = GetExpandedLength(i);
      if (length > best_length) {
        best = i;
        best_length = length;
      }
    }
    longest_index_ = best;
  }
  if (longest_index_ < 0 || longest_index_ >= count_) {
    return 0;
  }
  return GetExpandedLength(longest_index_);
}

TLineAttributesRef TSrcEditStringList::GetLineAttributes(int index) {
  if (index < 0 || index >= count_) {
    return {};
  }
  return TLineAttributesRef(this, index);
}

TLineAttributes TSrcEditStringList::GetLineAttributes(int index) const {
  TLineAttributes result;
  if (index < 0 || index >= count_) {
    result.ChangeState = lcsUnchanged;  // as GetChangeState answers there
    return result;
  }
  result.ChangeState = StateOf(index);
  result.LineColorFlags = IsOffsetLine(index) ? 0 : Rec(index).LineColorFlags;
  if (extras_ != nullptr) {
    result.LineForeground = extras_[index].LineForeground;
    result.LineBackground = extras_[index].LineBackground;
  }
  return result;
}

TLineChangeState TSrcEditStringList::GetChangeState(int index) const {
  if (index < 0 || index >= count_) {
    return lcsUnchanged;
  }
  return StateOf(index);
}

TSrcEditStringRec TSrcEditStringList::GetLineRecord(int index) const {
  if (index < 0 || index >= count_) {
    return {};
  }
  // lfPlain is the store's own note for the position mapping; the record's
  // flags read as the tab expansion sets them.
  TSrcEditStringRec record = RecordOf(index);
  record.LineFlags = static_cast<std::uint8_t>(record.LineFlags & ~lfPlain);
  return record;
}

std::string TSrcEditStringList::GetAllText() const {
  if (count_ == 0) {
    return {};
  }
  std::size_t total = static_cast<std::size_t>(count_ - 1) * 2;
  for (int i = 0; i < count_; ++i) {
    total += LineText(i).size();
  }
  std::string text;
  text.reserve(total);
  for (int i = 0; i < count_; ++i) {
    if (i > 0) {
      text.append("\r\n");
    }
    text.append(LineText(i));
  }
  return text;
}

// --- Record array ----------------------------------------------------------

void TSrcEditStringList::CheckIndex(int index, int last_valid) const {
  if (index < 0 || index > last_valid) {
    throw ESrcEditStringList(FormatMessage("Invalid stringlist index %d", index));
  }
}

void TSrcEditStringList::SetCapacity(int capacity) {
  if (capacity == capacity_) {
    return;
  }
  if (capacity == 0) {
    std::free(slots_);
    std::free(extras_);
    std::free(ranges_);
    slots_ = nullptr;
    extras_ = nullptr;
    ranges_ = nullptr;
    capacity_ = 0;
    return;
  }
  // realloc keeps the records (they are trivially relocatable) and, for a
  // large array, remaps pages instead of copying them; slack capacity is
  // never touched and so costs no resident memory.
  const auto n = static_cast<std::size_t>(capacity);
  auto* slots = static_cast<std::uint32_t*>(std::realloc(slots_, n * sizeof(std::uint32_t)));
  if (slots == nullptr) {
    throw std::bad_alloc();
  }
  slots_ = slots;
  if (extras_ != nullptr) {
    auto* extras = static_cast<Extras*>(std::realloc(extras_, n * sizeof(Extras)));
    if (extras == nullptr) {
      throw std::bad_alloc();
    }
    extras_ = extras;
  }
  if (ranges_ != nullptr) {
    auto* ranges = static_cast<TRangeState*>(std::realloc(ranges_, n * sizeof(TRangeState)));
    if (ranges == nullptr) {
      throw std::bad_alloc();
    }
    ranges_ = ranges;
  }
  capacity_ = capacity;
}

void TSrcEditStringList::Grow() {
  if (capacity_ == std::numeric_limits<int>::max()) {
    throw ESrcEditStringList("Too many lines");
  }
  const std::int64_t grown = capacity_ <= 64 ? capacity_ + 16 : capacity_ + capacity_ / 4;
  SetCapacity(static_cast<int>(std::min<std::int64_t>(grown, std::numeric_limits<int>::max())));
}

void TSrcEditStringList::EnsureExtras() {
  if (extras_ != nullptr || capacity_ == 0) {
    return;
  }
  auto* extras =
      static_cast<Extras*>(std::malloc(static_cast<std::size_t>(capacity_) * sizeof(Extras)));
  if (extras == nullptr) {
    throw std::bad_alloc();
  }
  for (int i = 0; i < capacity_; ++i) {
    extras[i] = Extras{};
  }
  extras_ = extras;
}

void TSrcEditStringList::EnsureRanges() {
  if (ranges_ != nullptr || capacity_ == 0) {
    return;
  }
  const auto n = static_cast<std::size_t>(capacity_);
  auto* ranges = static_cast<TRangeState*>(std::malloc(n * sizeof(TRangeState)));
  if (ranges == nullptr) {
    throw std::bad_alloc();
  }
  std::fill_n(ranges, n, kRangeNotScanned);
  ranges_ = ranges;
}

void TSrcEditStringList::ResetSideValues(int index, int count) {
  if (extras_ != nullptr) {
    std::fill_n(extras_ + index, count, Extras{});
  }
  if (ranges_ != nullptr) {
    std::fill_n(ranges_ + index, count, kRangeNotScanned);
  }
}

void TSrcEditStringList::MakeRoom(int index, int count) {
  const auto tail = static_cast<std::size_t>(count_ - index);
  std::memmove(slots_ + index + count, slots_ + index, tail * sizeof(std::uint32_t));
  if (extras_ != nullptr) {
    std::memmove(extras_ + index + count, extras_ + index, tail * sizeof(Extras));
  }
  if (ranges_ != nullptr) {
    std::memmove(ranges_ + index + count, ranges_ + index, tail * sizeof(TRangeState));
  }
}

void TSrcEditStringList::CloseGap(int index, int count) {
  const auto tail = static_cast<std::size_t>(count_ - index - count);
  std::memmove(slots_ + index, slots_ + index + count, tail * sizeof(std::uint32_t));
  if (extras_ != nullptr) {
    std::memmove(extras_ + index, extras_ + index + count, tail * sizeof(Extras));
  }
  if (ranges_ != nullptr) {
    std::memmove(ranges_ + index, ranges_ + index + count, tail * sizeof(TRangeState));
  }
}

std::uint32_t TSrcEditStringList::NewOwnedText(std::string_view text) {
  CheckLineLength(text.size());
  if (text.empty()) {
    return 0;
  }
  char* block = nullptr;
  const std::uint32_t slot = NewOwnedBlock(text.size(), block);
  std::memcpy(block, text.data(), text.size());
  return slot;
}

std::uint32_t TSrcEditStringList::NewOwnedBlock(std::size_t size, char*& block) {
  if (free_slots_.empty()) {
    if (owned_.size() >= std::numeric_limits<std::uint32_t>::max()) {
      throw ESrcEditStringList("Too many lines");
    }
    // Grow geometrically: reserving one more slot at a time reallocates on
    // every new line and makes appending n lines cost n squared.
    if (owned_.size() == owned_.capacity()) {
      owned_.reserve(std::max<std::size_t>(16, owned_.capacity() * 2));
    }
    free_slots_.reserve(owned_.capacity());
  }
  block = static_cast<char*>(std::malloc(size));
  if (block == nullptr) {
    throw std::bad_alloc();
  }
  if (free_slots_.empty()) {
    owned_.push_back(block);  // capacity reserved above: cannot throw
    return static_cast<std::uint32_t>(owned_.size() - 1);
  }
  const std::uint32_t slot = free_slots_.back();
  free_slots_.pop_back();
  owned_[slot] = block;
  return slot;
}

void TSrcEditStringList::ReleaseText(TSrcEditStringRec& record) {
  if (record.TextOwned != 0 && record.Length > 0) {
    std::free(owned_[record.TextRef]);
    owned_[record.TextRef] = nullptr;
    free_slots_.push_back(record.TextRef);
  } else if (record.Length > 0 && --buffer_lines_ == 0) {
    FreeBuffer();  // no line reads from it any more
  }
  record.TextRef = 0;
  record.Length = 0;
  record.TextOwned = 0;
}

void TSrcEditStringList::ReleaseAllText() {
  for (char* block : owned_) {
    std::free(block);
  }
  std::vector<char*>().swap(owned_);
  std::vector<std::uint32_t>().swap(free_slots_);
  std::vector<TSrcEditStringRec>().swap(recs_);
  std::vector<std::uint32_t>().swap(free_recs_);
  FreeBuffer();
}

void TSrcEditStringList::FreeBuffer() {
  buffer_.Release();
  buffer_lines_ = 0;
}

TSrcEditStringList::TSharedRead TSrcEditStringList::SharedBuffer() const {
  if (buffer_lines_ < 2) {
    return {};
  }
  return {buffer_.Hold(), buffer_};
}

void TSrcEditStringList::PlaceRecord(int index, std::uint32_t text_ref, std::size_t length,
                                     bool owned) {
  if (count_ == capacity_) {
    Grow();
  }
  const std::uint32_t slot = NewRec();
  MakeRoom(index, 1);
  slots_[index] = slot;
  TSrcEditStringRec& record = Rec(index);
  record.TextRef = text_ref;
  record.Length = static_cast<std::uint32_t>(length);
  record.TextOwned = owned ? 1 : 0;
  if (!owned && length > 0) {
    ++buffer_lines_;
  }
  ResetSideValues(index, 1);
  ++count_;
  NoteInserted(index, 1);
}

// The longest line is kept up to date through single-line edits rather than
// forgotten, so typing in a long file does not rescan every line. While
// longest_index_ >= 0 every line's expanded length is known and it names the
// first line of the greatest length.
void TSrcEditStringList::NoteInserted(int index, int count) {
  if (longest_index_ < 0) {
    return;
  }
  if (index <= longest_index_) {
    longest_index_ += count;
  }
  for (int i = index; i < index + count; ++i) {
    const int length = GetExpandedLength(i);
    const int longest = GetExpandedLength(longest_index_);
    if (length > longest || (length == longest && i < longest_index_)) {
      longest_index_ = i;
    }
  }
}

void TSrcEditStringList::NoteReplaced(int index, int old_length) {
  if (longest_index_ < 0) {
    return;
  }
  const int length = GetExpandedLength(index);
  if (index == longest_index_) {
    if (length < old_length) {
      longest_index_ = -1;  // another line may now be the longest
    }
    return;
  }
  const int longest = GetExpandedLength(longest_index_);
  if (length > longest || (length == longest && index < longest_index_)) {
    longest_index_ = index;
  }
}

void TSrcEditStringList::InsertOwned(int index, std::string_view text) {
  const std::uint32_t slot = NewOwnedText(text);
  try {
    PlaceRecord(index, slot, text.size(), !text.empty());
  } catch (...) {
    TSrcEditStringRec orphan;
    orphan.TextRef = slot;
    orphan.Length = static_cast<std::uint32_t>(text.size());
    orphan.TextOwned = 1;
    ReleaseText(orphan);
    throw;
  }
}

void TSrcEditStringList::NotifyLines(const TSrcStringListLinesNotify& callback, int index,
                                     int count) {
  if (callback) {
    callback(*this, index, count);
  }
}

// --- Changing --------------------------------------------------------------

void TSrcEditStringList::BeginBatch() {
  if (++batch_count_ == 1 && OnBatchBegin) {
    try {
      OnBatchBegin(*this);
    } catch (...) {
      --batch_count_;
      throw;
    }
  }
}

void TSrcEditStringList::EndBatch() {
  if (batch_count_ <= 0) {
    return;  // unbalanced: nothing is open
  }
  if (--batch_count_ == 0 && OnBatchEnd) {
    OnBatchEnd(*this);
  }
}

int TSrcEditStringList::AppendLine(std::string_view text) {
  const int index = count_;
  InsertLine(index, text);
  return index;
}

void TSrcEditStringList::InsertLine(int index, std::string_view text) {
  CheckIndex(index, count_);
  Batch batch(*this);
  NotifyLines(OnBeforeInsert, index, 1);
  InsertOwned(index, text);
  NotifyLines(OnLinesInserted, index, 1);
}

void TSrcEditStringList::SetLine(int index, std::string_view text) {
  if (index == count_) {
    AppendLine(text);
    return;
  }
  CheckIndex(index, count_ - 1);
  replaced_from_ = 0;
  replaced_tail_ = 0;
  NotifyLines(OnBeforeReplace, index, 1);
  Batch batch(*this);
  Own(index);
  // Copy first: the new text may be a view of this very line.
  const std::uint32_t slot = NewOwnedText(text);
  const int old_length = longest_index_ >= 0 ? GetExpandedLength(index) : 0;
  TSrcEditStringRec& record = Rec(index);
  ReleaseText(record);
  record.TextRef = slot;
  record.Length = static_cast<std::uint32_t>(text.size());
  record.TextOwned = text.empty() ? 0 : 1;
  record.ExpandedLength = -1;
  record.LineFlags = lfExpandedLengthUnknown;
  record.ChangeState = lcsModified;
  NoteReplaced(index, old_length);
  NotifyLines(OnLineReplaced, index, 1);
}

void TSrcEditStringList::ReplaceLineBytes(int index, std::size_t offset, std::size_t count,
                                          std::string_view text) {
  CheckIndex(index, count_ - 1);
  const std::size_t old_size = LineText(index).size();
  offset = std::min(offset, old_size);
  count = std::min(count, old_size - offset);
  const std::size_t new_size = old_size - count + text.size();
  CheckLineLength(new_size);
  replaced_from_ = offset;
  replaced_tail_ = old_size - offset - count;
  NotifyLines(OnBeforeReplace, index, 1);
  Batch batch(*this);
  Own(index);
  const int old_length = longest_index_ >= 0 ? GetExpandedLength(index) : 0;
  // Plain bytes into a plain line leave it plain, one cell a byte: its
  // width follows without a walk over a long line.
  const bool stays_plain =
      (Rec(index).LineFlags & (lfPlain | lfExpandedLengthUnknown)) == lfPlain &&
      text.find('\t') == std::string_view::npos && !HasHighByte(text);
  TSrcEditStringRec& record = Rec(index);
  const std::string_view old = TextOf(record);
  // The new bytes may be a view of this very line, which moves below.
  std::string copy;
  if (!text.empty() && !old.empty() && text.data() < old.data() + old.size() &&
      old.data() < text.data() + text.size()) {
    copy.assign(text);
    text = copy;
  }
  const std::size_t tail = old_size - offset - count;
  // Changes the bytes where they are: the line's block holds new_size bytes.
  const auto splice = [&](char* block) {
    if (tail > 0) {
      std::memmove(block + offset + text.size(), block + offset + count, tail);
    }
    if (!text.empty()) {
      std::memcpy(block + offset, text.data(), text.size());
    }
  };
  if (record.TextOwned != 0 && old_size > 0 && new_size > 0) {
    char* block = owned_[record.TextRef];
    if (new_size > old_size) {
      // Large blocks grow by remapping their pages, not by copying them.
      block = static_cast<char*>(std::realloc(block, new_size));
      if (block == nullptr) {
        throw std::bad_alloc();
      }
      owned_[record.TextRef] = block;
    }
    splice(block);
  } else if (old_size > 0 && new_size > 0 && buffer_lines_ == 1 && !buffer_.Shared() &&
             record.TextRef + new_size <= buffer_.capacity()) {
    // The only line left in the read buffer has it to itself: the bytes
    // after it are no line's, so it changes in place while the buffer's
    // spare room lasts. The first key in a file of one long line then
    // copies nothing.
    if (record.TextRef + new_size > buffer_.size()) {
      buffer_.resize(record.TextRef + new_size);  // within capacity: no move
    }
    splice(buffer_.data() + record.TextRef);
  } else {
    std::uint32_t slot = 0;
    if (new_size > 0) {
      char* block = nullptr;
      slot = NewOwnedBlock(new_size, block);
      // (No copy from an empty view: its data may be null.)
      if (offset > 0) {
        std::memcpy(block, old.data(), offset);
      }
      if (!text.empty()) {
        std::memcpy(block + offset, text.data(), text.size());
      }
      if (tail > 0) {
        std::memcpy(block + offset + text.size(), old.data() + offset + count, tail);
      }
    }
    ReleaseText(record);
    record.TextRef = slot;
    record.TextOwned = new_size > 0 ? 1 : 0;
  }
  record.Length = static_cast<std::uint32_t>(new_size);
  if (stays_plain) {
    record.ExpandedLength = static_cast<std::int32_t>(new_size);
    record.LineFlags = lfHasNoTabs | lfPlain;
  } else {
    record.ExpandedLength = -1;
    record.LineFlags = lfExpandedLengthUnknown;
  }
  record.ChangeState = lcsModified;
  NoteReplaced(index, old_length);
  NotifyLines(OnLineReplaced, index, 1);
}

void TSrcEditStringList::DeleteLine(int index) {
  CheckIndex(index, count_ - 1);
  RemoveRange(index, 1);
}

void TSrcEditStringList::RemoveLines(int index, int count) {
  if (count <= 0) {
    return;
  }
  CheckIndex(index, count_ - 1);
  RemoveRange(index, std::min(count, count_ - index));
}

void TSrcEditStringList::RemoveRange(int index, int count) {
  Batch batch(*this);
  NotifyLines(OnBeforeDelete, index, count);
  for (int i = index; i < index + count; ++i) {
    ReleaseLine(i);
  }
  CloseGap(index, count);
  count_ -= count;
  if (longest_index_ >= index + count) {
    longest_index_ -= count;
  } else if (longest_index_ >= index) {
    longest_index_ = -1;
  }
  NotifyLines(OnLinesDeleted, index, count);
}

void TSrcEditStringList::InsertBlankLines(int index, int count) {
  if (count <= 0) {
    return;
  }
  CheckIndex(index, count_);
  if (count > std::numeric_limits<int>::max() - count_) {
    throw ESrcEditStringList("Too many lines");
  }
  ReserveRecs(static_cast<std::size_t>(count));
  Batch batch(*this);
  NotifyLines(OnBeforeInsert, index, count);
  SetCapacity(count_ + count);
  MakeRoom(index, count);
  for (int i = index; i < index + count; ++i) {
    slots_[i] = NewRec();  // reserved: cannot throw
  }
  ResetSideValues(index, count);
  count_ += count;
  NoteInserted(index, count);
  NotifyLines(OnLinesInserted, index, count);
}

void TSrcEditStringList::InsertLines(int index, const std::vector<std::string_view>& texts) {
  const int count = static_cast<int>(texts.size());
  if (count == 0) {
    return;
  }
  CheckIndex(index, count_);
  if (count > std::numeric_limits<int>::max() - count_) {
    throw ESrcEditStringList("Too many lines");
  }
  // Many lines while no line reads from the shared buffer (as after all
  // lines were replaced): their bytes go into a new shared buffer, one block
  // instead of a block each. The texts are copied before any record moves,
  // so a failure leaves the store as it was.
  constexpr int kSharedFrom = 256;
  ReserveRecs(texts.size());
  std::size_t total = 0;
  for (const std::string_view text : texts) {
    total += text.size();
  }
  const bool shared = buffer_lines_ == 0 && count >= kSharedFrom && total > 0 &&
                      total <= std::numeric_limits<std::uint32_t>::max();
  std::string bytes;
  std::vector<std::uint32_t> refs;
  refs.reserve(texts.size());
  if (shared) {
    bytes.reserve(total);
    for (const std::string_view text : texts) {
      refs.push_back(static_cast<std::uint32_t>(bytes.size()));
      bytes.append(text);
    }
  } else {
    try {
      for (const std::string_view text : texts) {
        refs.push_back(NewOwnedText(text));
      }
    } catch (...) {
      for (std::size_t i = 0; i < refs.size(); ++i) {
        TSrcEditStringRec orphan;
        orphan.TextRef = refs[i];
        orphan.Length = static_cast<std::uint32_t>(texts[i].size());
        orphan.TextOwned = 1;
        ReleaseText(orphan);
      }
      throw;
    }
  }
  Batch batch(*this);
  NotifyLines(OnBeforeInsert, index, count);
  if (count_ + count > capacity_) {
    SetCapacity(count_ + count);
  }
  MakeRoom(index, count);
  if (shared) {
    buffer_ = std::move(bytes);
  }
  for (int i = 0; i < count; ++i) {
    slots_[index + i] = NewRec();  // reserved: cannot throw
    TSrcEditStringRec& record = Rec(index + i);
    const std::string_view text = texts[static_cast<std::size_t>(i)];
    record.TextRef = refs[static_cast<std::size_t>(i)];
    record.Length = static_cast<std::uint32_t>(text.size());
    record.TextOwned = text.empty() || shared ? 0 : 1;
    if (shared && !text.empty()) {
      ++buffer_lines_;
      // Measured while the bytes are at hand: the scroll range needs them.
      if (PlainBytes(text)) {
        record.ExpandedLength = static_cast<std::int32_t>(text.size());
        record.LineFlags = lfHasNoTabs | lfPlain;
      } else {
        ComputeExpandedLength(record);
      }
    }
  }
  ResetSideValues(index, count);
  count_ += count;
  NoteInserted(index, count);
  NotifyLines(OnLinesInserted, index, count);
}

void TSrcEditStringList::AppendCopies(int count, const std::function<void(int, int)>& copy_line) {
  if (count == 0) {
    return;
  }
  if (count > std::numeric_limits<int>::max() - count_) {
    throw ESrcEditStringList("Too many lines");
  }
  longest_index_ = -1;
  Batch batch(*this);
  const int first = count_;
  if (capacity_ < count_ + count) {
    const std::int64_t wanted = (static_cast<std::int64_t>(count_) + count + 15) / 16 * 16;
    SetCapacity(static_cast<int>(std::min<std::int64_t>(wanted, std::numeric_limits<int>::max())));
  }
  try {
    for (int i = 0; i < count; ++i) {
      copy_line(i, count_);
    }
  } catch (...) {
    // Out of memory half-way: take back what was appended.
    for (int i = first; i < count_; ++i) {
      ReleaseLine(i);
    }
    count_ = first;
    throw;
  }
  NotifyLines(OnLinesInserted, first, count);
}

void TSrcEditStringList::AppendLinesFrom(const TSrcEditStringList& source) {
  const bool with_extras = source.extras_ != nullptr;
  if (with_extras) {
    EnsureExtras();
  }
  AppendCopies(source.count_, [&](int i, int at) {
    const TSrcEditStringRec from = source.RecordOf(i);
    InsertOwned(at, source.LineText(i));
    TSrcEditStringRec& to = Rec(at);
    to.ChangeState = from.ChangeState;
    to.LineColorFlags = from.LineColorFlags;
    if (with_extras) {
      EnsureExtras();
      extras_[at] = source.extras_[i];
    }
  });
}

void TSrcEditStringList::AppendLinesFrom(const std::vector<std::string>& source) {
  if (source.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw ESrcEditStringList("Too many lines");
  }
  AppendCopies(static_cast<int>(source.size()),
               [&](int i, int at) { InsertOwned(at, source[static_cast<std::size_t>(i)]); });
}

void TSrcEditStringList::ExchangeLines(int a, int b) {
  CheckIndex(a, count_ - 1);
  CheckIndex(b, count_ - 1);
  Batch batch(*this);
  std::swap(slots_[a], slots_[b]);
  if (extras_ != nullptr) {
    std::swap(extras_[a], extras_[b]);
  }
  if (ranges_ != nullptr) {
    std::swap(ranges_[a], ranges_[b]);
  }
  // Keep naming the first longest line. It moved: follow it when it moved up
  // (no line before it is as long), forget it when it moved down past lines
  // that may be as long. Another line moved up before it: it may be as long.
  if (longest_index_ == a || longest_index_ == b) {
    const int other = longest_index_ == a ? b : a;
    longest_index_ = other < longest_index_ ? other : -1;
  } else if (longest_index_ >= 0) {
    const int low = std::min(a, b);
    if (low < longest_index_ && std::max(a, b) > longest_index_ &&
        GetExpandedLength(low) == GetExpandedLength(longest_index_)) {
      longest_index_ = low;
    }
  }
}

void TSrcEditStringList::ClearLines() {
  if (count_ > 0) {
    Batch batch(*this);
    ReleaseAllText();
    count_ = 0;
    SetCapacity(0);
    if (OnLinesCleared) {
      OnLinesCleared(*this);
    }
  } else {
    ReleaseAllText();  // no line points into it any more
  }
  longest_index_ = -1;
}

void TSrcEditStringList::SetLineObject(int index, TLineObject object) {
  CheckIndex(index, count_ - 1);
  Batch batch(*this);
  if (object != 0) {
    EnsureExtras();
  }
  if (extras_ != nullptr) {
    extras_[index].UserObject = object;
  }
}

void TSrcEditStringList::SetLineRange(int index, TRangeState state) {
  CheckIndex(index, count_ - 1);
  Batch batch(*this);
  CacheLineRange(index, state);
}

void TSrcEditStringList::CacheLineRange(int index, TRangeState state) {
  CheckIndex(index, count_ - 1);
  if (state != kRangeNotScanned) {
    EnsureRanges();
  }
  if (ranges_ != nullptr) {
    ranges_[index] = state;
  }
}

void TSrcEditStringList::SetChangeState(int index, TLineChangeState state) {
  CheckIndex(index, count_ - 1);
  if (StateOf(index) != state) {
    Own(index).ChangeState = state;
  }
}

void TSrcEditStringList::MarkModifiedLinesSaved() {
  // Records no line uses are changed too, which does no harm.
  for (TSrcEditStringRec& record : recs_) {
    if (record.ChangeState == lcsModified) {
      record.ChangeState = lcsSaved;
    }
  }
  if (offset_state_ == lcsModified) {
    offset_state_ = lcsSaved;
  }
}

void TSrcEditStringList::SetTabWidth(int width) {
  if (width == tab_width_) {
    return;
  }
  tab_width_ = width;
  expand_ = ExpandRoutinesFor(width);
  longest_index_ = -1;
  // Offset lines are measured when asked, with the width then set.
  for (TSrcEditStringRec& record : recs_) {
    record.ExpandedLength = -1;
    record.LineFlags =
        static_cast<std::uint8_t>((record.LineFlags & ~lfHasNoTabs) | lfExpandedLengthUnknown);
  }
}

void TSrcEditStringList::ResizeCapacity(int capacity) {
  if (capacity < count_) {
    throw ESrcEditStringList("Stringlist capacity cannot be smaller than count");
  }
  SetCapacity(capacity);
}

std::string TSrcEditStringList::Dump() const {
  static constexpr const char* kStates[] = {"u", "s", "m"};
  std::string out;
  for (int i = 0; i < count_; ++i) {
    const TSrcEditStringRec r = RecordOf(i);
    out += std::to_string(i) + " \"";
    for (const char c : LineText(i)) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte == '"' || byte == '\\' || byte >= 0x7F) {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
      } else {
        out += c;
      }
    }
    out += "\" ";
    out += kStates[r.ChangeState <= lcsModified ? r.ChangeState : 2];
    out += " r=" + std::to_string(static_cast<std::int32_t>(GetLineRange(i)));
    out += " x=" + std::to_string(r.ExpandedLength) + "\n";
  }
  return out;
}

// --- TLineAttributesRef ----------------------------------------------------

bool TLineAttributesRef::Valid() const {
  return store_ != nullptr && index_ >= 0 && index_ < store_->count_;
}

TLineAttributes TLineAttributesRef::Get() const {
  return store_ == nullptr ? TLineAttributes{.ChangeState = lcsUnchanged}
                           : std::as_const(*store_).GetLineAttributes(index_);
}

void TLineAttributesRef::Set(const TLineAttributes& attributes) {
  SetLineForeground(attributes.LineForeground);
  SetLineBackground(attributes.LineBackground);
  SetLineColorFlags(attributes.LineColorFlags);
  SetChangeState(attributes.ChangeState);
}

TColor TLineAttributesRef::LineForeground() const {
  return Get().LineForeground;
}
TColor TLineAttributesRef::LineBackground() const {
  return Get().LineBackground;
}
std::uint8_t TLineAttributesRef::LineColorFlags() const {
  return Get().LineColorFlags;
}
TLineChangeState TLineAttributesRef::ChangeState() const {
  return Get().ChangeState;
}

// A reference kept while its line went away (the store was cleared or
// shortened) writes nothing.
void TLineAttributesRef::SetLineForeground(TColor color) {
  if (!Valid() || (store_->extras_ == nullptr && color == clNone)) {
    return;
  }
  store_->EnsureExtras();
  store_->extras_[index_].LineForeground = color;
}

void TLineAttributesRef::SetLineBackground(TColor color) {
  if (!Valid() || (store_->extras_ == nullptr && color == clNone)) {
    return;
  }
  store_->EnsureExtras();
  store_->extras_[index_].LineBackground = color;
}

void TLineAttributesRef::SetLineColorFlags(std::uint8_t flags) {
  if (Valid()) {
    if (flags != 0 || !store_->IsOffsetLine(index_)) {
      store_->Own(index_).LineColorFlags = flags;
    }
  }
}

void TLineAttributesRef::SetChangeState(TLineChangeState state) {
  if (Valid()) {
    store_->SetChangeState(index_, state);
  }
}

}  // namespace torvane
