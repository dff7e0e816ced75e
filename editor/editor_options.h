// The editor's option set, selection modes, caret shapes and status-change
// sets: small value types shared by the model, the commands and the view.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace torvane {

// Ordinal = bit number in the 32-bit option mask.
enum TSrcEditorOption : std::uint8_t {
  eoAltSetsColumnMode,
  eoAutoIndent,
  eoAutoSizeMaxScrollWidth,
  eoDisableScrollArrows,
  eoDragDropEditing,
  eoDropFiles,
  eoEnhanceHomeKey,
  eoEnhanceEndKey,
  eoGroupUndo,
  eoHalfPageScroll,
  eoHideShowScrollbars,
  eoKeepCaretX,
  eoNoCaret,
  eoNoSelection,
  eoRightMouseMovesCursor,
  eoScrollByOneLess,
  eoScrollHintFollows,
  eoScrollPastEof,
  eoScrollPastEol,
  eoShowScrollHint,
  eoShowSpecialChars,
  eoSmartTabDelete,
  eoSmartTabs,
  eoSpecialLineDefaultFg,
  eoTabIndent,
  eoTabsToSpaces,
  eoTrimTrailingSpaces,
  eoColumnEditExtension,
};

// A small set over an enumeration with at most 32 members, kept as the mask
// that settings and messages exchange.
template <typename E>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> items) {
    for (E e : items) {
      mask_ |= Bit(e);
    }
  }
  static constexpr TEnumSet FromMask(std::uint32_t mask) {
    TEnumSet s;
    s.mask_ = mask;
    return s;
  }

  constexpr std::uint32_t Mask() const { return mask_; }
  constexpr bool Has(E e) const { return (mask_ & Bit(e)) != 0; }
  constexpr bool Empty() const { return mask_ == 0; }
  constexpr bool Intersects(TEnumSet other) const { return (mask_ & other.mask_) != 0; }

  constexpr TEnumSet& Include(E e) {
    mask_ |= Bit(e);
    return *this;
  }
  constexpr TEnumSet& Exclude(E e) {
    mask_ &= ~Bit(e);
    return *this;
  }
  constexpr TEnumSet& Set(E e, bool on) { return on ? Include(e) : Exclude(e); }
  constexpr TEnumSet& operator|=(TEnumSet other) {
    mask_ |= other.mask_;
    return *this;
  }
  friend constexpr TEnumSet operator|(TEnumSet a, TEnumSet b) { return a |= b; }
  friend constexpr TEnumSet operator^(TEnumSet a, TEnumSet b) {
    return FromMask(a.mask_ ^ b.mask_);
  }
  friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

 private:
  static constexpr std::uint32_t Bit(E e) { return std::uint32_t{1} << static_cast<unsigned>(e); }
  std::uint32_t mask_ = 0;
};

using TSrcEditorOptions = TEnumSet<TSrcEditorOption>;

inline constexpr TSrcEditorOptions kDefaultEditorOptions = {
    eoAutoIndent,     eoDragDropEditing, eoEnhanceEndKey, eoGroupUndo,    eoScrollPastEol,
    eoShowScrollHint, eoSmartTabDelete,  eoSmartTabs,     eoTabsToSpaces, eoColumnEditExtension};
static_assert(kDefaultEditorOptions.Mask() == 174850450);

enum TSrcSelectionMode : std::uint8_t { smNormal, smLine, smColumn };

enum TSrcEditCaretType : std::uint8_t { ctVerticalLine, ctHorizontalLine, ctHalfBlock, ctBlock };

enum TSrcStatusChange : std::uint8_t {
  scAll,
  scCaretX,
  scCaretY,
  scLeftChar,
  scTopLine,
  scInsertMode,
  scModified,
  scSelection,
  scReadOnly,
};
using TSrcStatusChanges = TEnumSet<TSrcStatusChange>;

}  // namespace torvane
