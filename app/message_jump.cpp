// Jumping from the output pane's messages to their lines, and the gutter
// marks of errors and warnings.
#include "app/message_jump.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "app/assembler.h"
#include "app/main_window.h"
#include "document/control/src_editor.h"
#include "platform/codepage.h"
#include "platform/file_access.h"
#include "platform/gui/error_box.h"

namespace torvane {
namespace {

TLineMarkKind MarkKind(TMessageKind kind) {
  switch (kind) {
    case TMessageKind::Error:
      return TLineMarkKind::Error;
    case TMessageKind::Warning:
      return TLineMarkKind::Warning;
    case TMessageKind::Note:
    default:
      return TLineMarkKind::None;
  }
}

}  // namespace

TMessageJumps::TMessageJumps(TFAsmEd& window) : window_(window) {
  TSrcEditor& editor = *window_.SrcEditor1;
  editor.Model().AddLineObserver(&marks_);
  marks_.OnChange = [this] { window_.SrcEditor1->viewport()->update(); };
  editor.OnGutterPaintMarks = [this](TCustomSrcEdit& sender, QPainter& painter, int line, int x,
                                     int top) {
    if (!marks_.Empty()) {
      PaintMark(painter, sender.Model().Folds().ExpandedLineNumber(line), x, top);
    }
  };
  window_.Memo1->installEventFilter(this);
  window_.Memo1->viewport()->installEventFilter(this);
}

TMessageJumps::~TMessageJumps() {
  window_.SrcEditor1->Model().RemoveLineObserver(&marks_);
  window_.SrcEditor1->OnGutterPaintMarks = nullptr;
}

void TMessageJumps::AssemblyStarted(const std::string& source) {
  marks_.Clear();
  std::string file_name;
  source_ = source;
  directory_.clear();
  SplitDirectory(source, directory_, file_name);
}

void TMessageJumps::AssemblyFinished() {
  ShowMarksOfCurrentFile();
}

std::optional<TAssemblerMessage> TMessageJumps::MessageOnPaneLine(int block) const {
  const QTextBlock text = window_.Memo1->document()->findBlockByNumber(block);
  if (!text.isValid()) {
    return std::nullopt;
  }
  return ParseAssemblerMessage(EncodeText(text.text()));
}

std::string TMessageJumps::MessagePath(const TAssemblerMessage& message) const {
  return MessageFilePath(directory_, message.File);
}

void TMessageJumps::ShowMarksOfCurrentFile() {
  marks_.Clear();
  const std::string& current = window_.CurrentFileName();
  if (current.empty()) {
    return;
  }
  const int blocks = window_.Memo1->document()->blockCount();
  for (int block = 0; block < blocks; ++block) {
    const std::optional<TAssemblerMessage> message = MessageOnPaneLine(block);
    if (message && SameFile(MessagePath(*message), current)) {
      // Jumps go where the line has moved to since, as the marks do.
      marks_.Track(block, message->Line);
      marks_.Add(message->Line, MarkKind(message->Kind));
    }
  }
}

void TMessageJumps::Next() {
  Step(1);
}

void TMessageJumps::Previous() {
  Step(-1);
}

void TMessageJumps::Step(int direction) {
  QPlainTextEdit& pane = *window_.Memo1;
  const int blocks = pane.document()->blockCount();
  const QTextCursor cursor = pane.textCursor();
  // A marked message is passed over; a bare cursor line may itself be next.
  int block = cursor.block().blockNumber();
  if (!cursor.hasSelection()) {
    block -= direction;
  }
  for (int step = 0; step < blocks; ++step) {
    block += direction;
    if (block >= blocks) {
      block = 0;
    } else if (block < 0) {
      block = blocks - 1;
    }
    if (JumpToPaneLine(block)) {
      return;
    }
  }
}

bool TMessageJumps::JumpToPaneLine(int block) {
  const std::optional<TAssemblerMessage> message = MessageOnPaneLine(block);
  if (!message) {
    return false;
  }
  TSrcEditor& editor = *window_.SrcEditor1;
  const std::string path = MessagePath(*message);
  if (!SameFile(path, window_.CurrentFileName())) {
    // The usual question first; the text stays when the user keeps it. A
    // save it leads to clears the pane, whose messages are still wanted.
    QPlainTextEdit& pane = *window_.Memo1;
    const QString messages = pane.toPlainText();
    const bool may_open = window_.MayDiscardText();
    if (pane.toPlainText() != messages) {
      pane.setPlainText(messages);
    }
    if (!may_open || !window_.OpenNamedFile(path)) {
      return true;
    }
    // F9 in the file opened goes on assembling the file these messages
    // came from.
    window_.SetAssemblySource(SameFile(source_, path) ? std::string() : source_);
    ShowMarksOfCurrentFile();
  }
  MarkPaneLine(block);
  TSrcEditModel& model = editor.Model();
  const int last_line = model.Folds().ExpandedLineNumber(std::max(model.LineCount(), 1));
  const int line = std::clamp(marks_.TrackedLine(block).value_or(message->Line), 1, last_line);
  const TBufferPos pos = model.RevealExpandedLine(line);
  model.PlaceCaretAndSelection(pos, pos, pos);
  editor.ScrollCaretIntoView(true);
  editor.setFocus(Qt::OtherFocusReason);
  return true;
}

void TMessageJumps::MarkPaneLine(int block) {
  QPlainTextEdit& pane = *window_.Memo1;
  QTextCursor cursor(pane.document()->findBlockByNumber(block));
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  pane.setTextCursor(cursor);
}

void TMessageJumps::PaintMark(QPainter& painter, int line, int x, int top) const {
  const TLineMarkKind kind = marks_.KindAt(line);
  if (kind == TLineMarkKind::None) {
    return;
  }
  const int row_height = window_.SrcEditor1->RowHeight();
  const int size = std::clamp(row_height - 4, 5, 12);
  const QColor fill = kind == TLineMarkKind::Error ? QColor(220, 30, 30) : QColor(240, 200, 0);
  const QColor rim = kind == TLineMarkKind::Error ? QColor(120, 0, 0) : QColor(140, 100, 0);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(rim);
  painter.setBrush(fill);
  painter.drawEllipse(QRect(x + 1, top + (row_height - size) / 2, size, size));
  painter.restore();
}

bool TMessageJumps::eventFilter(QObject* watched, QEvent* event) {
  QPlainTextEdit& pane = *window_.Memo1;
  int block = -1;
  if (watched == &pane && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      block = pane.textCursor().blockNumber();
    }
  } else if (watched == pane.viewport() && event->type() == QEvent::MouseButtonDblClick) {
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    block = pane.cursorForPosition(at).blockNumber();
  }
  if (block < 0 || window_.Assembling() || !MessageOnPaneLine(block)) {
    return false;
  }
  RunGuarded(&window_, [&] { JumpToPaneLine(block); });
  return true;
}

}  // namespace torvane
