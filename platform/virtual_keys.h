// The classic virtual-key numbers and modifier bits the key table speaks, the
// packed shortcut form, and the mapping from Qt's key events to them.
#pragma once

#include <QtCore/qnamespace.h>

#include <cstdint>

namespace torvane {

// A modifier set over {Shift, Alt, Ctrl}, one bit each.
using TShiftState = std::uint8_t;
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;

// A key and its modifiers packed into 16 bits; 0 means "none".
using TShortCut = std::uint16_t;

// Virtual-key codes. Letters and digits are their capital ASCII codes ('A', '0').
inline constexpr std::uint16_t VK_BACK = 8;
inline constexpr std::uint16_t VK_TAB = 9;
inline constexpr std::uint16_t VK_CLEAR = 12;
inline constexpr std::uint16_t VK_RETURN = 13;
inline constexpr std::uint16_t VK_SHIFT = 16;
inline constexpr std::uint16_t VK_CONTROL = 17;
inline constexpr std::uint16_t VK_MENU = 18;  // Alt
inline constexpr std::uint16_t VK_PAUSE = 19;
inline constexpr std::uint16_t VK_CAPITAL = 20;
inline constexpr std::uint16_t VK_ESCAPE = 27;
inline constexpr std::uint16_t VK_SPACE = 32;
inline constexpr std::uint16_t VK_PRIOR = 33;  // Page Up
inline constexpr std::uint16_t VK_NEXT = 34;   // Page Down
inline constexpr std::uint16_t VK_END = 35;
inline constexpr std::uint16_t VK_HOME = 36;
inline constexpr std::uint16_t VK_LEFT = 37;
inline constexpr std::uint16_t VK_UP = 38;
inline constexpr std::uint16_t VK_RIGHT = 39;
inline constexpr std::uint16_t VK_DOWN = 40;
inline constexpr std::uint16_t VK_SELECT = 41;
inline constexpr std::uint16_t VK_PRINT = 42;
inline constexpr std::uint16_t VK_SNAPSHOT = 44;
inline constexpr std::uint16_t VK_INSERT = 45;
inline constexpr std::uint16_t VK_DELETE = 46;
inline constexpr std::uint16_t VK_HELP = 47;
inline constexpr std::uint16_t VK_APPS = 93;  // context-menu key
inline constexpr std::uint16_t VK_NUMPAD0 = 96;
inline constexpr std::uint16_t VK_MULTIPLY = 106;
inline constexpr std::uint16_t VK_ADD = 107;
inline constexpr std::uint16_t VK_SUBTRACT = 109;
inline constexpr std::uint16_t VK_DECIMAL = 110;
inline constexpr std::uint16_t VK_DIVIDE = 111;
inline constexpr std::uint16_t VK_F1 = 112;  // F1 … F24 are 112 … 135
inline constexpr std::uint16_t VK_NUMLOCK = 144;
inline constexpr std::uint16_t VK_SCROLL = 145;
inline constexpr std::uint16_t VK_OEM_1 = 186;       // ;:
inline constexpr std::uint16_t VK_OEM_PLUS = 187;    // =+
inline constexpr std::uint16_t VK_OEM_COMMA = 188;   // ,<
inline constexpr std::uint16_t VK_OEM_MINUS = 189;   // -_
inline constexpr std::uint16_t VK_OEM_PERIOD = 190;  // .>
inline constexpr std::uint16_t VK_OEM_2 = 191;       // /?
inline constexpr std::uint16_t VK_OEM_3 = 192;       // `~
inline constexpr std::uint16_t VK_OEM_4 = 219;       // [{
inline constexpr std::uint16_t VK_OEM_5 = 220;       // \|
inline constexpr std::uint16_t VK_OEM_6 = 221;       // ]}
inline constexpr std::uint16_t VK_OEM_7 = 222;       // '"

// Shortcut bits above the key code.
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

// Packs a key and its modifiers; a key with any bit in its high byte gives 0.
constexpr TShortCut ShortCut(std::uint16_t key, TShiftState shift) {
  if ((key & 0xFF00) != 0) {
    return 0;
  }
  TShortCut result = key;
  if ((shift & ssShift) != 0) {
    result |= scShift;
  }
  if ((shift & ssCtrl) != 0) {
    result |= scCtrl;
  }
  if ((shift & ssAlt) != 0) {
    result |= scAlt;
  }
  return result;
}

// The key in the low 13 bits of a shortcut.
constexpr std::uint16_t ShortCutKey(TShortCut shortcut) {
  return shortcut & 0x1FFF;
}

constexpr TShiftState ShortCutShift(TShortCut shortcut) {
  TShiftState shift = 0;
  if ((shortcut & scShift) != 0) {
    shift |= ssShift;
  }
  if ((shortcut & scCtrl) != 0) {
    shift |= ssCtrl;
  }
  if ((shortcut & scAlt) != 0) {
    shift |= ssAlt;
  }
  return shift;
}

// Shift, Ctrl and Alt of a Qt modifier set; Meta and the keypad flag have no bit.
TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers);

// The virtual key of a Qt key event, or 0 for a key without one. The keypad
// flag picks the keypad codes (Num 0 is 96), and Backtab is Tab. A key of the
// digit row is its digit whatever the layout puts on it ("&" on a French
// layout, "!" for Shift+1), so the Ctrl+digit and Ctrl+Shift+digit bindings
// work everywhere: the X keycode (the event's native scan code, 10…19 for the
// row) decides when given, else the symbols of a US layout do. Other shifted
// symbols give their unshifted key ("{" is the key of "[").
std::uint16_t VirtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers,
                               std::uint32_t nativeScanCode = 0);

// The Qt key (with the keypad flag for keypad codes) that names a virtual
// key when a shortcut is shown; Qt::Key_unknown for a code without one.
QKeyCombination QtKeyFromVirtualKey(std::uint16_t key);

}  // namespace torvane
