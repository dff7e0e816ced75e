// The key binding table: entries that bind a key or a two-key chord to an
// editor command, the default table, and the translation of key presses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/commands.h"
#include "platform/errors.h"
#include "platform/virtual_keys.h"

namespace torvane {

class ESrcKeyError : public ESrcError {
 public:
  using ESrcError::ESrcError;
};

class TSrcEditKeyStrokes;

// One binding. An entry that sits in a table knows it, so that its shortcut
// setters can refuse a key pair another entry already holds; a copy of an
// entry is always free-standing.
class TSrcEditKeyStroke {
 public:
  TSrcEditKeyStroke() = default;
  TSrcEditKeyStroke(const TSrcEditKeyStroke& other) { Assign(other); }
  TSrcEditKeyStroke& operator=(const TSrcEditKeyStroke& other) {
    Assign(other);
    return *this;
  }

  std::uint16_t Key() const { return key_; }
  TShiftState Shift() const { return shift_; }
  std::uint16_t Key2() const { return key2_; }  // 0 for a single key
  TShiftState Shift2() const { return shift2_; }
  TSrcEditorCommand Command() const { return command_; }

  // Direct setters: no duplicate test.
  void SetKey(std::uint16_t key) { key_ = key; }
  void SetShift(TShiftState shift) { shift_ = shift; }
  void SetKey2(std::uint16_t key) { key2_ = key; }
  void SetShift2(TShiftState shift) { shift2_ = shift; }
  void SetCommand(TSrcEditorCommand command) { command_ = command; }

  TShortCut ShortCut() const { return torvane::ShortCut(key_, shift_); }
  TShortCut ShortCut2() const { return torvane::ShortCut(key2_, shift2_); }
  // Raise ESrcKeyError "Shortcut already exists" (and change nothing) when
  // another entry of the table holds the resulting pair.
  void SetShortCut(TShortCut value);
  void SetShortCut2(TShortCut value);

  // Copies command, keys and modifiers; the table membership stays.
  void Assign(const TSrcEditKeyStroke& source);

  // "ecUndo - Ctrl+Z " : the command, " - ", the first shortcut's text and,
  // when there is a first shortcut, a blank and the second one's text.
  std::string DisplayName() const;

  // Position in the owning table, or -1 for a free-standing entry.
  int Index() const;
  TSrcEditKeyStrokes* Collection() const { return collection_; }

 private:
  friend class TSrcEditKeyStrokes;

  TSrcEditKeyStrokes* collection_ = nullptr;
  std::uint16_t key_ = 0;
  std::uint16_t key2_ = 0;
  TShiftState shift_ = 0;
  TShiftState shift2_ = 0;
  TSrcEditorCommand command_ = ecNone;
};

// An ordered table of bindings; lookups return the first match, so the order
// decides between duplicates. References to entries stay valid until the
// table changes its size.
class TSrcEditKeyStrokes {
 public:
  TSrcEditKeyStrokes() = default;
  TSrcEditKeyStrokes(const TSrcEditKeyStrokes& other) { CopyFrom(other); }
  TSrcEditKeyStrokes& operator=(const TSrcEditKeyStrokes& other) {
    CopyFrom(other);
    return *this;
  }

  int Count() const { return static_cast<int>(items_.size()); }
  // Throw ESrcKeyError for an index outside 0 … Count - 1.
  TSrcEditKeyStroke& Items(int index);
  const TSrcEditKeyStroke& Items(int index) const;
  TSrcEditKeyStroke& operator[](int index) { return Items(index); }
  const TSrcEditKeyStroke& operator[](int index) const { return Items(index); }

  // Appends an empty entry (no keys, ecNone).
  TSrcEditKeyStroke& Add();
  void Delete(int index);
  void Clear() { items_.clear(); }

  // Appends an entry without a duplicate test; returns its index.
  int AddBinding(TSrcEditorCommand command, std::uint16_t key, TShiftState shift,
                 std::uint16_t key2 = 0, TShiftState shift2 = 0);

  // First single-key entry with exactly these modifiers, or -1.
  int FindKeyBinding(std::uint16_t key, TShiftState shift) const;
  // First entry whose four key fields equal the arguments, or -1.
  int FindChordBinding(std::uint16_t key1, TShiftState shift1, std::uint16_t key2,
                       TShiftState shift2) const;
  // First entry with this packed shortcut pair, or -1.
  int FindShortcutPair(TShortCut shortcut, TShortCut shortcut2) const;

  void CopyFrom(const TSrcEditKeyStrokes& source);
  // The 82 default bindings, in their fixed order.
  void ResetDefaults();

 private:
  friend class TSrcEditKeyStroke;
  void CheckIndex(int index) const;
  void AdoptItems();

  // Invariant: every entry's collection_ points at this table.
  std::vector<TSrcEditKeyStroke> items_;
};

// Turns key presses into commands, remembering an unbound key as the first
// half of a chord. The editor owns one; the previous key starts at 0.
class TSrcEditKeyTranslator {
 public:
  TSrcEditorCommand TranslateKey(const TSrcEditKeyStrokes& keys, std::uint16_t key,
                                 TShiftState shift);
  void Reset() {
    last_key_ = 0;
    last_shift_ = 0;
  }
  std::uint16_t LastKey() const { return last_key_; }
  TShiftState LastShift() const { return last_shift_; }

 private:
  std::uint16_t last_key_ = 0;
  TShiftState last_shift_ = 0;
};

}  // namespace torvane
