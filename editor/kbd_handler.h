// The handler chains of one editor: other components (the completion popup)
// see its key, mouse and cursor events before the editor acts on them.
#pragma once

#include <QtCore/qnamespace.h>

#include <cstdint>

#include "editor/method_list.h"
#include "editor/positions.h"
#include "platform/virtual_keys.h"

namespace torvane {

class TCustomSrcEdit;

enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

// Bits a mouse event adds to the modifier set: the buttons held and the
// second press of a double click.
inline constexpr TShiftState ssLeft = 8;
inline constexpr TShiftState ssRight = 16;
inline constexpr TShiftState ssMiddle = 32;
inline constexpr TShiftState ssDouble = 64;

// (editor, key code, modifiers): setting the key to 0 ends the chain.
using TKeyEventMethod = TMethod<TCustomSrcEdit*, std::uint16_t&, TShiftState>;
// (editor, character): setting it to 0 ends the chain.
using TKeyPressMethod = TMethod<TCustomSrcEdit*, char&>;
// (editor, button, modifiers, x, y) in client pixels.
using TMouseEventMethod = TMethod<TCustomSrcEdit*, TMouseButton, TShiftState, int, int>;
// (editor, buffer position under the mouse, cursor).
using TMouseCursorMethod = TMethod<TCustomSrcEdit*, TBufferPos, Qt::CursorShape&>;

class TSrcEditKbdHandler {
 public:
  void AddKeyDownHandler(TKeyEventMethod handler) { key_down_.Add(handler); }
  void RemoveKeyDownHandler(TKeyEventMethod handler) { key_down_.Remove(handler); }
  void AddKeyUpHandler(TKeyEventMethod handler) { key_up_.Add(handler); }
  void RemoveKeyUpHandler(TKeyEventMethod handler) { key_up_.Remove(handler); }
  void AddKeyPressHandler(TKeyPressMethod handler) { key_press_.Add(handler); }
  void RemoveKeyPressHandler(TKeyPressMethod handler) { key_press_.Remove(handler); }
  void AddMouseDownHandler(TMouseEventMethod handler) { mouse_down_.Add(handler); }
  void RemoveMouseDownHandler(TMouseEventMethod handler) { mouse_down_.Remove(handler); }
  void AddMouseUpHandler(TMouseEventMethod handler) { mouse_up_.Add(handler); }
  void RemoveMouseUpHandler(TMouseEventMethod handler) { mouse_up_.Remove(handler); }
  void AddMouseCursorHandler(TMouseCursorMethod handler) { mouse_cursor_.Add(handler); }
  void RemoveMouseCursorHandler(TMouseCursorMethod handler) { mouse_cursor_.Remove(handler); }

  // Each runner calls the handlers from the last added to the first and
  // returns at once while its own chain is already running.
  void RunKeyDown(TCustomSrcEdit* sender, std::uint16_t& key, TShiftState shift);
  void RunKeyUp(TCustomSrcEdit* sender, std::uint16_t& key, TShiftState shift);
  void RunKeyPress(TCustomSrcEdit* sender, char& ch);
  void RunMouseDown(TCustomSrcEdit* sender, TMouseButton button, TShiftState shift, int x, int y);
  void RunMouseUp(TCustomSrcEdit* sender, TMouseButton button, TShiftState shift, int x, int y);
  void RunMouseCursor(TCustomSrcEdit* sender, TBufferPos pos, Qt::CursorShape& cursor);

 private:
  TMethodList<TCustomSrcEdit*, std::uint16_t&, TShiftState> key_down_;
  TMethodList<TCustomSrcEdit*, std::uint16_t&, TShiftState> key_up_;
  TMethodList<TCustomSrcEdit*, char&> key_press_;
  TMethodList<TCustomSrcEdit*, TMouseButton, TShiftState, int, int> mouse_down_;
  TMethodList<TCustomSrcEdit*, TMouseButton, TShiftState, int, int> mouse_up_;
  TMethodList<TCustomSrcEdit*, TBufferPos, Qt::CursorShape&> mouse_cursor_;
  bool in_key_down_ = false;
  bool in_key_up_ = false;
  bool in_key_press_ = false;
  bool in_mouse_down_ = false;
  bool in_mouse_up_ = false;
  bool in_mouse_cursor_ = false;
};

}  // namespace torvane
