// Keyboard, input-method and mouse handling of the editor control: key
// presses become commands through the key table or typed text, mouse actions
// place the caret, select, auto-scroll and drag text between editors. The
// widget forwards its events here through an event filter, so the widget
// itself stays a facade.
#pragma once

#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>

#include "editor/commands.h"
#include "editor/editor_options.h"
#include "editor/kbd_handler.h"
#include "editor/key_strokes.h"
#include "editor/positions.h"

class QDragMoveEvent;
class QDropEvent;
class QInputMethodEvent;
class QInputMethodQueryEvent;
class QKeyEvent;
class QMimeData;
class QMouseEvent;

namespace torvane {

class TCustomSrcEdit;

class TSrcEditInput : public QObject {
  Q_OBJECT

 public:
  explicit TSrcEditInput(TCustomSrcEdit& editor);
  ~TSrcEditInput() override;

  TSrcEditKbdHandler& KbdHandler() { return kbd_handler_; }
  TSrcEditKeyStrokes& Keystrokes() { return keystrokes_; }
  TSrcEditKeyTranslator& KeyTranslator() { return translator_; }

  // Off: Tab is left to the form's focus navigation.
  bool WantTabs() const { return want_tabs_; }
  void SetWantTabs(bool on) { want_tabs_ = on; }
  // Off: Enter and Escape go on to the form (its default and cancel buttons).
  bool WantReturns() const { return want_returns_; }
  void SetWantReturns(bool on) { want_returns_ = on; }
  // The cursor over the text.
  Qt::CursorShape Cursor() const { return cursor_; }
  void SetCursor(Qt::CursorShape cursor) { cursor_ = cursor; }

  // Every command the keyboard and the mouse produce goes through here.
  void ProcessCommand(TSrcEditorCommand command, char ch = 0, void* data = nullptr);

  // The nearest character boundary to a client pixel, the row kept within
  // the display rows; then the caret goes there.
  void PlaceCaretAtPixel(int x, int y);
  TDisplayPos DisplayPosAtPixel(int x, int y) const;
  TBufferPos BufferPosAtPixel(int x, int y) const;

  // Auto-scrolling while the mouse selects beyond the text area.
  bool IsAutoScrolling() const { return scroll_timer_.isActive(); }
  int ScrollDeltaX() const { return scroll_dx_; }
  int ScrollDeltaY() const { return scroll_dy_; }
  static constexpr int kAutoScrollInterval = 100;  // milliseconds
  // Runs one auto-scroll step as the timer does.
  void AutoScrollStep();

  // True from a left press until its release.
  bool IsMouseCaptured() const { return mouse_captured_; }
  bool IsWaitingForDrag() const { return waiting_for_drag_; }

  // --- events ------------------------------------------------------------
  std::function<void(TCustomSrcEdit&, std::uint16_t& key, TShiftState)> OnKeyDown;
  std::function<void(TCustomSrcEdit&, std::uint16_t& key, TShiftState)> OnKeyUp;
  std::function<void(TCustomSrcEdit&, char& ch)> OnKeyPress;
  std::function<void(TCustomSrcEdit&, TMouseButton, TShiftState, int x, int y)> OnMouseDown;
  std::function<void(TCustomSrcEdit&, TShiftState, int x, int y)> OnMouseMove;
  std::function<void(TCustomSrcEdit&, TMouseButton, TShiftState, int x, int y)> OnMouseUp;
  std::function<void(TCustomSrcEdit&)> OnDblClick;
  std::function<void(TCustomSrcEdit&, TBufferPos, Qt::CursorShape&)> OnMouseCursor;
  // A drop onto the editor from `source` (an editor, or nullptr), before
  // the editor acts on it.
  std::function<void(TCustomSrcEdit&, TCustomSrcEdit* source, int x, int y)> OnDragDrop;
  // Files dropped with eoDropFiles: the drop point and the local file names.
  std::function<void(TCustomSrcEdit&, QPoint, const QStringList&)> OnDropFiles;
  // Replaces the platform's drag loop when set (embedders and tests); the
  // drop still comes as drop events on the target.
  std::function<void(TCustomSrcEdit& source, QMimeData* data)> OnStartDrag;

  // The drag payload that names this editor as its source; the editor it
  // names, when it is a live one of this process (drag_drop.cpp).
  QMimeData* CreateDragData() const;
  static TCustomSrcEdit* DragSource(const QMimeData* data);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // src_edit_keyboard.cpp
  bool KeyPressEvent(QKeyEvent* event);
  bool KeyReleaseEvent(QKeyEvent* event);
  void KeyDown(std::uint16_t& key, TShiftState shift);
  void TypeText(const QString& text);
  void InputMethodEvent(QInputMethodEvent* event);
  void InputMethodQuery(QInputMethodQueryEvent* event);
  bool ShortcutOverride(QKeyEvent* event);

  // src_edit_mouse.cpp
  bool MouseEvent(QMouseEvent* event);
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  void MouseMove(TShiftState shift, int x, int y);
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  void DoubleClick(TMouseButton button, TShiftState shift, int x, int y);
  void ComputeScrollDeltas(int x, int y);
  void UpdateMouseCursor(int x, int y);
  int RightEdgeX() const;
  void GutterClick(TMouseButton button, int x, int y);
  void SetAltColumnMode(bool alt);

  // drag_drop.cpp
  void StartDrag();
  void DragMove(QDragMoveEvent* event);
  void DragLeave();
  void Drop(QDropEvent* event);
  void DropText(TCustomSrcEdit& source, QPoint point, bool ctrl, bool shift);
  // Editors a drag payload may name.
  static void RegisterLiveEditor(const TCustomSrcEdit* editor, bool alive);

  TCustomSrcEdit& editor_;
  TSrcEditKbdHandler kbd_handler_;
  TSrcEditKeyStrokes keystrokes_;
  TSrcEditKeyTranslator translator_;
  bool want_tabs_ = false;
  bool want_returns_ = true;
  Qt::CursorShape cursor_ = Qt::IBeamCursor;

  // Set when a key produced a command, so its character is not typed too.
  bool command_consumed_ = false;

  QPoint mouse_down_point_;
  QPoint last_mouse_;
  bool mouse_captured_ = false;
  bool waiting_for_drag_ = false;
  bool double_clicked_ = false;
  bool possible_gutter_click_ = false;
  bool gutter_drag_ = false;
  // Alt forced column mode; the mode to go back to.
  bool alt_column_mode_ = false;
  TSrcSelectionMode saved_selection_mode_ = smNormal;
  bool dragging_edge_ = false;
  int edge_last_x_ = -1;
  // In characters and lines; the timer runs exactly while one is non-zero.
  int scroll_dx_ = 0;
  int scroll_dy_ = 0;
  QTimer scroll_timer_;
  // A drag from this editor is running (its own drops move within it).
  bool dragging_ = false;
};

}  // namespace torvane
