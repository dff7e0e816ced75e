// The undo and redo lists: recorded changes with their group numbers, the
// size limit and the save point the modified flag is derived from.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "editor/undo_types.h"

namespace torvane {

// One recorded change. Text holds the document's bytes, lines split by CR LF.
struct TSrcEditUndoItem {
  TSrcEditChangeKind Kind = ckNothing;
  TSrcSelectionMode Mode = smNormal;
  TBufferPos BeginPos;
  TBufferPos EndPos;
  std::string Text;
  std::uint32_t GroupNumber = 0;
  std::shared_ptr<TSrcUndoFoldData> FoldData;  // ckFoldChange only
  std::int32_t FoldIndex = 0;                  // ckFoldChange only

  // Copies kind, mode, positions, text and group number; not the fold fields.
  void Assign(const TSrcEditUndoItem& source);
};

class TSrcEditUndoList {
 public:
  // Group number meaning "no save point can be reached".
  static constexpr std::uint32_t NoSavePoint = 0xFFFFFFFFu;

  using TEntryAddedEvent = std::function<void(TSrcEditUndoList&)>;

  TSrcEditUndoList() = default;
  TSrcEditUndoList(const TSrcEditUndoList&) = delete;
  TSrcEditUndoList& operator=(const TSrcEditUndoList&) = delete;

  // Records nothing while locked. Takes the text by value so that a large
  // paste moves into the entry instead of being copied.
  void RecordChange(TSrcEditChangeKind kind, TBufferPos beginPos, TBufferPos endPos,
                    std::string text, TSrcSelectionMode mode,
                    std::shared_ptr<TSrcUndoFoldData> foldData = nullptr,
                    std::int32_t foldIndex = 0);
  // Appends (a null entry is ignored), trims to MaxEntries by dropping whole
  // groups (never the newest one nor the open one) and reports the addition
  // unless the entry is a group break.
  void PushEntry(std::unique_ptr<TSrcEditUndoItem> entry);
  // The top entry, or null.
  const TSrcEditUndoItem* PeekEntry() const;
  std::unique_ptr<TSrcEditUndoItem> PopEntry();
  TSrcEditChangeKind LastKind() const;

  void BeginGroup();
  void EndGroup();
  void AddGroupBreak();

  void Clear();
  bool CanUndo() const { return !items_.empty(); }
  int Count() const { return static_cast<int>(items_.size()); }
  // Oldest first; throws ESrcError for an index outside 0 … Count - 1.
  const TSrcEditUndoItem& EntryAt(int index) const;

  void Lock() { ++lock_depth_; }
  void Unlock() {
    if (lock_depth_ > 0) {
      --lock_depth_;
    }
  }
  int LockDepth() const { return lock_depth_; }

  void MarkSavePoint(bool saved);
  bool IsAtSavePoint() const;

  // Copies the entries (without fold data), the group state, the lock, the
  // limit and the save point.
  void CopyFrom(const TSrcEditUndoList& source);

  int MaxEntries() const { return max_entries_; }
  void SetMaxEntries(int value);  // negative counts as 0
  bool HistoryTruncated() const { return history_truncated_; }

  // The editor sets the block number of the opposite list around an undo or
  // redo step so that the entries it records there form one group.
  std::uint32_t BlockGroupNumber() const { return block_group_number_; }
  void SetBlockGroupNumber(std::uint32_t value) { block_group_number_ = value; }
  int BlockDepth() const { return block_depth_; }
  std::uint32_t NextGroupNumber() const { return next_group_number_; }
  void SetNextGroupNumber(std::uint32_t value) { next_group_number_ = value == 0 ? 1 : value; }
  std::uint32_t SavedGroupNumber() const { return saved_group_number_; }

  // "ckInsert#1 (1,1)-(4,1) "abc"" per entry, oldest first, one per line;
  // for test failures and debugging.
  std::string Dump() const;

  // Called after an entry was added and once when a group closes.
  TEntryAddedEvent OnEntryAdded;
  // Called while the outermost group is about to close; entries recorded
  // then still join it.
  std::function<void()> OnGroupClosing;
  // Sees each recorded entry before it is added (folding keeps positions in
  // expanded lines there).
  std::function<void(TSrcEditUndoItem&)> OnRecord;

 private:
  void AdvanceGroupNumber();
  void Trim();
  // Group of the newest entry that is not a group break; 0 when none.
  std::uint32_t NewestGroupNumber() const;
  void EntryAdded();

  std::deque<std::unique_ptr<TSrcEditUndoItem>> items_;  // oldest first
  std::uint32_t block_group_number_ = 0;                 // non-zero while a group is open
  int block_depth_ = 0;
  bool history_truncated_ = false;
  int lock_depth_ = 0;
  int max_entries_ = 1024;
  std::uint32_t next_group_number_ = 1;  // invariant: never 0
  // The top entry's group when the text was last saved; 0 = the empty list,
  // NoSavePoint = unreachable.
  std::uint32_t saved_group_number_ = 0;
};

}  // namespace torvane
