// The input controller's frame: the event filter on the editor and its
// viewport, the one route of commands, and placing the caret at a pixel.
#include "view/src_edit_input.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "view/pixel_conversions.h"
#include "view/src_edit.h"

namespace torvane {

TSrcEditInput::TSrcEditInput(TCustomSrcEdit& editor) : editor_(editor) {
  keystrokes_.ResetDefaults();
  scroll_timer_.setInterval(kAutoScrollInterval);
  connect(&scroll_timer_, &QTimer::timeout, this, [this] { AutoScrollStep(); });
  editor_.installEventFilter(this);
  editor_.viewport()->installEventFilter(this);
  editor_.viewport()->setMouseTracking(true);
  editor_.viewport()->setAcceptDrops(true);
  RegisterLiveEditor(&editor_, true);
}

TSrcEditInput::~TSrcEditInput() {
  RegisterLiveEditor(&editor_, false);
}

void TSrcEditInput::ProcessCommand(TSrcEditorCommand command, char ch, void* data) {
  editor_.ProcessCommand(command, ch, data);
}

bool TSrcEditInput::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &editor_) {
    switch (event->type()) {
      case QEvent::KeyPress:
        return KeyPressEvent(static_cast<QKeyEvent*>(event));
      case QEvent::KeyRelease:
        return KeyReleaseEvent(static_cast<QKeyEvent*>(event));
      case QEvent::ShortcutOverride:
        return ShortcutOverride(static_cast<QKeyEvent*>(event));
      case QEvent::InputMethod:
        InputMethodEvent(static_cast<QInputMethodEvent*>(event));
        return true;
      case QEvent::InputMethodQuery:
        InputMethodQuery(static_cast<QInputMethodQueryEvent*>(event));
        return true;
      default:
        return false;
    }
  }
  if (watched == editor_.viewport()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        return MouseEvent(static_cast<QMouseEvent*>(event));
      case QEvent::DragEnter:
      case QEvent::DragMove:
        DragMove(static_cast<QDragMoveEvent*>(event));
        return true;
      case QEvent::DragLeave:
        DragLeave();
        return true;
      case QEvent::Drop:
        Drop(static_cast<QDropEvent*>(event));
        return true;
      default:
        return false;
    }
  }
  return false;
}

TDisplayPos TSrcEditInput::DisplayPosAtPixel(int x, int y) const {
  TDisplayPos pos = PixelsToNearestRowColumn(editor_.Metrics(), x, y);
  pos.Row = std::clamp(pos.Row, 1, std::max(editor_.Model().Mapping().DisplayRowCount(), 1));
  return pos;
}

TBufferPos TSrcEditInput::BufferPosAtPixel(int x, int y) const {
  return editor_.Model().ConvertToBuffer(DisplayPosAtPixel(x, y));
}

void TSrcEditInput::PlaceCaretAtPixel(int x, int y) {
  // Past a wrapped row's end the caret stays on the clicked row.
  editor_.Model().PlaceCaretAtDisplay(DisplayPosAtPixel(x, y), true);
}

}  // namespace torvane
