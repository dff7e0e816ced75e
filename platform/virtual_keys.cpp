// Maps Qt's key codes to the classic virtual-key numbers and back.
#include "platform/virtual_keys.h"

namespace torvane {

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers) {
  TShiftState shift = 0;
  if (modifiers.testFlag(Qt::ShiftModifier)) {
    shift |= ssShift;
  }
  if (modifiers.testFlag(Qt::ControlModifier)) {
    shift |= ssCtrl;
  }
  if (modifiers.testFlag(Qt::AltModifier)) {
    shift |= ssAlt;
  }
  return shift;
}

namespace {

// X keycodes (evdev code + 8) of the digit row's keys 1 … 0.
constexpr std::uint32_t kDigitRowFirst = 10;
constexpr std::uint32_t kDigitRowLast = 19;

// Keys that Qt reports with the keypad flag and that have keypad codes of
// their own; the keypad's Enter and navigation keys fall through to the
// ordinary codes.
std::uint16_t KeypadKey(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    return static_cast<std::uint16_t>(VK_NUMPAD0 + (key - Qt::Key_0));
  }
  switch (key) {
    case Qt::Key_Asterisk:
      return VK_MULTIPLY;
    case Qt::Key_Plus:
      return VK_ADD;
    case Qt::Key_Minus:
      return VK_SUBTRACT;
    case Qt::Key_Period:
    case Qt::Key_Comma:  // the decimal key of layouts with a decimal comma
      return VK_DECIMAL;
    case Qt::Key_Slash:
      return VK_DIVIDE;
    default:
      return 0;
  }
}

}  // namespace

std::uint16_t VirtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers,
                               std::uint32_t nativeScanCode) {
  if (modifiers.testFlag(Qt::KeypadModifier)) {
    if (const std::uint16_t keypad = KeypadKey(key); keypad != 0) {
      return keypad;
    }
  }
  // Letters and digits share their codes with Qt.
  if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
    return static_cast<std::uint16_t>(key);
  }
  if (nativeScanCode >= kDigitRowFirst && nativeScanCode <= kDigitRowLast &&
      !modifiers.testFlag(Qt::KeypadModifier)) {
    // Keycodes 10…18 are the keys 1…9, 19 is 0.
    return nativeScanCode == kDigitRowLast
               ? '0'
               : static_cast<std::uint16_t>('1' + (nativeScanCode - kDigitRowFirst));
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
    return static_cast<std::uint16_t>(VK_F1 + (key - Qt::Key_F1));
  }
  switch (key) {
    case Qt::Key_Backspace:
      return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:  // Qt's name for Shift+Tab
      return VK_TAB;
    case Qt::Key_Clear:
      return VK_CLEAR;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VK_RETURN;
    case Qt::Key_Shift:
      return VK_SHIFT;
    case Qt::Key_Control:
      return VK_CONTROL;
    case Qt::Key_Alt:
      return VK_MENU;
    case Qt::Key_Pause:
      return VK_PAUSE;
    case Qt::Key_CapsLock:
      return VK_CAPITAL;
    case Qt::Key_Escape:
      return VK_ESCAPE;
    case Qt::Key_Space:
      return VK_SPACE;
    case Qt::Key_PageUp:
      return VK_PRIOR;
    case Qt::Key_PageDown:
      return VK_NEXT;
    case Qt::Key_End:
      return VK_END;
    case Qt::Key_Home:
      return VK_HOME;
    case Qt::Key_Left:
      return VK_LEFT;
    case Qt::Key_Up:
      return VK_UP;
    case Qt::Key_Right:
      return VK_RIGHT;
    case Qt::Key_Down:
      return VK_DOWN;
    case Qt::Key_Select:
      return VK_SELECT;
    case Qt::Key_Printer:
      return VK_PRINT;
    case Qt::Key_Print:
      return VK_SNAPSHOT;
    case Qt::Key_Insert:
      return VK_INSERT;
    case Qt::Key_Delete:
      return VK_DELETE;
    case Qt::Key_Help:
      return VK_HELP;
    case Qt::Key_Menu:
      return VK_APPS;
    case Qt::Key_NumLock:
      return VK_NUMLOCK;
    case Qt::Key_ScrollLock:
      return VK_SCROLL;
    // Shifted digits of a US layout.
    case Qt::Key_ParenRight:
      return '0';
    case Qt::Key_Exclam:
      return '1';
    case Qt::Key_At:
      return '2';
    case Qt::Key_NumberSign:
      return '3';
    case Qt::Key_Dollar:
      return '4';
    case Qt::Key_Percent:
      return '5';
    case Qt::Key_AsciiCircum:
      return '6';
    case Qt::Key_Ampersand:
      return '7';
    case Qt::Key_Asterisk:
      return '8';
    case Qt::Key_ParenLeft:
      return '9';
    // Punctuation keys, unshifted and shifted.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
      return VK_OEM_1;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
      return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less:
      return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
      return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater:
      return VK_OEM_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question:
      return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
      return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
      return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
      return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
      return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
      return VK_OEM_7;
    default:
      return 0;
  }
}

QKeyCombination QtKeyFromVirtualKey(std::uint16_t key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
    return QKeyCombination(static_cast<Qt::Key>(key));
  }
  if (key >= VK_F1 && key <= VK_F1 + 23) {
    return QKeyCombination(static_cast<Qt::Key>(Qt::Key_F1 + (key - VK_F1)));
  }
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) {
    return QKeyCombination(Qt::KeypadModifier,
                           static_cast<Qt::Key>(Qt::Key_0 + (key - VK_NUMPAD0)));
  }
  switch (key) {
    case VK_BACK:
      return QKeyCombination(Qt::Key_Backspace);
    case VK_TAB:
      return QKeyCombination(Qt::Key_Tab);
    case VK_CLEAR:
      return QKeyCombination(Qt::Key_Clear);
    case VK_RETURN:
      return QKeyCombination(Qt::Key_Return);
    case VK_SHIFT:
      return QKeyCombination(Qt::Key_Shift);
    case VK_CONTROL:
      return QKeyCombination(Qt::Key_Control);
    case VK_MENU:
      return QKeyCombination(Qt::Key_Alt);
    case VK_PAUSE:
      return QKeyCombination(Qt::Key_Pause);
    case VK_CAPITAL:
      return QKeyCombination(Qt::Key_CapsLock);
    case VK_ESCAPE:
      return QKeyCombination(Qt::Key_Escape);
    case VK_SPACE:
      return QKeyCombination(Qt::Key_Space);
    case VK_PRIOR:
      return QKeyCombination(Qt::Key_PageUp);
    case VK_NEXT:
      return QKeyCombination(Qt::Key_PageDown);
    case VK_END:
      return QKeyCombination(Qt::Key_End);
    case VK_HOME:
      return QKeyCombination(Qt::Key_Home);
    case VK_LEFT:
      return QKeyCombination(Qt::Key_Left);
    case VK_UP:
      return QKeyCombination(Qt::Key_Up);
    case VK_RIGHT:
      return QKeyCombination(Qt::Key_Right);
    case VK_DOWN:
      return QKeyCombination(Qt::Key_Down);
    case VK_SELECT:
      return QKeyCombination(Qt::Key_Select);
    case VK_PRINT:
      return QKeyCombination(Qt::Key_Printer);
    case VK_SNAPSHOT:
      return QKeyCombination(Qt::Key_Print);
    case VK_INSERT:
      return QKeyCombination(Qt::Key_Insert);
    case VK_DELETE:
      return QKeyCombination(Qt::Key_Delete);
    case VK_HELP:
      return QKeyCombination(Qt::Key_Help);
    case VK_APPS:
      return QKeyCombination(Qt::Key_Menu);
    case VK_MULTIPLY:
      return QKeyCombination(Qt::KeypadModifier, Qt::Key_Asterisk);
    case VK_ADD:
      return QKeyCombination(Qt::KeypadModifier, Qt::Key_Plus);
    case VK_SUBTRACT:
      return QKeyCombination(Qt::KeypadModifier, Qt::Key_Minus);
    case VK_DECIMAL:
      return QKeyCombination(Qt::KeypadModifier, Qt::Key_Period);
    case VK_DIVIDE:
      return QKeyCombination(Qt::KeypadModifier, Qt::Key_Slash);
    case VK_NUMLOCK:
      return QKeyCombination(Qt::Key_NumLock);
    case VK_SCROLL:
      return QKeyCombination(Qt::Key_ScrollLock);
    case VK_OEM_1:
      return QKeyCombination(Qt::Key_Semicolon);
    case VK_OEM_PLUS:
      return QKeyCombination(Qt::Key_Equal);
    case VK_OEM_COMMA:
      return QKeyCombination(Qt::Key_Comma);
    case VK_OEM_MINUS:
      return QKeyCombination(Qt::Key_Minus);
    case VK_OEM_PERIOD:
      return QKeyCombination(Qt::Key_Period);
    case VK_OEM_2:
      return QKeyCombination(Qt::Key_Slash);
    case VK_OEM_3:
      return QKeyCombination(Qt::Key_QuoteLeft);
    case VK_OEM_4:
      return QKeyCombination(Qt::Key_BracketLeft);
    case VK_OEM_5:
      return QKeyCombination(Qt::Key_Backslash);
    case VK_OEM_6:
      return QKeyCombination(Qt::Key_BracketRight);
    case VK_OEM_7:
      return QKeyCombination(Qt::Key_Apostrophe);
    default:
      return QKeyCombination(Qt::Key_unknown);
  }
}

}  // namespace torvane
