// The line store's byte side: splitting a buffer into lines (CR LF, lone CR,
// lone LF), detecting the line-break format, and writing lines back.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "document/line_breaks.h"
#include "document/src_stream.h"
#include "document/string_list.h"
#include "platform/file_access.h"
#include "platform/file_read_ahead.h"
#include "platform/huge_pages.h"

namespace torvane {
namespace {

// Display cells of a line that holds a TAB, or -1 when it also holds a byte
// of 0x80 or more (whose cells depend on the code page). The same count as
// the store's tab expansion, walked here while the line is in the cache.
std::int64_t TabLineCells(const char* p, const char* end, int tab_width) {
  std::int64_t column = 0;
  for (; p < end; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c >= 0x80) {
      return -1;
    }
    if (c != '\t') {
      ++column;
    } else if (tab_width <= 1) {
      ++column;
    } else {
      column = (column / tab_width + 1) * tab_width;
    }
  }
  return column;
}

// How many breaks SplitBuffer finds: every CR and LF, a CR LF pair once.
std::size_t CountLines(const char* p, const char* end) {
  std::size_t breaks = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  // Per byte lane a count of breaks (at most one a step, so 255 steps fit),
  // added up across the lanes every 255 steps: no popcount per step.
  __m128i lanes = zero;
  int steps = 0;
  while (end - p >= 17) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    const __m128i is_cr = _mm_cmpeq_epi8(bytes, cr);
    // A match is -1: every LF and CR counts, and an LF that ends a CR LF
    // pair is counted with its CR.
    lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, lf));
    lanes = _mm_sub_epi8(lanes, is_cr);
    lanes = _mm_add_epi8(lanes, _mm_and_si128(is_cr, _mm_cmpeq_epi8(next, lf)));
    p += 16;
    if (++steps == 255 || end - p < 17) {
      const __m128i sums = _mm_sad_epu8(lanes, zero);
      breaks += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
      lanes = zero;
      steps = 0;
    }
  }
#endif
  for (; p < end; ++p) {
    breaks += *p == '\n' || *p == '\r' ? 1 : 0;
    breaks -= *p == '\r' && p + 1 < end && p[1] == '\n' ? 1 : 0;
  }
  return breaks;
}

// The capacity the growth rule reaches when `count` more lines are appended
// one by one to `capacity` records of which `used` are used.
int GrownCapacity(int capacity, int used, std::size_t count) {
  const std::int64_t wanted = static_cast<std::int64_t>(used) + static_cast<std::int64_t>(count);
  std::int64_t grown = capacity;
  while (grown < wanted && grown < std::numeric_limits<int>::max()) {
    grown = grown <= 64 ? grown + 16 : grown + grown / 4;
  }
  return static_cast<int>(std::min<std::int64_t>(grown, std::numeric_limits<int>::max()));
}

// Refuses data holding a line too long for 32-bit positions before anything
// is replaced. Only data that large can hold one.
void CheckLinesFit(const char* data, std::size_t size) {
  constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  if (size <= kMax) {
    return;
  }
  const char* end = data + size;
  for (const char* p = data; p < end;) {
    const char* line_end = FindLineBreak(p, end);
    if (static_cast<std::size_t>(line_end - p) > kMax) {
      throw ESrcEditStringList("Line too long");
    }
    p = line_end + 1;
  }
}

bool IsBlank(std::string_view line) {
  for (const char c : line) {
    if (static_cast<unsigned char>(c) > 0x20) {
      return false;
    }
  }
  return true;
}

bool EndsWithBreak(std::string_view data) {
  return !data.empty() && (data.back() == '\r' || data.back() == '\n');
}

}  // namespace

void TSrcEditStringList::SplitBuffer(TLineChangeState state, bool& cr_seen, bool& lf_seen,
                                     TFileReadAhead* arriving) {
  // While a file arrives its bytes are read into buffer_ by another thread:
  // only its data pointer (fixed by its reserve) and the bytes reported
  // may be looked at.
  const char* const data = buffer_.data();
  std::size_t lines = 0;  // while arriving: counted as they come
  if (arriving == nullptr) {
    const char* const end = data + buffer_.size();
    if (data == end) {
      return;
    }
    lines = CountLines(data, end) + (EndsWithBreak(buffer_) ? 0 : 1);
  }
  if (lines > static_cast<std::size_t>(std::numeric_limits<int>::max() - count_)) {
    throw ESrcEditStringList("Too many lines");
  }
  const int first = count_;
  int count = static_cast<int>(lines);
  // Into an empty store short lines stay offsets into the bytes (one
  // change state for all of them); otherwise every line gets a record.
  const bool offsets = first == 0 && offset_limit_ > 0;
  if (offsets) {
    offset_state_ = state;
  }
  // The capacity appending line by line would grow to, allocated once:
  // growing a large array step by step copies it and leaves the freed steps
  // with the allocator.
  if (arriving == nullptr) {
    SetCapacity(GrownCapacity(capacity_, count_, lines));
    AdviseHugePages(slots_ + first, lines * sizeof(std::uint32_t));
    NotifyLines(OnBeforeInsert, first, count);
  }
  // Every line's display width is found on the way, so the longest line is
  // known at the end without another pass over them.
  int longest = -1;
  std::int32_t longest_cells = 0;
  int index = first;
  // Kept in locals while the lines are counted off: the stores into the
  // slots would otherwise make the compiler reload them for every line.
  std::uint32_t* slots = slots_;
  std::size_t buffer_lines = 0;
  const std::size_t limit = offsets ? offset_limit_ : 0;
  const auto tab_extra = static_cast<std::size_t>(tab_width_ > 1 ? tab_width_ - 1 : 0);
  try {
    const auto arrived = [&](std::size_t count) {
      return arriving == nullptr ? buffer_.size() : arriving->WaitFor(count);
    };
    ForEachLine(data, arrived, cr_seen, lf_seen, [&](const TLineScan& line) {
      if (index == capacity_) {  // only while arriving: the count was not known
        if (capacity_ == std::numeric_limits<int>::max()) {
          throw ESrcEditStringList("Too many lines");
        }
        SetCapacity(static_cast<int>(std::min<std::int64_t>(std::int64_t{capacity_} * 2 + 1024,
                                                            std::numeric_limits<int>::max())));
        slots = slots_;
      }
      if (line.length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw ESrcEditStringList("Line too long");  // (checked before a read of bytes in memory)
      }
      const std::size_t length = line.length;
      const bool plain = line.tabs == 0 && !line.high;
      if (length - 1 < limit && line.start < kEmptyOffsetLine) {  // 1 to limit bytes
        slots[index] = static_cast<std::uint32_t>(line.start);
        ++buffer_lines;
        std::int32_t cells = 0;
        if (plain) {
          cells = static_cast<std::int32_t>(length);
        } else if (const std::size_t most = length + line.tabs * tab_extra;
                   line.high || most > std::numeric_limits<std::int32_t>::max()) {
          cells = MeasuredRecord(data + line.start, length, false).ExpandedLength;  // saturates
        } else if (most > static_cast<std::size_t>(longest_cells)) {
          // (A TAB adds at most tab width - 1 cells: only a line that may be
          // the longest so far is measured.)
          cells = static_cast<std::int32_t>(
              TabLineCells(data + line.start, data + line.start + length, tab_width_));
        }
        if (cells > longest_cells) {
          longest = index;
          longest_cells = cells;
        }
        ++index;
        return;
      }
      if (offsets && length == 0) {
        slots[index++] = kEmptyOffsetLine;
        return;
      }
      const char* p = data + line.start;
      slots[index] = NewRec();
      TSrcEditStringRec& record = Rec(index);
      record.ChangeState = state;
      if (line.start > std::numeric_limits<std::uint32_t>::max()) {
        record.TextRef = NewOwnedText({p, length});  // beyond what an offset reaches
        record.TextOwned = length > 0 ? 1 : 0;
      } else if (length > 0) {
        record.TextRef = static_cast<std::uint32_t>(line.start);
        ++buffer_lines;
      }
      record.Length = static_cast<std::uint32_t>(length);
      if (plain) {
        record.ExpandedLength = static_cast<std::int32_t>(length);
        record.LineFlags = lfHasNoTabs | lfPlain;
      } else if (const std::int64_t tab_cells = TabLineCells(p, p + length, tab_width_);
                 tab_cells >= 0 && tab_cells <= std::numeric_limits<std::int32_t>::max()) {
        record.ExpandedLength = static_cast<std::int32_t>(tab_cells);
        record.LineFlags = lfHasTabs;
      } else {
        ComputeExpandedLength(record);  // cells of the code page's characters
      }
      if (record.ExpandedLength > longest_cells) {
        longest = index;
        longest_cells = record.ExpandedLength;
      }
      ++index;
    });
    buffer_lines_ += buffer_lines;
  } catch (...) {
    buffer_lines_ += buffer_lines;
    for (int i = first; i < index; ++i) {
      ReleaseLine(i);
    }
    throw;
  }
  if (arriving != nullptr) {
    count = index - first;
    SetCapacity(GrownCapacity(0, first, static_cast<std::size_t>(count)));
  }
  ResetSideValues(first, count);
  count_ = first + count;
  if (first == 0 && longest_index_ < 0) {
    longest_index_ = longest;  // still -1 when every line is empty
  } else {
    NoteInserted(first, count);
  }
  NotifyLines(OnLinesInserted, first, count);
}

int TSrcEditStringList::InsertLinesOfText(int index, std::string text, std::size_t from) {
  CheckIndex(index, count_);
  from = std::min(from, text.size());
  const char* const begin = text.data() + from;
  const char* const end = text.data() + text.size();
  const std::size_t lines = CountLines(begin, end) + 1;
  if (lines > static_cast<std::size_t>(std::numeric_limits<int>::max() - count_)) {
    throw ESrcEditStringList("Too many lines");
  }
  CheckLinesFit(begin, static_cast<std::size_t>(end - begin));
  const int count = static_cast<int>(lines);
  // Taken as the shared buffer on the same terms as InsertLines shares a new
  // one; otherwise the lines are copied.
  constexpr int kSharedFrom = 256;
  if (buffer_lines_ != 0 || count < kSharedFrom ||
      text.size() > std::numeric_limits<std::uint32_t>::max()) {
    std::vector<std::string_view> texts;
    texts.reserve(lines);
    for (const char* p = begin;;) {
      const char* line_end = FindLineBreak(p, end);
      texts.emplace_back(p, static_cast<std::size_t>(line_end - p));
      if (line_end == end) {
        break;
      }
      p = line_end + (*line_end == '\r' && line_end + 1 < end && line_end[1] == '\n' ? 2 : 1);
    }
    ResizeCapacity(count_ + count);  // as InsertBlankLines leaves it
    InsertLines(index, texts);
    return count;
  }
  ReserveRecs(lines);
  Batch batch(*this);
  NotifyLines(OnBeforeInsert, index, count);
  SetCapacity(count_ + count);
  MakeRoom(index, count);
  buffer_ = std::move(text);
  const char* p = buffer_.data() + from;
  for (int i = index; i < index + count; ++i) {
    bool plain = false;
    const char* line_end = FindLineBreak(p, buffer_.data() + buffer_.size(), plain);
    slots_[i] = NewRec();  // reserved: cannot throw
    TSrcEditStringRec& record = Rec(i);
    if (line_end > p) {
      // Measured on the way, as InsertLines measures lines it shares.
      record.TextRef = static_cast<std::uint32_t>(p - buffer_.data());
      record.Length = static_cast<std::uint32_t>(line_end - p);
      if (plain) {
        record.ExpandedLength = static_cast<std::int32_t>(record.Length);
        record.LineFlags = lfHasNoTabs | lfPlain;
      } else {
        ComputeExpandedLength(record);
      }
      ++buffer_lines_;
    }
    p = line_end + (*line_end == '\r' && line_end[1] == '\n' ? 2 : 1);
  }
  ResetSideValues(index, count);
  count_ += count;
  NoteInserted(index, count);
  NotifyLines(OnLinesInserted, index, count);
  return count;
}

void TSrcEditStringList::LoadFileBytes(std::string bytes, bool& cr_seen, bool& lf_seen) {
  CheckLinesFit(bytes.data(), bytes.size());
  ClearLines();
  buffer_ = std::move(bytes);
  SplitBuffer(lcsUnchanged, cr_seen, lf_seen);
  if (EndsWithBreak(buffer_)) {
    AppendLine({});
  }
  while (count_ > 0 && IsBlank(LineText(count_ - 1))) {
    DeleteLine(count_ - 1);
  }
}

bool TSrcEditStringList::ReadFromFileArriving(const std::string& path, std::string* reason,
                                              TFileStamp* stamp, TSrcReadFacts* facts) {
  // Read and split in a store of their own, so that a failure half-way
  // leaves this one as it was.
  TSrcEditStringList fresh;
  fresh.SetTabWidth(tab_width_);
  fresh.offset_limit_ = offset_limit_;
  bool cr_seen = false;
  bool lf_seen = false;
  {
    // Declared after `fresh`: a failure stops and waits for the reading
    // thread before the bytes it writes go away.
    TFileReadAhead file;
    if (!file.Start(path, &fresh.buffer_.Buffer(), reason, stamp)) {
      return false;
    }
    fresh.SplitBuffer(lcsUnchanged, cr_seen, lf_seen, &file);
    if (!file.Finish(reason)) {
      return false;
    }
  }
  if (facts != nullptr) {
    facts->size = fresh.buffer_.size();
    facts->breaks_seen = cr_seen || lf_seen;
    facts->final_break = EndsWithBreak(fresh.buffer_);
  }
  if (EndsWithBreak(fresh.buffer_)) {
    fresh.AppendLine({});
  }
  while (fresh.count_ > 0 && IsBlank(fresh.LineText(fresh.count_ - 1))) {
    fresh.DeleteLine(fresh.count_ - 1);
  }
  TakeLinesOf(fresh);
  SetDetectedFormat(cr_seen, lf_seen);
  return true;
}

void TSrcEditStringList::TakeLinesOf(TSrcEditStringList& other) {
  Batch batch(*this);
  ClearLines();
  if (count_ != 0) {
    // A listener of the clearing added lines: the new ones go after them.
    AppendLinesFrom(other);
    other.ClearLines();
    return;
  }
  SetCapacity(0);
  ReleaseAllText();
  if (other.count_ == 0) {
    return;  // as reading no lines: nothing inserted
  }
  NotifyLines(OnBeforeInsert, 0, other.count_);
  std::swap(slots_, other.slots_);
  std::swap(count_, other.count_);
  std::swap(capacity_, other.capacity_);
  std::swap(recs_, other.recs_);
  std::swap(free_recs_, other.free_recs_);
  std::swap(owned_, other.owned_);
  std::swap(free_slots_, other.free_slots_);
  std::swap(buffer_, other.buffer_);
  std::swap(buffer_lines_, other.buffer_lines_);
  std::swap(offset_state_, other.offset_state_);
  longest_index_ = other.longest_index_;
  other.longest_index_ = -1;
  NotifyLines(OnLinesInserted, 0, count_);
}

void TSrcEditStringList::SetDetectedFormat(bool cr_seen, bool lf_seen) {
  if (cr_seen && !lf_seen) {
    file_format_ = sffMac;
  } else if (lf_seen && !cr_seen) {
    file_format_ = sffUnix;
  } else {
    file_format_ = sffDos;
  }
}

void TSrcEditStringList::ReadFromStream(TSrcStream& stream) {
  bool cr_seen = false;
  bool lf_seen = false;
  {
    Batch batch(*this);
    const std::int64_t reported = stream.Size();
    std::string data(static_cast<std::size_t>(reported > 0 ? reported : 0), '\0');
    stream.SetPosition(0);
    std::size_t got = 0;
    while (got < data.size()) {
      const std::size_t n = stream.Read(data.data() + got, data.size() - got);
      if (n == 0) {
        break;  // the stream shrank meanwhile: take what is there
      }
      got += n;
    }
    data.resize(got);
    LoadFileBytes(std::move(data), cr_seen, lf_seen);
  }
  // After the batch: OnBatchEnd listeners still see the previous format.
  SetDetectedFormat(cr_seen, lf_seen);
}

void TSrcEditStringList::ReadFromBytes(std::string bytes) {
  bool cr_seen = false;
  bool lf_seen = false;
  {
    Batch batch(*this);
    LoadFileBytes(std::move(bytes), cr_seen, lf_seen);
  }
  SetDetectedFormat(cr_seen, lf_seen);
}

void TSrcEditStringList::SetAllText(std::string_view text) {
  // Copied before clearing: the text may be a view into this store.
  std::string data(text);
  CheckLinesFit(data.data(), data.size());
  ClearLines();
  Batch batch(*this);
  buffer_ = std::move(data);
  bool cr_seen = false;
  bool lf_seen = false;
  SplitBuffer(lcsModified, cr_seen, lf_seen);
  if (EndsWithBreak(buffer_)) {
    AppendLine({});
  }
}

void TSrcEditStringList::WriteToStream(TSrcStream& stream) const {
  const std::string bytes = TextBytes();
  if (!bytes.empty()) {
    stream.Write(bytes.data(), bytes.size());
  }
}

std::string TSrcEditStringList::TextBytes(std::size_t spare) const {
  std::string out;
  if (count_ == 0) {
    return out;
  }
  const std::string_view line_break = LineBreakOf(file_format_);
  std::size_t total = static_cast<std::size_t>(count_ - 1) * line_break.size();
  for (int i = 0; i < count_; ++i) {
    total += LineText(i).size();
  }
  if (total == 0) {
    return out;
  }
  // Reserved, then appended to: the bytes are written to memory once, not
  // zeroed first, and a large text is not copied into a stream afterwards.
  out.reserve(total + spare);
  for (int i = 0; i < count_; ++i) {
    if (i > 0) {
      out.append(line_break);
    }
    out.append(LineText(i));
  }
  return out;
}

void TSrcEditStringList::ReadFromFile(const std::string& path) {
  TSrcFileStream stream = TSrcFileStream::OpenRead(path);
  ReadFromStream(stream);
}

void TSrcEditStringList::WriteToFile(const std::string& path) const {
  // Through a temporary file and a rename rather than truncating the file
  // first: a failure half-way must not cost the user the file they had.
  std::string reason;
  if (!WriteFileSafely(
          path, [this](const TByteSink& sink) { ForEachPiece(sink); }, &reason)) {
    throw ESrcFileCreateError(path, reason);
  }
}

}  // namespace torvane
