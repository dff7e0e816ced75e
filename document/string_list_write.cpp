// The line store's text handed out in pieces for writing, so that saving a
// large file needs no second copy of it in memory.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "document/string_list.h"

namespace torvane {
namespace {

// Gathered bytes go out once there are this many.
constexpr std::size_t kGatheredMost = std::size_t{256} << 10;
// A run of lines at least this long goes out as it lies in the read bytes;
// a shorter one is gathered (many small writes cost more than the copy).
constexpr std::size_t kDirectFrom = std::size_t{16} << 10;
// A longer run goes out in parts, each while the bytes just compared are
// still in the cache.
constexpr std::size_t kRunMost = std::size_t{1} << 20;

// Turns the lines into pieces: a run of lines whose bytes follow each other
// in the read bytes with the line break between them is one piece of those
// bytes; the rest is copied into a small buffer that goes out when full.
class TPieceWriter {
 public:
  TPieceWriter(const TByteSink& sink, std::string_view read_bytes, std::string_view line_break)
      : sink_(sink),
        begin_(reinterpret_cast<std::uintptr_t>(read_bytes.data())),
        end_(begin_ + read_bytes.size()),
        break_(line_break),
        first_(line_break[0]),
        second_(line_break.size() > 1 ? line_break[1] : 0) {}

  // The next line: the break before it (unless it is the first) and its text.
  void Line(std::string_view text, bool first) {
    if (run_ != nullptr && Continues(text)) {
      if (static_cast<std::size_t>(run_end_ - run_) >= kRunMost) {
        EndRun();
      }
      return;
    }
    EndRun();
    if (InReadBytes(text)) {
      // A new run, which takes the break from the read bytes when it is there.
      run_ = text.data();
      run_end_ = text.data() + text.size();
      if (!first) {
        if (Address(run_) - begin_ >= break_.size() && IsBreak(run_ - break_.size())) {
          run_ -= break_.size();
        } else {
          Gather(break_);
        }
      }
      return;
    }
    if (!first) {
      Gather(break_);
    }
    if (text.size() >= kDirectFrom) {
      Flush();
      sink_(text);
    } else {
      Gather(text);
    }
  }

  void Finish() {
    EndRun();
    Flush();
  }

 private:
  static std::uintptr_t Address(const char* p) { return reinterpret_cast<std::uintptr_t>(p); }

  bool InReadBytes(std::string_view text) const {
    return !text.empty() && Address(text.data()) >= begin_ && Address(text.data()) < end_;
  }

  // Whether the line break starts at p (its bytes are in the read bytes).
  bool IsBreak(const char* p) const { return p[0] == first_ && (second_ == 0 || p[1] == second_); }

  // Extends the run by the break and `text` when they are the read bytes
  // right after it.
  bool Continues(std::string_view text) {
    const char* at = run_end_;
    if (end_ - Address(at) < break_.size() || !IsBreak(at)) {
      return false;
    }
    at += break_.size();
    if (!text.empty() && text.data() != at) {
      return false;
    }
    run_end_ = at + text.size();
    return true;
  }

  void EndRun() {
    if (run_ == nullptr) {
      return;
    }
    const std::string_view run(run_, static_cast<std::size_t>(run_end_ - run_));
    run_ = nullptr;
    if (run.size() < kDirectFrom) {
      Gather(run, end_);
    } else {
      Flush();
      sink_(run);
    }
  }

  // Bytes shorter than kDirectFrom; those that may be read up to
  // `readable_end` (the end of the read bytes) may be copied in a block of
  // kBlock bytes, which is much quicker for the many short lines than a
  // copy of their exact length.
  void Gather(std::string_view bytes, std::uintptr_t readable_end = 0) {
    if (kGatheredMost - gathered_size_ < bytes.size()) {
      Flush();
    }
    char* to = gathered_.get() + gathered_size_;
    if (bytes.size() <= kBlock && Address(bytes.data()) + kBlock <= readable_end) {
      std::memcpy(to, bytes.data(), kBlock);
    } else if (!bytes.empty()) {
      std::memcpy(to, bytes.data(), bytes.size());
    }
    gathered_size_ += bytes.size();
  }

  void Flush() {
    if (gathered_size_ != 0) {
      sink_({gathered_.get(), gathered_size_});
      gathered_size_ = 0;
    }
  }

  const TByteSink& sink_;
  const std::uintptr_t begin_;  // the read bytes
  const std::uintptr_t end_;
  const std::string_view break_;
  const char first_;           // its bytes
  const char second_;          // 0 for a break of one byte
  const char* run_ = nullptr;  // the run not yet handed out, if any
  const char* run_end_ = nullptr;
  static constexpr std::size_t kBlock = 32;
  const std::unique_ptr<char[]> gathered_{new char[kGatheredMost + kBlock]};
  std::size_t gathered_size_ = 0;
};

}  // namespace

void TSrcEditStringList::ForEachPiece(const TByteSink& sink) const {
  TPieceWriter writer(sink, buffer_, LineBreakOf(file_format_));
  for (int i = 0; i < count_; ++i) {
    // (A record's text without the call: lines put back by an undo have
    // records, and a gigabyte holds tens of millions of lines.)
    const std::uint32_t slot = slots_[i];
    writer.Line((slot & kRecordSlot) != 0 ? TextOf(recs_[slot & ~kRecordSlot]) : LineText(i),
                i == 0);
  }
  writer.Finish();
}

}  // namespace torvane
