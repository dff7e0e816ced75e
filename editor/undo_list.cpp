// Recording, grouping, trimming and the save point of the undo lists.
#include "editor/undo_list.h"

#include <array>

#include "platform/errors.h"

namespace torvane {

std::string_view ChangeKindName(TSrcEditChangeKind kind) {
  static constexpr std::array<std::string_view, 24> kNames = {
      "ckInsert",         "ckPaste",
      "ckDragDropInsert", "ckDeleteAfterCaret",
      "ckDelete",         "ckLineBreak",
      "ckIndent",         "ckUnindent",
      "ckSilentDelete",   "ckSilentDeleteAfterCaret",
      "ckGroup1Begin",    "ckGroup1End",
      "ckPasteBegin",     "ckPasteEnd",
      "ckGroup3Begin",    "ckGroup3End",
      "ckGroup4Begin",    "ckGroup4End",
      "ckCaret",          "ckSelection",
      "ckNothing",        "ckGroupBreak",
      "ckDeleteAll",      "ckFoldChange",
  };
  const auto index = static_cast<std::size_t>(kind);
  return index < kNames.size() ? kNames[index] : std::string_view("ck?");
}

void TSrcEditUndoItem::Assign(const TSrcEditUndoItem& source) {
  Kind = source.Kind;
  Mode = source.Mode;
  BeginPos = source.BeginPos;
  EndPos = source.EndPos;
  Text = source.Text;
  GroupNumber = source.GroupNumber;
}

void TSrcEditUndoList::AdvanceGroupNumber() {
  ++next_group_number_;
  if (next_group_number_ == 0) {  // 0 would read as "no group open"
    ++next_group_number_;
  }
}

void TSrcEditUndoList::RecordChange(TSrcEditChangeKind kind, TBufferPos beginPos, TBufferPos endPos,
                                    std::string text, TSrcSelectionMode mode,
                                    std::shared_ptr<TSrcUndoFoldData> foldData,
                                    std::int32_t foldIndex) {
  if (lock_depth_ > 0) {
    return;
  }
  auto entry = std::make_unique<TSrcEditUndoItem>();
  entry->Kind = kind;
  entry->Mode = mode;
  entry->BeginPos = beginPos;
  entry->EndPos = endPos;
  entry->Text = std::move(text);
  entry->FoldData = std::move(foldData);
  entry->FoldIndex = foldIndex;
  if (OnRecord) {
    OnRecord(*entry);
  }
  if (block_group_number_ != 0) {
    entry->GroupNumber = block_group_number_;
  } else {
    entry->GroupNumber = next_group_number_;
    if (block_depth_ == 0) {
      AdvanceGroupNumber();
    }
  }
  PushEntry(std::move(entry));
}

void TSrcEditUndoList::PushEntry(std::unique_ptr<TSrcEditUndoItem> entry) {
  if (entry == nullptr) {
    return;
  }
  const bool isBreak = entry->Kind == ckGroupBreak;
  items_.push_back(std::move(entry));
  Trim();
  if (!isBreak) {
    EntryAdded();
  }
}

void TSrcEditUndoList::EntryAdded() {
  if (OnEntryAdded) {
    OnEntryAdded(*this);
  }
}

void TSrcEditUndoList::Trim() {
  bool droppedChange = false;
  const std::uint32_t newest = NewestGroupNumber();
  while (static_cast<int>(items_.size()) > max_entries_) {
    // Whole groups go, oldest first: half a command could not be undone
    // exactly. The newest command and a group still being recorded stay
    // whole however large, so one undo always takes a command back; only a
    // limit of 0 (no undo at all) drops them too.
    const std::uint32_t oldest = items_.front()->GroupNumber;
    if (max_entries_ > 0 && (oldest == newest || oldest == block_group_number_)) {
      break;
    }
    while (!items_.empty() && items_.front()->GroupNumber == oldest) {
      droppedChange = droppedChange || items_.front()->Kind != ckGroupBreak;
      items_.pop_front();
    }
    history_truncated_ = true;
  }
  // Once a change is gone, undoing can no longer lead back to the text of the
  // empty list, so a save point there is out of reach; left at 0 it would
  // make a list emptied by trimming (MaxEntries 0) report edited text as saved.
  if (droppedChange && saved_group_number_ == 0) {
    saved_group_number_ = NoSavePoint;
  }
}

std::uint32_t TSrcEditUndoList::NewestGroupNumber() const {
  // A group break on top separates steps but undoes nothing.
  for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
    if ((*it)->Kind != ckGroupBreak) {
      return (*it)->GroupNumber;
    }
  }
  return 0;
}

void TSrcEditUndoList::SetMaxEntries(int value) {
  if (value < 0) {
    value = 0;
  }
  if (value != max_entries_) {
    max_entries_ = value;
    Trim();
  }
}

const TSrcEditUndoItem* TSrcEditUndoList::PeekEntry() const {
  return items_.empty() ? nullptr : items_.back().get();
}

std::unique_ptr<TSrcEditUndoItem> TSrcEditUndoList::PopEntry() {
  if (items_.empty()) {
    return nullptr;
  }
  std::unique_ptr<TSrcEditUndoItem> entry = std::move(items_.back());
  items_.pop_back();
  return entry;
}

TSrcEditChangeKind TSrcEditUndoList::LastKind() const {
  return items_.empty() ? ckNothing : items_.back()->Kind;
}

void TSrcEditUndoList::BeginGroup() {
  ++block_depth_;
  block_group_number_ = next_group_number_;
}

void TSrcEditUndoList::EndGroup() {
  if (block_depth_ <= 0) {
    return;
  }
  if (block_depth_ == 1 && OnGroupClosing) {
    OnGroupClosing();
  }
  --block_depth_;
  if (block_depth_ != 0) {
    return;
  }
  const std::uint32_t closed = block_group_number_;
  block_group_number_ = 0;
  AdvanceGroupNumber();
  if (!items_.empty() && items_.back()->GroupNumber == closed) {
    EntryAdded();
  }
}

void TSrcEditUndoList::AddGroupBreak() {
  if (LastKind() != ckGroupBreak) {
    RecordChange(ckGroupBreak, TBufferPos{}, TBufferPos{}, std::string(), smNormal);
  }
}

void TSrcEditUndoList::Clear() {
  items_.clear();
  history_truncated_ = false;
}

const TSrcEditUndoItem& TSrcEditUndoList::EntryAt(int index) const {
  if (index < 0 || index >= Count()) {
    throw ESrcError(FormatMessage("List index out of bounds (%d)", index));
  }
  return *items_[static_cast<std::size_t>(index)];
}

void TSrcEditUndoList::MarkSavePoint(bool saved) {
  if (saved) {
    saved_group_number_ = items_.empty() ? 0 : items_.back()->GroupNumber;
  } else if (IsAtSavePoint()) {
    saved_group_number_ = NoSavePoint;
  }
}

bool TSrcEditUndoList::IsAtSavePoint() const {
  if (items_.empty()) {
    return saved_group_number_ == 0;
  }
  return items_.back()->GroupNumber == saved_group_number_;
}

void TSrcEditUndoList::CopyFrom(const TSrcEditUndoList& source) {
  if (&source == this) {
    return;
  }
  Clear();
  for (const auto& item : source.items_) {
    auto copy = std::make_unique<TSrcEditUndoItem>();
    copy->Assign(*item);
    items_.push_back(std::move(copy));
  }
  block_group_number_ = source.block_group_number_;
  block_depth_ = source.block_depth_;
  history_truncated_ = source.history_truncated_;
  lock_depth_ = source.lock_depth_;
  max_entries_ = source.max_entries_;
  next_group_number_ = source.next_group_number_;
  // Without the save point the copy would misreport whether its text is saved.
  saved_group_number_ = source.saved_group_number_;
}

std::string TSrcEditUndoList::Dump() const {
  std::string out;
  for (const auto& item : items_) {
    out += ChangeKindName(item->Kind);
    out += FormatMessage("#%u (%d,%d)-(%d,%d)", item->GroupNumber, item->BeginPos.Char,
                         item->BeginPos.Line, item->EndPos.Char, item->EndPos.Line);
    if (item->Mode != smNormal) {
      out += item->Mode == smLine ? " line" : " column";
    }
    if (!item->Text.empty()) {
      out += " \"";
      for (const char c : item->Text) {
        if (c == '\r') {
          out += "\\r";
        } else if (c == '\n') {
          out += "\\n";
        } else {
          out += c;
        }
      }
      out += '"';
    }
    out += '\n';
  }
  return out;
}

}  // namespace torvane
