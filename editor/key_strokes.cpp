// Binding entries, the binding table with its default contents, and key
// translation with the chord memory.
#include "editor/key_strokes.h"

#include "editor/shortcut_text.h"

namespace torvane {

namespace {

constexpr const char* kShortcutExists = "Shortcut already exists";

// Keys outside this range (Backspace, Tab, Enter, Escape, modifier keys, the
// punctuation keys) never start a chord.
constexpr std::uint16_t kChordPrefixFirst = 30;
constexpr std::uint16_t kChordPrefixLast = 145;

}  // namespace

// ---------------------------------------------------------------------------
// TSrcEditKeyStroke

void TSrcEditKeyStroke::SetShortCut(TShortCut value) {
  if (value != 0 && collection_ != nullptr) {
    const int found = collection_->FindShortcutPair(value, ShortCut2());
    if (found >= 0 && found != Index()) {
      throw ESrcKeyError(kShortcutExists);
    }
  }
  key_ = ShortCutKey(value);
  shift_ = ShortCutShift(value);
}

void TSrcEditKeyStroke::SetShortCut2(TShortCut value) {
  if (value != 0 && collection_ != nullptr) {
    const int found = collection_->FindShortcutPair(ShortCut(), value);
    if (found >= 0 && found != Index()) {
      throw ESrcKeyError(kShortcutExists);
    }
  }
  key2_ = ShortCutKey(value);
  shift2_ = ShortCutShift(value);
}

void TSrcEditKeyStroke::Assign(const TSrcEditKeyStroke& source) {
  command_ = source.command_;
  key_ = source.key_;
  key2_ = source.key2_;
  shift_ = source.shift_;
  shift2_ = source.shift2_;
}

std::string TSrcEditKeyStroke::DisplayName() const {
  std::string name = CommandToText(command_) + " - " + ShortCutToText(ShortCut());
  if (ShortCut() != 0) {
    name += ' ';
    name += ShortCutToText(ShortCut2());
  }
  return name;
}

int TSrcEditKeyStroke::Index() const {
  if (collection_ == nullptr) {
    return -1;
  }
  return static_cast<int>(this - collection_->items_.data());
}

// ---------------------------------------------------------------------------
// TSrcEditKeyStrokes

void TSrcEditKeyStrokes::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) {
    throw ESrcKeyError(FormatMessage("List index out of bounds (%d)", index));
  }
}

TSrcEditKeyStroke& TSrcEditKeyStrokes::Items(int index) {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)];
}

const TSrcEditKeyStroke& TSrcEditKeyStrokes::Items(int index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)];
}

void TSrcEditKeyStrokes::AdoptItems() {
  for (TSrcEditKeyStroke& item : items_) {
    item.collection_ = this;
  }
}

TSrcEditKeyStroke& TSrcEditKeyStrokes::Add() {
  items_.emplace_back();
  AdoptItems();  // the vector may have moved every entry
  return items_.back();
}

void TSrcEditKeyStrokes::Delete(int index) {
  CheckIndex(index);
  items_.erase(items_.begin() + index);
  AdoptItems();
}

int TSrcEditKeyStrokes::AddBinding(TSrcEditorCommand command, std::uint16_t key, TShiftState shift,
                                   std::uint16_t key2, TShiftState shift2) {
  TSrcEditKeyStroke& item = Add();
  item.key_ = key;
  item.shift_ = shift;
  item.key2_ = key2;
  item.shift2_ = shift2;
  item.command_ = command;
  return Count() - 1;
}

int TSrcEditKeyStrokes::FindKeyBinding(std::uint16_t key, TShiftState shift) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const TSrcEditKeyStroke& item = items_[i];
    if (item.key_ == key && item.shift_ == shift && item.key2_ == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int TSrcEditKeyStrokes::FindChordBinding(std::uint16_t key1, TShiftState shift1, std::uint16_t key2,
                                         TShiftState shift2) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const TSrcEditKeyStroke& item = items_[i];
    if (item.key_ == key1 && item.shift_ == shift1 && item.key2_ == key2 &&
        item.shift2_ == shift2) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int TSrcEditKeyStrokes::FindShortcutPair(TShortCut shortcut, TShortCut shortcut2) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].ShortCut() == shortcut && items_[i].ShortCut2() == shortcut2) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void TSrcEditKeyStrokes::CopyFrom(const TSrcEditKeyStrokes& source) {
  if (&source == this) {
    return;
  }
  items_ = source.items_;  // entry copies are free-standing until adopted
  AdoptItems();
}

void TSrcEditKeyStrokes::ResetDefaults() {
  Clear();
  items_.reserve(82);
  constexpr TShiftState none = 0;
  constexpr TShiftState ctrlShift = ssCtrl | ssShift;
  constexpr TShiftState altShift = ssAlt | ssShift;

  AddBinding(ecUp, VK_UP, none);
  AddBinding(ecSelUp, VK_UP, ssShift);
  AddBinding(ecScrollUp, VK_UP, ssCtrl);
  AddBinding(ecDown, VK_DOWN, none);
  AddBinding(ecSelDown, VK_DOWN, ssShift);
  AddBinding(ecScrollDown, VK_DOWN, ssCtrl);
  AddBinding(ecLeft, VK_LEFT, none);
  AddBinding(ecSelLeft, VK_LEFT, ssShift);
  AddBinding(ecWordLeft, VK_LEFT, ssCtrl);
  AddBinding(ecSelWordLeft, VK_LEFT, ctrlShift);
  AddBinding(ecRight, VK_RIGHT, none);
  AddBinding(ecSelRight, VK_RIGHT, ssShift);
  AddBinding(ecWordRight, VK_RIGHT, ssCtrl);
  AddBinding(ecSelWordRight, VK_RIGHT, ctrlShift);
  AddBinding(ecPageDown, VK_NEXT, none);
  AddBinding(ecSelPageDown, VK_NEXT, ssShift);
  AddBinding(ecPageBottom, VK_NEXT, ssCtrl);
  AddBinding(ecSelPageBottom, VK_NEXT, ctrlShift);
  AddBinding(ecPageUp, VK_PRIOR, none);
  AddBinding(ecSelPageUp, VK_PRIOR, ssShift);
  AddBinding(ecPageTop, VK_PRIOR, ssCtrl);
  AddBinding(ecSelPageTop, VK_PRIOR, ctrlShift);
  AddBinding(ecLineStart, VK_HOME, none);
  AddBinding(ecSelLineStart, VK_HOME, ssShift);
  AddBinding(ecEditorTop, VK_HOME, ssCtrl);
  AddBinding(ecSelEditorTop, VK_HOME, ctrlShift);
  AddBinding(ecLineEnd, VK_END, none);
  AddBinding(ecSelLineEnd, VK_END, ssShift);
  AddBinding(ecEditorBottom, VK_END, ssCtrl);
  AddBinding(ecSelEditorBottom, VK_END, ctrlShift);
  AddBinding(ecToggleMode, VK_INSERT, none);
  AddBinding(ecCopy, VK_INSERT, ssCtrl);
  AddBinding(ecCut, VK_DELETE, ssShift);
  AddBinding(ecPaste, VK_INSERT, ssShift);
  AddBinding(ecDeleteChar, VK_DELETE, none);
  AddBinding(ecDeleteLastChar, VK_BACK, none);
  AddBinding(ecDeleteLastChar, VK_BACK, ssShift);
  AddBinding(ecDeleteLastWord, VK_BACK, ssCtrl);
  AddBinding(ecUndo, VK_BACK, ssAlt);
  AddBinding(ecRedo, VK_BACK, altShift);
  AddBinding(ecLineBreak, VK_RETURN, none);
  AddBinding(ecLineBreak, VK_RETURN, ssShift);
  AddBinding(ecTab, VK_TAB, none);
  AddBinding(ecShiftTab, VK_TAB, ssShift);
  AddBinding(ecContextHelp, VK_F1, none);
  AddBinding(ecSelectAll, 'A', ssCtrl);
  AddBinding(ecCopy, 'C', ssCtrl);
  AddBinding(ecPaste, 'V', ssCtrl);
  AddBinding(ecCut, 'X', ssCtrl);
  AddBinding(ecBlockIndent, 'I', ctrlShift);
  AddBinding(ecBlockUnindent, 'U', ctrlShift);
  AddBinding(ecLineBreak, 'M', ssCtrl);
  AddBinding(ecInsertLine, 'N', ssCtrl);
  AddBinding(ecDeleteWord, 'T', ssCtrl);
  AddBinding(ecDeleteLine, 'Y', ssCtrl);
  AddBinding(ecDeleteEOL, 'Y', ctrlShift);
  AddBinding(ecUndo, 'Z', ssCtrl);
  AddBinding(ecRedo, 'Z', ctrlShift);
  for (int n = 0; n <= 9; ++n) {
    AddBinding(ecGotoMarker(n), static_cast<std::uint16_t>('0' + n), ssCtrl);
  }
  for (int n = 0; n <= 9; ++n) {
    AddBinding(ecSetMarker(n), static_cast<std::uint16_t>('0' + n), ctrlShift);
  }
  AddBinding(ecNormalSelect, 'N', ctrlShift);
  AddBinding(ecColumnSelect, 'C', ctrlShift);
  AddBinding(ecLineSelect, 'L', ctrlShift);
  AddBinding(ecMatchBracket, 'B', ctrlShift);
}

// ---------------------------------------------------------------------------
// TSrcEditKeyTranslator

TSrcEditorCommand TSrcEditKeyTranslator::TranslateKey(const TSrcEditKeyStrokes& keys,
                                                      std::uint16_t key, TShiftState shift) {
  // Key 0 is a key Qt could not name; it must not match an entry without a
  // shortcut, which also holds key 0.
  int found = -1;
  if (key != 0) {
    found = keys.FindChordBinding(last_key_, last_shift_, key, shift);
    if (found < 0) {
      found = keys.FindKeyBinding(key, shift);
    }
  }
  const TSrcEditorCommand command = found >= 0 ? keys[found].Command() : ecNone;
  if (found >= 0 || key < kChordPrefixFirst || key > kChordPrefixLast) {
    Reset();
  } else {
    last_key_ = key;
    last_shift_ = shift;
  }
  return command;
}

}  // namespace torvane
