// The editor's accessible interface: reading by offsets and boundaries,
// caret and selection, rectangles, and edits through the command path.
#include "view/src_edit_accessible.h"

#include <QAccessible>
#include <QScrollBar>
#include <algorithm>

#include "editor/accessible_text.h"
#include "platform/codepage.h"
#include "view/accessibility_events.h"
#include "view/pixel_conversions.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

bool IsWordChar(char32_t c) {
  return c == U'_' || QChar::isLetterOrNumber(c);
}

QAccessibleInterface* SrcEditFactory(const QString&, QObject* object) {
  if (auto* edit = qobject_cast<TCustomSrcEdit*>(object)) {
    return new TSrcEditAccessible(edit);
  }
  return nullptr;
}

}  // namespace

void InstallSrcEditAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(SrcEditFactory);
    return true;
  }();
  (void)installed;
}

TSrcEditAccessible::TSrcEditAccessible(TCustomSrcEdit* edit)
    : QAccessibleWidget(edit, QAccessible::EditableText) {
  // Qt makes this interface for any focus or name event, reader or not:
  // the editor counts characters only once one listens or asks (counting
  // as a file opened cost more than the opening).
  if (Listening()) {
    edit->Accessibility();
  }
}

TCustomSrcEdit& TSrcEditAccessible::Edit() const {
  return *static_cast<TCustomSrcEdit*>(widget());
}

TSrcEditAccessibleText& TSrcEditAccessible::Chars() const {
  return Edit().Accessibility().Text();
}

void* TSrcEditAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TextInterface) {
    return static_cast<QAccessibleTextInterface*>(this);
  }
  if (type == QAccessible::EditableTextInterface) {
    return static_cast<QAccessibleEditableTextInterface*>(this);
  }
  return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TSrcEditAccessible::state() const {
  QAccessible::State state = QAccessibleWidget::state();
  state.editable = !Edit().ReadOnly();
  state.readOnly = Edit().ReadOnly();
  state.multiLine = true;
  state.selectableText = true;
  return state;
}

QString TSrcEditAccessible::text(QAccessible::Text kind) const {
  // The value would be the whole document: readers ask the text
  // interface for the part they need.
  if (kind == QAccessible::Value) {
    return {};
  }
  return QAccessibleWidget::text(kind);
}

// --- caret and selection -------------------------------------------------------

void TSrcEditAccessible::selection(int index, int* start, int* end) const {
  *start = 0;
  *end = 0;
  if (index == 0 && Edit().HasSelection()) {
    const auto [first, last] = Chars().SelectionOffsets();
    *start = ClampOffset(first);
    *end = ClampOffset(last);
  }
}

int TSrcEditAccessible::selectionCount() const {
  return Edit().HasSelection() ? 1 : 0;
}

void TSrcEditAccessible::addSelection(int start, int end) {
  SelectRange(start, end);
}

void TSrcEditAccessible::removeSelection(int index) {
  if (index == 0) {
    Edit().Model().SetCaretAndDeselect(Edit().CaretPos());
  }
}

void TSrcEditAccessible::setSelection(int index, int start, int end) {
  if (index == 0) {
    SelectRange(start, end);
  }
}

int TSrcEditAccessible::cursorPosition() const {
  return ClampOffset(Chars().CaretOffset());
}

void TSrcEditAccessible::setCursorPosition(int position) {
  SelectRange(position, position);
}

void TSrcEditAccessible::SelectRange(int start, int end) {
  TSrcEditModel& model = Edit().Model();
  const TBufferPos from = Chars().PositionAt(start);
  const TBufferPos to = Chars().PositionAt(end);
  // Collapsed blocks holding either end open, as a find opens them.
  model.RevealExpandedLine(from.Line);
  model.RevealExpandedLine(to.Line);
  const TBufferPos anchor = model.FromExpandedPos(from);
  const TBufferPos caret = model.FromExpandedPos(to);
  TPaintHoldScope hold(model.PaintHold());
  if (anchor == caret) {
    model.SetCaretAndDeselect(caret);
  } else {
    model.PlaceCaretAndSelection(caret, anchor, caret);
  }
  model.PaintHold().RequestCaretUpdate();
  Edit().ScrollCaretIntoView(false);
}

// --- reading -----------------------------------------------------------------

QString TSrcEditAccessible::text(int start, int end) const {
  return Chars().Text(start, end);
}

int TSrcEditAccessible::characterCount() const {
  return ClampOffset(Chars().CharacterCount());
}

void TSrcEditAccessible::UnitAt(int offset, QAccessible::TextBoundaryType boundary, int* start,
                                int* end) const {
  TSrcEditAccessibleText& chars = Chars();
  const int count = ClampOffset(chars.CharacterCount());
  offset = std::clamp(offset, 0, count);
  switch (boundary) {
    case QAccessible::CharBoundary:
      *start = offset;
      *end = std::min(offset + 1, count);
      return;
    case QAccessible::NoBoundary:
      *start = 0;
      *end = count;
      return;
    case QAccessible::WordBoundary: {
      // A run of word characters, or of anything else, within the line.
      const int line = chars.LineAt(offset);
      const int line_start = ClampOffset(chars.LineStart(line));
      const std::u32string text = DecodeText(chars.LineBytes(line)).toStdU32String();
      const int length = static_cast<int>(text.size());
      int at = offset - line_start;
      if (at >= length) {  // the break after the line is a unit of its own
        *start = offset;
        *end = std::min(offset + 1, count);
        return;
      }
      const bool word = IsWordChar(text[static_cast<std::size_t>(at)]);
      int first = at;
      while (first > 0 && IsWordChar(text[static_cast<std::size_t>(first - 1)]) == word) {
        --first;
      }
      while (at < length && IsWordChar(text[static_cast<std::size_t>(at)]) == word) {
        ++at;
      }
      *start = line_start + first;
      *end = line_start + at;
      return;
    }
    case QAccessible::SentenceBoundary:
    case QAccessible::ParagraphBoundary:
    case QAccessible::LineBoundary:
    default: {
      // A line with the break after it, so lines read in turn cover all.
      const int line = chars.LineAt(offset);
      *start = ClampOffset(chars.LineStart(line));
      *end = std::min(ClampOffset(chars.LineStart(line + 1)), count);
      if (line == chars.LineCount()) {
        *end = count;
      }
      return;
    }
  }
}

QString TSrcEditAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundary,
                                         int* start, int* end) const {
  UnitAt(offset, boundary, start, end);
  return Chars().Text(*start, *end);
}

QString TSrcEditAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary,
                                             int* start, int* end) const {
  int at_start = 0;
  int at_end = 0;
  UnitAt(offset, boundary, &at_start, &at_end);
  if (at_start == 0) {
    *start = 0;
    *end = 0;
    return {};
  }
  return textAtOffset(at_start - 1, boundary, start, end);
}

QString TSrcEditAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundary,
                                            int* start, int* end) const {
  int at_start = 0;
  int at_end = 0;
  UnitAt(offset, boundary, &at_start, &at_end);
  const int count = characterCount();
  if (at_end >= count || at_end == at_start) {
    *start = count;
    *end = count;
    return {};
  }
  return textAtOffset(at_end, boundary, start, end);
}

QString TSrcEditAccessible::attributes(int offset, int* start, int* end) const {
  *start = offset;
  *end = offset;
  return {};
}

// --- geometry ----------------------------------------------------------------

QRect TSrcEditAccessible::characterRect(int offset) const {
  TCustomSrcEdit& edit = Edit();
  const TSrcEditAccessibleText& chars = Chars();
  const TBufferPos expanded = chars.PositionAt(offset);
  // A character of a collapsed block shows where its header is.
  const TBufferPos pos = edit.Model().FromExpandedPos(expanded);
  const TDisplayPos display = edit.ConvertToDisplay(pos);
  const std::string bytes = chars.LineBytes(expanded.Line);
  const auto byte = static_cast<std::size_t>(expanded.Char - 1);
  const int cells = byte < bytes.size() && bytes[byte] != '\t' ? CharCells(bytes, byte) : 1;
  const QRect cell(edit.ColumnToX(display.Column), edit.Metrics().RowToY(display.Row),
                   cells * edit.ColumnWidth(), edit.RowHeight());
  return QRect(edit.viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

int TSrcEditAccessible::offsetAtPoint(const QPoint& point) const {
  TCustomSrcEdit& edit = Edit();
  const QPoint local = edit.viewport()->mapFromGlobal(point);
  if (!edit.viewport()->rect().contains(local)) {
    return -1;
  }
  const TDisplayPos display = PixelsToRowColumn(edit.Metrics(), local.x(), local.y());
  const TBufferPos pos = edit.ConvertToBuffer(display);
  return ClampOffset(Chars().OffsetOf(edit.Model().ToExpandedPos(pos)));
}

void TSrcEditAccessible::scrollToSubstring(int start, int end) {
  TCustomSrcEdit& edit = Edit();
  TSrcEditModel& model = edit.Model();
  const TBufferPos from = Chars().PositionAt(start);
  const TBufferPos to = Chars().PositionAt(std::max(start, end));
  model.RevealExpandedLine(from.Line);
  const TDisplayPos first = edit.ConvertToDisplay(model.FromExpandedPos(from));
  const TDisplayPos last = edit.ConvertToDisplay(model.FromExpandedPos(to));
  const int rows = std::max(edit.VisibleRows(), 1);
  if (first.Row < edit.FirstVisibleRow() || last.Row >= edit.FirstVisibleRow() + rows) {
    edit.SetFirstVisibleRow(std::max(1, first.Row - rows / 3));
  }
  const int columns = std::max(edit.VisibleColumns(), 1);
  if (first.Column < edit.FirstVisibleColumn() ||
      first.Column >= edit.FirstVisibleColumn() + columns) {
    edit.SetFirstVisibleColumn(std::max(1, first.Column - columns / 3));
  }
}

// --- editing -----------------------------------------------------------------

void TSrcEditAccessible::deleteText(int start, int end) {
  replaceText(start, end, QString());
}

void TSrcEditAccessible::insertText(int offset, const QString& text) {
  replaceText(offset, offset, text);
}

void TSrcEditAccessible::replaceText(int start, int end, const QString& text) {
  TCustomSrcEdit& edit = Edit();
  if (edit.ReadOnly()) {
    return;
  }
  const TSrcSelectionMode mode = edit.SelectionMode();
  edit.SetSelectionMode(smNormal);
  SelectRange(std::min(start, end), std::max(start, end));
  // As a paste: one undo group, the modified flag following the text.
  edit.Controller().ReplaceSelectionByMessage(true, EncodeText(text));
  edit.SetSelectionMode(mode);
}

}  // namespace torvane
