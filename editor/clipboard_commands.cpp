// Copy, cut and paste through the system clipboard: plain text in the code
// page's encoding for other programs, and a private entry that keeps the
// selection mode and the exact bytes for editors of this kind.
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "editor/edit_controller.h"
#include "editor/view_sink.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

// The private entry: one byte of selection mode, the text, a 0 byte. The
// reader takes everything up to the final 0, so a NUL inside the text stays.
const QString kBlockFormat = QStringLiteral("SrcEdit Control Block Type");

QClipboard* SystemClipboard() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
             ? QGuiApplication::clipboard()
             : nullptr;
}

}  // namespace

void TSrcEditController::CopyToClipboard() {
  if (!model_.HasSelection()) {
    return;
  }
  std::string text;
  const TSrcSelectionMode mode = model_.SelectionMode();
  if (mode == smColumn && model_.HasOption(eoTrimTrailingSpaces)) {
    // The block keeps its filler spaces on the clipboard.
    const TSrcEditorOptions options = model_.Options();
    model_.ApplyOptions(TSrcEditorOptions(options).Exclude(eoTrimTrailingSpaces));
    text = model_.SelectedText();
    model_.ApplyOptions(options);
  } else {
    text = model_.SelectedText();
  }
  QClipboard* clipboard = SystemClipboard();
  if (clipboard == nullptr) {
    throw ESrcEditError("Clipboard copy operation failed");
  }
  auto* data = new QMimeData;
  data->setText(DecodeText(text));
  QByteArray block;
  block.reserve(static_cast<qsizetype>(text.size()) + 2);
  block.append(static_cast<char>(mode));
  block.append(text.data(), static_cast<qsizetype>(text.size()));
  block.append('\0');
  data->setData(kBlockFormat, block);
  clipboard->setMimeData(data);
}

void TSrcEditController::CutToClipboard() {
  if (model_.ReadOnly() || !model_.HasSelection() ||
      (IsCaretOnCollapsedFold && IsCaretOnCollapsedFold())) {
    return;
  }
  TUndoGroupScope group(undo_list_);
  CopyToClipboard();
  InsertTextAtCaret(std::string_view());
}

bool TSrcEditController::CanPaste() const {
  if (model_.ReadOnly()) {
    return false;
  }
  const QClipboard* clipboard = SystemClipboard();
  const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  return data != nullptr && (data->hasText() || data->hasFormat(kBlockFormat));
}

std::string TSrcEditController::PasteText() const {
  const QMimeData* data = SystemClipboard()->mimeData();
  if (!data->hasFormat(kBlockFormat)) {
    return EncodeText(data->text());
  }
  const QByteArray block = data->data(kBlockFormat);
  if (block.isEmpty()) {
    throw ESrcEditError("Clipboard paste operation failed.");
  }
  qsizetype size = block.size() - 1;
  if (size > 0 && block.back() == '\0') {
    --size;
  }
  return std::string(block.constData() + 1, static_cast<std::size_t>(size));
}

void TSrcEditController::PasteFromClipboard() {
  if ((IsCaretOnCollapsedFold && IsCaretOnCollapsedFold()) || !CanPaste()) {
    return;
  }
  // Read everything before the first entry is recorded, so a failure leaves
  // neither text nor undo entries behind.
  const std::string text = PasteText();
  TUndoGroupScope group(undo_list_);
  TPaintHoldScope hold(model_.PaintHold());
  const TSrcSelectionMode mode = model_.SelectionMode();
  undo_list_.RecordChange(ckPasteBegin, model_.SelectionAnchor(), model_.SelectionActiveEnd(),
                          std::string(), mode);
  if (model_.HasSelection()) {
    const TBufferPos start = model_.SelStart();
    const TBufferPos end = model_.SelEnd();
    RecordSelectionDelete(ckDelete);
    model_.SetSelectionAnchor(start);
    model_.SetSelectionActiveEnd(end);
  }
  const TBufferPos start = InsertionStart();
  ReplaceSelection(mode, text, true);
  // Recorded by the mode the text went in with: column insertion recorded
  // its own entries, and undo must take back what was actually inserted.
  if (!text.empty() && mode == smNormal) {
    undo_list_.RecordChange(ckPaste, start, model_.SelEnd(), std::string(), smNormal);
  } else if (!text.empty() && mode == smLine) {
    undo_list_.RecordChange(ckPaste, start, line_block_end_, std::string(), smLine);
  }
  // Trimmed blanks are recorded inside the bracket, so redo takes them too.
  TrimWrittenLines();
  undo_list_.RecordChange(ckPasteEnd, model_.SelectionAnchor(), model_.SelectionActiveEnd(),
                          std::string(), mode);
  if (model_.HasOption(eoHideShowScrollbars)) {
    model_.PaintHold().RequestScrollBarUpdate();
  }
  ScrollCaretIntoView();
  model_.RaiseStatusChange({scSelection});
}

}  // namespace torvane
