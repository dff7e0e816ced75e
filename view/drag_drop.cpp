// Dragging text out of an editor and dropping it into the same or another
// editor of this process, and files dropped onto an editor.
#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <set>

#include "platform/codepage.h"
#include "view/pixel_conversions.h"
#include "view/src_edit.h"
#include "view/src_edit_input.h"

namespace torvane {
namespace {

// Names the source editor of a drag: the process id and the editor's
// address, which is only trusted while that editor is alive.
const QString kSourceEditorFormat = QStringLiteral("application/x-torvane-source-editor");

std::set<const TCustomSrcEdit*>& LiveEditors() {
  static std::set<const TCustomSrcEdit*> editors;
  return editors;
}

}  // namespace

void TSrcEditInput::RegisterLiveEditor(const TCustomSrcEdit* editor, bool alive) {
  if (alive) {
    LiveEditors().insert(editor);
  } else {
    LiveEditors().erase(editor);
  }
}

QMimeData* TSrcEditInput::CreateDragData() const {
  auto* data = new QMimeData;
  data->setText(DecodeText(editor_.SelectedText()));
  const QString id = QStringLiteral("%1:%2")
                         .arg(QApplication::applicationPid())
                         .arg(reinterpret_cast<quintptr>(&editor_));
  data->setData(kSourceEditorFormat, id.toUtf8());
  return data;
}

TCustomSrcEdit* TSrcEditInput::DragSource(const QMimeData* data) {
  if (data == nullptr || !data->hasFormat(kSourceEditorFormat)) {
    return nullptr;
  }
  const QStringList parts = QString::fromUtf8(data->data(kSourceEditorFormat)).split(u':');
  if (parts.size() != 2 || parts[0].toLongLong() != QApplication::applicationPid()) {
    return nullptr;
  }
  bool ok = false;
  const quintptr address = parts[1].toULongLong(&ok);
  if (!ok) {
    return nullptr;
  }
  for (const TCustomSrcEdit* editor : LiveEditors()) {
    if (reinterpret_cast<quintptr>(editor) == address) {
      return const_cast<TCustomSrcEdit*>(editor);
    }
  }
  return nullptr;
}

void TSrcEditInput::StartDrag() {
  QMimeData* data = CreateDragData();
  dragging_ = true;
  if (OnStartDrag) {
    OnStartDrag(editor_, data);
    delete data;
  } else {
    auto* drag = new QDrag(&editor_);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
  }
  dragging_ = false;
  mouse_captured_ = false;
  // A cancelled drag leaves nothing scrolling.
  scroll_timer_.stop();
  scroll_dx_ = 0;
  scroll_dy_ = 0;
}

void TSrcEditInput::DragMove(QDragMoveEvent* event) {
  const QMimeData* data = event->mimeData();
  TSrcEditModel& model = editor_.Model();
  TCustomSrcEdit* source = DragSource(data);
  if (source == nullptr) {
    if (model.HasOption(eoDropFiles) && data->hasUrls()) {
      event->setDropAction(Qt::CopyAction);
      event->accept();
    } else {
      event->ignore();
    }
    return;
  }
  if (model.ReadOnly()) {
    event->ignore();
    return;
  }
  const QPoint p = event->position().toPoint();
  last_mouse_ = p;
  const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
  event->setDropAction(ctrl ? Qt::CopyAction : Qt::MoveAction);
  event->accept();
  if (source != &editor_) {
    PlaceCaretAtPixel(p.x(), p.y());
    return;
  }
  // Within the source the caret follows inside the window, and the view
  // scrolls when the mouse is held beyond it.
  const TViewMetrics& m = editor_.Metrics();
  TDisplayPos pos = PixelsToNearestRowColumn(m, p.x(), p.y());
  const int last_row = std::min(m.FirstVisibleRow() + std::max(m.VisibleRows() - 1, 0),
                                std::max(model.Mapping().DisplayRowCount(), 1));
  pos.Row = std::clamp(pos.Row, m.FirstVisibleRow(), std::max(last_row, m.FirstVisibleRow()));
  pos.Column = std::clamp(pos.Column, m.FirstVisibleColumn(),
                          m.FirstVisibleColumn() + std::max(m.VisibleColumns(), 1));
  model.PlaceCaret(model.ConvertToBuffer(pos), false);
  ComputeScrollDeltas(p.x(), p.y());
}

void TSrcEditInput::DragLeave() {
  scroll_timer_.stop();
  scroll_dx_ = 0;
  scroll_dy_ = 0;
  if (dragging_) {
    PlaceCaretAtPixel(mouse_down_point_.x(), mouse_down_point_.y());
  }
}

void TSrcEditInput::Drop(QDropEvent* event) {
  scroll_timer_.stop();
  scroll_dx_ = 0;
  scroll_dy_ = 0;
  const QMimeData* data = event->mimeData();
  const QPoint p = event->position().toPoint();
  TCustomSrcEdit* source = DragSource(data);
  if (source == nullptr && editor_.Model().HasOption(eoDropFiles) && data->hasUrls()) {
    QStringList names;
    for (const QUrl& url : data->urls()) {
      if (url.isLocalFile()) {
        names << url.toLocalFile();
      }
    }
    if (OnDropFiles && !names.isEmpty()) {
      OnDropFiles(editor_, p, names);
    }
    event->acceptProposedAction();
    return;
  }
  if (OnDragDrop) {
    OnDragDrop(editor_, source, p.x(), p.y());
  }
  if (source == nullptr || editor_.Model().ReadOnly()) {
    event->ignore();
    return;
  }
  const Qt::KeyboardModifiers mods = event->modifiers();
  DropText(*source, p, (mods & Qt::ControlModifier) != 0, (mods & Qt::ShiftModifier) != 0);
  event->setDropAction(Qt::CopyAction);  // the text has been moved here already
  event->accept();
}

void TSrcEditInput::DropText(TCustomSrcEdit& source, QPoint point, bool ctrl, bool shift) {
  TSrcEditModel& model = editor_.Model();
  TSrcEditModel& from = source.Model();
  if (!from.HasSelection() || model.ReadOnly()) {
    return;
  }
  TSrcEditController& target = editor_.Controller();
  TSrcEditController& origin = source.Controller();
  TPaintHoldScope hold(model.PaintHold());
  PlaceCaretAtPixel(point.x(), point.y());
  TBufferPos drop = model.CaretPos();
  const bool same = &source == &editor_;
  // Within one editor Ctrl copies; from another editor Shift moves.
  const bool move = same ? !ctrl : shift;
  const TBufferPos start = from.SelStart();
  const TBufferPos end = from.SelEnd();
  if (same) {
    // Never onto the selection itself; its own ends only when moving.
    const bool after = drop > end || (move && drop == end);
    const bool before = drop < start || (move && drop == start);
    if (!after && !before) {
      return;
    }
  }

  TUndoGroupScope group(target.UndoList());
  // The exact bytes: trailing blanks inside the moved text stay.
  const std::string text = origin.SelectionBytes();
  if (move) {
    origin.InsertTextAtCaret({});  // recorded in the source's own undo list
    if (same && drop >= end) {
      // The text after the removed range closed up behind its start.
      if (drop.Line == end.Line) {
        drop.Char = start.Char + (drop.Char - end.Char);
      }
      drop.Line -= end.Line - start.Line;
    }
  }

  const TSrcEditorOptions options = model.Options();
  TSrcEditorOptions past_eol = options;
  past_eol.Include(eoScrollPastEol);
  model.ApplyOptions(past_eol);
  model.PlaceCaretAndSelection(drop, drop, drop);
  const TSrcEditChangeKind kind = same ? ckDragDropInsert : ckInsert;
  if (model.SelectionMode() != smNormal) {
    // Whole lines, or a column block of ragged width, do not end at the
    // caret: one entry up to it would take back the wrong text. The
    // insertion records what it changed itself.
    try {
      target.InsertTextAtCaret(text, kind);
    } catch (...) {
      model.ApplyOptions(options);
      throw;
    }
  } else {
    target.UndoList().Lock();
    target.RedoList().Lock();
    try {
      target.InsertTextAtCaret(text);
    } catch (...) {
      target.UndoList().Unlock();
      target.RedoList().Unlock();
      model.ApplyOptions(options);
      throw;
    }
    target.UndoList().Unlock();
    target.RedoList().Unlock();
    target.UndoList().RecordChange(kind, drop, model.CaretPos(), std::string(), smNormal);
  }
  const TBufferPos inserted_end = model.CaretPos();
  model.ApplyOptions(options);
  // The inserted text ends up selected, the caret at its start.
  model.SetSelectionActiveEnd(inserted_end);
  editor_.ProcessCommand(ecSelGotoXY, 0, &drop);
}

}  // namespace torvane
