// The status bar's texts and labels.
#include "app/status_bar.h"

#include <QLabel>
#include <algorithm>

#include "document/control/src_editor.h"
#include "editor/position_mapping.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

// Characters of the selection (a double-byte or UTF-8 character counts once;
// line breaks count as the selected text stores them), counted piece by piece
// so that a whole-file selection is never copied.
int SelectedCharacterCount(const TSrcEditModel& model) {
  const CodePage& page = CodePage::Current();
  int count = 0;
  model.VisitSelectedText([&](std::string_view piece) { count += page.CharCount(piece); });
  return count;
}

// The caret's character counted in characters (a double-byte or UTF-8
// character is one), from the byte index; past the line's end each position
// is one more.
int CharacterNumber(std::string_view line, int byte_char) {
  const std::size_t before = static_cast<std::size_t>(std::max(byte_char - 1, 0));
  const std::size_t inside = std::min(before, line.size());
  return CodePage::Current().CharCount(line.substr(0, inside)) + static_cast<int>(before - inside) +
         1;
}

QString LineBreakName(TSrcEditFileFormat format) {
  switch (format) {
    case sffUnix:
      return QStringLiteral("LF");
    case sffMac:
      return QStringLiteral("CR");
    case sffDos:
    default:
      return QStringLiteral("CRLF");
  }
}

QString SelectionModeName(TSrcSelectionMode mode) {
  switch (mode) {
    case smLine:
      return QStringLiteral("行");
    case smColumn:
      return QStringLiteral("列块");
    case smNormal:
    default:
      return QStringLiteral("普通");
  }
}

}  // namespace

TStatusTexts EditorStatusTexts(const TSrcEditor& editor) {
  const TSrcEditModel& model = editor.Model();
  TStatusTexts texts;
  // Line numbers are those of the expanded text, as the gutter shows them.
  const TBufferPos caret = model.ToExpandedPos(model.CaretPos());
  const std::string_view line = model.LineText(model.CaretPos().Line);
  texts.Position =
      QStringLiteral("行 %1，字符 %2").arg(caret.Line).arg(CharacterNumber(line, caret.Char));
  // The column in the line, also when word wrap shows it on a later row.
  texts.Column = QStringLiteral("列 %1").arg(
      line_cells::ColumnOfChar(line, model.CaretPos().Char, model.TabWidth()));
  const int selected = SelectedCharacterCount(model);
  texts.Selection = QStringLiteral("选中 %1").arg(selected);
  texts.Mode = model.InsertMode() ? QStringLiteral("插入") : QStringLiteral("改写");
  texts.SelectionMode = SelectionModeName(model.SelectionMode());
  texts.CodePage = QString::fromStdString(CodePage::Current().Name());
  texts.LineBreaks = LineBreakName(editor.DocumentFormat());
  texts.Modified = editor.Modified() ? QStringLiteral("已修改") : QString();
  return texts;
}

TEditorStatusBar::TEditorStatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName(QStringLiteral("StatusBar"));
  position_ = AddLabel("StatusPosition");
  column_ = AddLabel("StatusColumn");
  selection_ = AddLabel("StatusSelection");
  mode_ = AddLabel("StatusMode");
  selection_mode_ = AddLabel("StatusSelectionMode");
  code_page_ = AddLabel("StatusCodePage");
  line_breaks_ = AddLabel("StatusLineBreaks");
  modified_ = AddLabel("StatusModified");
}

QLabel* TEditorStatusBar::AddLabel(const char* name) {
  auto* label = new QLabel(this);
  label->setObjectName(QString::fromLatin1(name));
  addPermanentWidget(label);
  return label;
}

void TEditorStatusBar::ShowStatus(const TStatusTexts& texts) {
  position_->setText(texts.Position);
  column_->setText(texts.Column);
  selection_->setText(texts.Selection);
  mode_->setText(texts.Mode);
  selection_mode_->setText(texts.SelectionMode);
  code_page_->setText(texts.CodePage);
  line_breaks_->setText(texts.LineBreaks);
  modified_->setText(texts.Modified);
}

QStringList TEditorStatusBar::Texts() const {
  return {position_->text(),       column_->text(),    selection_->text(),   mode_->text(),
          selection_mode_->text(), code_page_->text(), line_breaks_->text(), modified_->text()};
}

}  // namespace torvane
