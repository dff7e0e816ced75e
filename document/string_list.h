// The line store: the text of one editor as an array of byte lines with a
// compact per-line record, change notifications and tab expansion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "document/file_format.h"
#include "document/shared_bytes.h"
#include "document/tab_expansion.h"
#include "platform/colors.h"
#include "platform/errors.h"
#include "platform/file_access.h"

namespace torvane {

class TSrcStream;
class TFileReadAhead;

// What a read of a file saw besides its lines.
struct TSrcReadFacts {
  std::size_t size = 0;      // bytes read
  bool breaks_seen = false;  // any CR or LF
  bool final_break = false;  // the last byte is a CR or an LF
};

// Index errors ("Invalid stringlist index %d"), the capacity refusal, and
// text beyond what 32-bit positions reach ("Line too long", "Too many lines").
class ESrcEditStringList : public ESrcError {
 public:
  using ESrcError::ESrcError;
};

// A highlighter's opaque state at the end of a line.
using TRangeState = std::uint32_t;
// All bits set: the line has not been scanned yet.
inline constexpr TRangeState kRangeNotScanned = 0xFFFFFFFFu;

// A caller's value attached to a line; the store never interprets it.
// 32 bits keep the per-line record small: callers that attach objects keep
// them in their own table and store the key here.
using TLineObject = std::uint32_t;

enum TLineChangeState : std::uint8_t {
  lcsUnchanged = 0,  // as read from the file
  lcsSaved = 1,      // changed, and saved since
  lcsModified = 2,   // changed and not saved
};

// Bits of TSrcEditStringRec::LineFlags.
enum TSrcEditLineFlag : std::uint8_t {
  lfHasTabs = 1,                // the line contains a TAB byte
  lfHasNoTabs = 2,              // it contains none: expanded text is the text
  lfExpandedLengthUnknown = 4,  // ExpandedLength must be recomputed
  // With lfHasNoTabs: no byte of 0x80 or more either, so byte i is the
  // character i + 1 in the cell i + 1 in any code page.
  lfPlain = 8,
};

// Bits of TLineAttributes::LineColorFlags.
enum TLineColorFlag : std::uint8_t {
  lcfBackground = 1,  // LineBackground applies
  lcfForeground = 2,  // LineForeground applies
};

// The part of a line's record other parts of the editor may read and change.
struct TLineAttributes {
  TColor LineForeground = clNone;
  TColor LineBackground = clNone;
  std::uint8_t LineColorFlags = 0;
  TLineChangeState ChangeState = lcsModified;

  friend bool operator==(const TLineAttributes&, const TLineAttributes&) = default;
};

// One line's record. 16 bytes: the text is a 32-bit reference (an offset
// into the store's load buffer until the line is changed, then the slot of a
// block of its own) and a 32-bit length. Lines read from a file need none
// until they change (see SetOffsetLineLimit). The rarely used fields (user object, colours) live in
// a side table that exists only once one of them is set, and the range states in an array of their
// own that exists only once a line's state is other than kRangeNotScanned: highlighters without
// range states never make it.
struct TSrcEditStringRec {
  std::uint32_t TextRef = 0;         // buffer offset, or owned slot when TextOwned
  std::uint32_t Length = 0;          // bytes of the text
  std::int32_t ExpandedLength = -1;  // display cells after tab expansion
  std::uint8_t LineFlags = lfExpandedLengthUnknown;
  TLineChangeState ChangeState = lcsModified;
  std::uint8_t LineColorFlags = 0;
  std::uint8_t TextOwned = 0;
};
static_assert(sizeof(TSrcEditStringRec) == 16, "keep the per-line record compact");

class TSrcEditStringList;

// Access to one line's TLineAttributes that changes them in place; empty
// (false) for an index outside the store. Valid until lines are inserted,
// deleted or exchanged.
class TLineAttributesRef {
 public:
  TLineAttributesRef() = default;
  // False once the line is gone; reads then give the neutral values of an
  // index outside the store and writes do nothing.
  explicit operator bool() const { return Valid(); }

  TLineAttributes Get() const;
  void Set(const TLineAttributes& attributes);
  TColor LineForeground() const;
  TColor LineBackground() const;
  std::uint8_t LineColorFlags() const;
  TLineChangeState ChangeState() const;
  void SetLineForeground(TColor color);
  void SetLineBackground(TColor color);
  void SetLineColorFlags(std::uint8_t flags);
  void SetChangeState(TLineChangeState state);

 private:
  friend class TSrcEditStringList;
  bool Valid() const;
  TLineAttributesRef(TSrcEditStringList* store, int index) : store_(store), index_(index) {}
  TSrcEditStringList* store_ = nullptr;
  int index_ = -1;
};

// Callbacks of the nine notifications; at most one subscriber each (the
// editor control). (Sender) and (Sender, first index, line count).
using TSrcStringListNotify = std::function<void(TSrcEditStringList& sender)>;
using TSrcStringListLinesNotify =
    std::function<void(TSrcEditStringList& sender, int index, int count)>;

// The text of one editor. Lines are byte strings (any byte, NUL included)
// addressed from 0. Every change runs in a batch: OnBatchBegin comes first,
// before-notifications see the unchanged store, after-notifications the
// changed one, and OnBatchEnd comes last.
//
// Lifetime of text handed out: the view returned by GetLine stays valid until
// that line is replaced (SetLine) or removed, or the store is cleared, read,
// given all new text or destroyed. Inserting, deleting or exchanging other
// lines does not move any line's bytes. GetExpandedLine's view of a line with
// tabs is valid until the next GetExpandedLine call or any change.
class TSrcEditStringList {
 public:
  TSrcEditStringList();
  ~TSrcEditStringList();
  TSrcEditStringList(const TSrcEditStringList&) = delete;
  TSrcEditStringList& operator=(const TSrcEditStringList&) = delete;

  // --- Notifications -----------------------------------------------------
  TSrcStringListNotify OnBatchBegin;    // batch counter 0 -> 1
  TSrcStringListNotify OnBatchEnd;      // batch counter back to 0
  TSrcStringListNotify OnLinesCleared;  // after ClearLines removed lines
  TSrcStringListLinesNotify OnBeforeDelete;
  TSrcStringListLinesNotify OnLinesDeleted;
  TSrcStringListLinesNotify OnBeforeInsert;
  TSrcStringListLinesNotify OnLinesInserted;
  TSrcStringListLinesNotify OnBeforeReplace;  // (index, 1), outside SetLine's batch
  TSrcStringListLinesNotify OnLineReplaced;   // (index, 1)

  // --- Reading: never raise; outside 0..LineCount-1 the neutral value ----
  int LineCount() const { return count_; }
  std::string_view GetLine(int index) const;
  TLineObject GetLineObject(int index) const;  // 0 outside
  TRangeState GetLineRange(int index) const;   // 0 outside
  // The text with each TAB widened to the next tab stop (one TAB byte per
  // display cell); other characters keep their bytes.
  std::string_view GetExpandedLine(int index) const;
  // Display cells of the expanded text; 0 outside.
  int GetExpandedLength(int index) const;
  // Whether the line's bytes are one-cell characters (lfPlain); false outside.
  bool IsPlainLine(int index) const;
  // The greatest expanded length of all lines; 0 for an empty store.
  int LongestLineLength() const;
  // Cached index of the first longest line, -1 while unknown.
  int LongestLineIndex() const { return longest_index_; }
  TLineAttributesRef GetLineAttributes(int index);
  TLineAttributes GetLineAttributes(int index) const;  // defaults outside
  TLineChangeState GetChangeState(int index) const;    // lcsUnchanged outside
  // The whole record (copy); a new line's record outside.
  TSrcEditStringRec GetLineRecord(int index) const;
  // All lines joined with CR LF, no break after the last.
  std::string GetAllText() const;
  int Capacity() const { return capacity_; }
  int TabWidth() const { return tab_width_; }
  TSrcEditFileFormat FileFormat() const { return file_format_; }
  void SetFileFormat(TSrcEditFileFormat format) { file_format_ = format; }
  int BatchCount() const { return batch_count_; }
  // While OnBeforeReplace and OnLineReplaced run: the first byte of the line
  // the change may alter (ReplaceLineBytes' offset, 0 for SetLine).
  std::size_t ReplacedFrom() const { return replaced_from_; }
  // Likewise: how many bytes at the line's end the change keeps as they
  // were (the tail after ReplaceLineBytes' range, 0 for SetLine).
  std::size_t ReplacedTail() const { return replaced_tail_; }

  // --- Changing: index errors raise ESrcEditStringList, store unchanged --
  int AppendLine(std::string_view text);
  void InsertLine(int index, std::string_view text);
  void SetLine(int index, std::string_view text);
  // SetLine with only the changed bytes: `count` bytes at byte `offset` of
  // the line (both clamped to it) become `text`. The same notifications and
  // record changes as SetLine, but a long line is changed in place rather
  // than copied whole.
  void ReplaceLineBytes(int index, std::size_t offset, std::size_t count, std::string_view text);
  void DeleteLine(int index);
  void RemoveLines(int index, int count);
  void InsertBlankLines(int index, int count);
  // Inserts all texts at `index` with one move of the records and one
  // notification.
  void InsertLines(int index, const std::vector<std::string_view>& texts);
  // InsertLines of the lines of text from byte `from` on, split at CR, LF
  // and CR LF (a break at the end gives a last empty line); returns their
  // number. Where InsertLines would put them into a new shared block, the
  // store takes `text` itself as that block rather than copying it. The
  // capacity becomes the new line count, as InsertBlankLines leaves it.
  int InsertLinesOfText(int index, std::string text, std::size_t from = 0);
  void AppendLinesFrom(const TSrcEditStringList& source);
  void AppendLinesFrom(const std::vector<std::string>& source);
  void ExchangeLines(int a, int b);
  void ClearLines();
  void SetAllText(std::string_view text);
  void SetLineObject(int index, TLineObject object);
  void SetLineRange(int index, TRangeState state);
  // SetLineRange without the batch: a state computed while painting is no
  // change of the text, so it must not reach the batch listeners.
  void CacheLineRange(int index, TRangeState state);
  void SetChangeState(int index, TLineChangeState state);
  // After a save: every lcsModified line becomes lcsSaved.
  void MarkModifiedLinesSaved();
  void SetTabWidth(int width);
  void ResizeCapacity(int capacity);
  void BeginBatch();
  void EndBatch();

  // --- Bytes and files ---------------------------------------------------
  // Replaces all lines by the stream's whole content (from position 0) and
  // detects FileFormat; trailing blank lines are dropped.
  void ReadFromStream(TSrcStream& stream);
  // The same for bytes already in memory, which the store keeps (no copy).
  void ReadFromBytes(std::string bytes);
  // Writes all lines with FileFormat's breaks, none after the last, in one
  // write at the stream's position.
  void WriteToStream(TSrcStream& stream) const;
  // The bytes WriteToStream writes, made once, with capacity for `spare`
  // more (a final line break) so that appending them copies nothing.
  std::string TextBytes(std::size_t spare = 0) const;
  // Hands the bytes WriteToStream writes to the sink in order, without
  // making them whole: a run of lines that lie one after the other in the
  // read bytes, with FileFormat's break between them, goes out as it lies
  // there; other lines and breaks are gathered into a small buffer first.
  // No piece is empty.
  void ForEachPiece(const TByteSink& sink) const;
  // Raises ESrcFileOpenError with the OS's reason; the store is unchanged.
  void ReadFromFile(const std::string& path);
  // ReadFromBytes of the file's bytes, splitting them into lines while
  // they are still being read (on another thread), so that a large file
  // takes little longer than reading it. When the file cannot be read the
  // store is left as it was and false is returned with the OS's reason;
  // errors of the store (a line too long) raise as ReadFromBytes raises
  // them, also leaving the store as it was.
  bool ReadFromFileArriving(const std::string& path, std::string* reason = nullptr,
                            TFileStamp* stamp = nullptr, TSrcReadFacts* facts = nullptr);
  // Replaces the file safely (temporary file, then rename), so a failed
  // write leaves the old file as it was; raises ESrcFileCreateError.
  void WriteToFile(const std::string& path) const;

  // Reads (and SetAllText) keep a line of at most this many bytes as a
  // 4-byte offset into the read bytes until it changes, rather than giving
  // it a 16-byte record; longer lines get records so that reading one never
  // walks far. 0 gives every line a record. Nothing a reader sees differs.
  static constexpr std::size_t kDefaultOffsetLineLimit = 1024;
  void SetOffsetLineLimit(std::size_t bytes) { offset_limit_ = bytes; }

  // The read buffer, for copying runs of lines without copying their bytes:
  // `hold` keeps them alive and unchanged (on any thread) for as long as it
  // is held, whatever happens to the lines. Empty while fewer than two lines
  // are in it, since a last one left would then lose its in-place change.
  struct TSharedRead {
    std::shared_ptr<const void> hold;
    std::string_view bytes;
  };
  TSharedRead SharedBuffer() const;

  // A readable dump for failing tests: one line per record, e.g.
  // `0 "mov eax, 1" m r=-1 x=10`.
  std::string Dump() const;

 private:
  friend class TLineAttributesRef;
  // Opens a batch for the lifetime of a change. When a listener throws, the
  // batch is still closed; a second failure from OnBatchEnd while unwinding is
  // dropped rather than terminating the program.
  class Batch {
   public:
    explicit Batch(TSrcEditStringList& store)
        : store_(store), exceptions_(std::uncaught_exceptions()) {
      store_.BeginBatch();
    }
    ~Batch() noexcept(false) {
      if (std::uncaught_exceptions() > exceptions_) {
        try {
          store_.EndBatch();
        } catch (...) {
        }
      } else {
        store_.EndBatch();
      }
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    TSrcEditStringList& store_;
    int exceptions_;
  };

  struct Extras {  // the rarely set fields, parallel to slots_
    TLineObject UserObject = 0;
    TColor LineForeground = clNone;
    TColor LineBackground = clNone;
  };

  void CheckIndex(int index, int last_valid) const;
  void Grow();
  void SetCapacity(int capacity);
  void EnsureExtras();
  void EnsureRanges();
  // Gives the records index..index+count-1 the side values of new lines.
  void ResetSideValues(int index, int count);
  void MakeRoom(int index, int count);  // moves records index.. up; capacity must suffice
  void CloseGap(int index, int count);  // moves records index+count.. down
  // The text of a line that has a record.
  std::string_view TextOf(const TSrcEditStringRec& record) const {
    if (record.Length == 0) {
      return {};
    }
    return {record.TextOwned != 0 ? owned_[record.TextRef] : buffer_.data() + record.TextRef,
            record.Length};
  }
  void PlaceRecord(int index, std::uint32_t text_ref, std::size_t length, bool owned);
  void InsertOwned(int index, std::string_view text);
  void NoteInserted(int index, int count);
  void NoteReplaced(int index, int old_length);
  // Copies text into a block of its own; returns its slot (0 for no text).
  std::uint32_t NewOwnedText(std::string_view text);
  // A block of `size` (> 0) bytes of its own, filled by the caller.
  std::uint32_t NewOwnedBlock(std::size_t size, char*& block);
  void ReleaseAllText();
  void RemoveRange(int index, int count);
  void AppendCopies(int count, const std::function<void(int, int)>& copy_line);
  void ReleaseText(TSrcEditStringRec& record);
  void FreeBuffer();
  void ComputeExpandedLength(TSrcEditStringRec& record) const;
  void NotifyLines(const TSrcStringListLinesNotify& callback, int index, int count);
  // Appends the lines of buffer_ (all of it); reports which breaks it saw.
  // With `arriving`, buffer_ is still being read by it (into an empty store).
  void SplitBuffer(TLineChangeState state, bool& cr_seen, bool& lf_seen,
                   TFileReadAhead* arriving = nullptr);
  // Replaces all lines by those of `other`, which has neither extras nor
  // range states, moving them over; `other` is left empty.
  void TakeLinesOf(TSrcEditStringList& other);
  // Steps 3 to 6 of a read: replace the lines by those of `bytes`, drop
  // trailing blank lines. Runs inside the caller's batch.
  void LoadFileBytes(std::string bytes, bool& cr_seen, bool& lf_seen);
  void SetDetectedFormat(bool cr_seen, bool lf_seen);

  Extras* extras_ = nullptr;       // null, or parallel to slots_ (Capacity)
  TRangeState* ranges_ = nullptr;  // null (all kRangeNotScanned), or parallel
  int count_ = 0;
  int capacity_ = 0;
  int batch_count_ = 0;
  TSrcEditFileFormat file_format_ = sffDos;
  int tab_width_ = 8;
  mutable int longest_index_ = -1;
  std::size_t replaced_from_ = 0;
  std::size_t replaced_tail_ = 0;
  TExpandRoutines expand_;  // chosen by SetTabWidth
  // --- Lines ---------------------------------------------------------------
  // Per line one 32-bit slot: with kRecordSlot set the index of the line's
  // record in recs_; otherwise an unchanged line read into buffer_ that
  // starts at this offset and ends at the next CR or LF (or the buffer's
  // end), or kEmptyOffsetLine. Such a line has no record until it changes:
  // its length, width and flags are found from its bytes when asked, its
  // change state is offset_state_ and its colour flags 0. So a read file
  // costs four bytes a line besides its bytes.
  static constexpr std::uint32_t kRecordSlot = 0x80000000u;
  static constexpr std::uint32_t kEmptyOffsetLine = 0x7FFFFFFFu;
  bool IsOffsetLine(int index) const { return (slots_[index] & kRecordSlot) == 0; }
  TSrcEditStringRec& Rec(int index) const { return recs_[slots_[index] & ~kRecordSlot]; }
  std::string_view LineText(int index) const;
  // The line's record: its own, or for an offset line one made from its bytes.
  TSrcEditStringRec RecordOf(int index) const;
  TLineChangeState StateOf(int index) const {
    return IsOffsetLine(index) ? offset_state_ : Rec(index).ChangeState;
  }
  // Gives the line a record of its own (no change a reader sees).
  TSrcEditStringRec& Own(int index);
  // A free record (TSrcEditStringRec{}); returns its slot value. Raises
  // std::bad_alloc before anything changes.
  std::uint32_t NewRec();
  void ReserveRecs(std::size_t count);
  // Releases line index's text and record.
  void ReleaseLine(int index);
  // The record of an offset line's bytes, as a full read measures them.
  TSrcEditStringRec MeasuredRecord(const char* p, std::size_t length, bool plain) const;

  std::uint32_t* slots_ = nullptr;  // malloc'd; Capacity slots, LineCount used
  mutable std::vector<TSrcEditStringRec> recs_;
  std::vector<std::uint32_t> free_recs_;  // indexes of unused entries of recs_
  TLineChangeState offset_state_ = lcsUnchanged;
  std::size_t offset_limit_ = kDefaultOffsetLineLimit;

  // The bytes of the last read or SetAllText; unchanged lines point into it.
  // It is let go when the last of them is changed or removed. The last one
  // left is changed in place while the capacity lasts and no one else holds
  // the bytes (SharedBuffer).
  TSharedBytes buffer_;
  // invariant: the number of records with text in buffer_ (not owned, and
  // Length > 0).
  std::size_t buffer_lines_ = 0;
  // Blocks of changed lines, addressed by slot; freed slots are reused.
  // invariant: free_slots_.capacity() >= owned_.size(), so releasing a
  // block never allocates.
  std::vector<char*> owned_;
  std::vector<std::uint32_t> free_slots_;
  mutable std::string expanded_;  // GetExpandedLine's result for a line with tabs
};

}  // namespace torvane
