// Construction of the editor control, its reactions to option changes, focus
// and size, and what the model asks of it.
#include "view/src_edit.h"

#include <QAccessible>
#include <QApplication>
#include <QFocusEvent>
#include <QFontInfo>
#include <QResizeEvent>
#include <QScrollBar>

#include "editor/commands.h"
#include "highlight/custom_highlighter.h"
#include "view/accessibility_events.h"
#include "view/src_edit_accessible.h"
#include "view/text_drawer.h"

namespace torvane {
namespace {

TFontStyles StylesOf(const QFont& font) {
  TFontStyles s;
  if (font.bold()) {
    s = s.With(fsBold);
  }
  if (font.italic()) {
    s = s.With(fsItalic);
  }
  if (font.underline()) {
    s = s.With(fsUnderline);
  }
  if (font.strikeOut()) {
    s = s.With(fsStrikeOut);
  }
  return s;
}

QFont ConstructionFont() {
  QFont font(QStringLiteral("Courier New"));
  font.setPointSize(10);
  return font;
}

}  // namespace

TCustomSrcEdit::TCustomSrcEdit(QWidget* parent)
    : QAbstractScrollArea(parent),
      invalidator_(metrics_, model_.Mapping(), [this](const QRect& r) { viewport()->update(r); }),
      font_(ConstructionFont()),
      drawer_(std::make_unique<TheTextDrawer>(TFontStyles{fsBold}, &font_)),
      painter_(TPaintSources{model_, metrics_, *drawer_, selected_color_, active_line_, right_edge_,
                             line_divider_, background_}),
      caret_([this](const QRect& r) { invalidator_.InvalidateRect(r); }) {
  // Every pixel of the client area is painted by PaintView, so nothing is
  // erased first; Qt's backing store composes the pass and shows it at once.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAttribute(Qt::WA_NoSystemBackground);
  viewport()->setAutoFillBackground(false);
  viewport()->setCursor(Qt::IBeamCursor);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);

  model_.SetView(this);
  SetFont(font_);
  metrics_.SetClientSize(viewport()->width(), viewport()->height());

  active_line_.OnChange = [this] { MarkTextLineDirty(model_.CaretLine()); };
  right_edge_.OnChange = [this] {
    if (word_wrap_.Style() == wwsRightEdge) {
      WrapWidthChanged();
    }
    InvalidateAll();
  };
  line_divider_.OnChange = [this] { InvalidateAll(); };
  background_.OnChange = [this] { InvalidateAll(); };
  selected_color_.OnChange = [this] { SelectionOptionChanged(); };

  blink_timer_.setInterval(QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2
                                                               : 500);
  connect(&blink_timer_, &QTimer::timeout, this, [this] { caret_.Blink(); });
  range_timer_.setSingleShot(true);
  connect(&range_timer_, &QTimer::timeout, this, [this] { ComputeRangeStatesAhead(); });
  InitGutterAndScrolling();
  InitWordWrap();
  InitCodeFolding();
  InstallController<TSrcEditController>();
  input_ = std::make_unique<TSrcEditInput>(*this);
  RefreshScrollBars();
  InstallSrcEditAccessibility();
}

TCustomSrcEdit::~TCustomSrcEdit() {
  // The model outlives nothing it could call back into.
  model_.SetView(nullptr);
  if (accessibility_ != nullptr) {
    // The interface reads this editor's parts: it goes before they do, not
    // when QWidget's destructor is done with what is left.
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(this)));
    accessibility_.reset();
  }
}

TSrcEditAccessibility& TCustomSrcEdit::Accessibility() {
  if (accessibility_ == nullptr) {
    accessibility_ = std::make_unique<TSrcEditAccessibility>(*this);
  }
  return *accessibility_;
}

// --- appearance ---------------------------------------------------------

void TCustomSrcEdit::SetFont(const QFont& font) {
  font_ = font;
  if (!QFontInfo(font_).fixedPitch()) {
    // Every cell is the same width; a proportional face gets a fixed-pitch copy.
    font_.setFixedPitch(true);
    font_.setStyleHint(QFont::Monospace);
  }
  QAbstractScrollArea::setFont(font_);
  MeasureCharCell();
  SizeOrFontChanged(true);
}

void TCustomSrcEdit::SetFontColor(TColor color) {
  if (color != font_color_) {
    font_color_ = color;
    InvalidateAll();
  }
}

void TCustomSrcEdit::SetColor(TColor color) {
  if (color != color_) {
    color_ = color;
    InvalidateAll();
  }
}

void TCustomSrcEdit::SetGutterColor(TColor color) {
  gutter_.SetColor(color);
}

QString TCustomSrcEdit::UnicodeFontName() const {
  return drawer_->UnicodeFontName();
}

void TCustomSrcEdit::SetUnicodeFontName(const QString& name) {
  drawer_->SetUnicodeFontName(name);
  InvalidateAll();
}

std::vector<TFontStyles> TCustomSrcEdit::StylesInUse() const {
  // Underline and strike-out do not change a cell's size.
  auto cell_style = [](TFontStyles s) { return TFontStyles::FromInt(s.ToInt() & 3); };
  const TSrcCustomHighlighter* hl = model_.Highlighter();
  if (hl == nullptr || hl->AttributeCount() == 0) {
    return {cell_style(StylesOf(font_))};
  }
  std::vector<TFontStyles> used;
  for (int i = 0; i < hl->AttributeCount(); ++i) {
    used.push_back(cell_style(hl->AttributeAt(i)->Style()));
  }
  return used;
}

void TCustomSrcEdit::MeasureCharCell() {
  drawer_->SetBaseFont(&font_);
  int width = 0;
  int height = 0;
  TFontStyles widest;
  const std::vector<TFontStyles> used = StylesInUse();
  for (const TFontStyles style :
       {TFontStyles{}, TFontStyles{fsItalic}, TFontStyles{fsBold}, TFontStyles{fsBold, fsItalic}}) {
    if (std::find(used.begin(), used.end(), style) == used.end()) {
      continue;
    }
    drawer_->SetMeasureStyle(style);
    height = std::max(height, drawer_->GridHeight());
    if (drawer_->GridWidth() > width) {
      width = drawer_->GridWidth();
      widest = style;
    }
  }
  // The drawer places characters on the grid of the widest style.
  drawer_->SetMeasureStyle(widest);
  metrics_.SetCell(width, height);
}

void TCustomSrcEdit::SetLineSpacing(int pixels) {
  if (pixels != metrics_.LineSpacing()) {
    metrics_.SetLineSpacing(pixels);
    MeasureCharCell();
    SizeOrFontChanged(true);
  }
}

void TCustomSrcEdit::SetLineSpacingRule(TLineSpacingRule rule) {
  if (rule != metrics_.LineSpacingRule()) {
    metrics_.SetLineSpacingRule(rule);
    MeasureCharCell();
    SizeOrFontChanged(true);
  }
}

void TCustomSrcEdit::SetGutterExtent(int pixels) {
  pixels = std::max(pixels, 0);
  if (pixels == metrics_.GutterExtent()) {
    return;
  }
  metrics_.SetGutterExtent(pixels);
  if (word_wrap_.Style() == wwsClientWidth) {
    WrapWidthChanged();
  }
  RefreshScrollBars();
  InvalidateAll();
}

void TCustomSrcEdit::SizeOrFontChanged(bool font_changed) {
  metrics_.SetClientSize(viewport()->width(), viewport()->height());
  WrapWidthChanged();
  if (font_changed) {
    if (gutter_.ShowLineNumbers()) {
      LayoutGutter();
    }
    CaretShapeChanged();
    InvalidateAll();
  }
  RefreshScrollBars();
  if (!model_.HasOption(eoScrollPastEol)) {
    SetFirstVisibleColumn(FirstVisibleColumn());
  }
  if (!model_.HasOption(eoScrollPastEof)) {
    SetFirstVisibleRow(FirstVisibleRow());
  }
}

void TCustomSrcEdit::SelectionOptionChanged() {
  if (model_.HasSelection()) {
    MarkTextLinesDirty(model_.SelStart().Line, model_.SelEnd().Line);
  }
}

void TCustomSrcEdit::SetOnStatusChange(
    std::function<void(TCustomSrcEdit&, TSrcStatusChanges)> handler) {
  on_status_change_ = std::move(handler);
  if (on_status_change_) {
    model_.SetOnStatusChange([this](TSrcStatusChanges c) { on_status_change_(*this, c); });
  } else {
    model_.SetOnStatusChange(nullptr);
  }
}

// --- Qt events ----------------------------------------------------------

void TCustomSrcEdit::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  SizeOrFontChanged(false);
}

void TCustomSrcEdit::showEvent(QShowEvent* event) {
  invalidator_.SetEnabled(true);
  QAbstractScrollArea::showEvent(event);
}

void TCustomSrcEdit::hideEvent(QHideEvent* event) {
  HideCollapsedCodeHint();
  invalidator_.SetEnabled(false);
  QAbstractScrollArea::hideEvent(event);
}

void TCustomSrcEdit::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  FocusCommand(ecFocusGained);
  CreateCaret();
  if (model_.HideSelection()) {
    SelectionOptionChanged();
  }
}

void TCustomSrcEdit::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  FocusCommand(ecFocusLost);
  if (!hasFocus()) {
    blink_timer_.stop();
    caret_.Destroy();
    if (model_.HideSelection()) {
      SelectionOptionChanged();
    }
  }
}

void TCustomSrcEdit::FocusCommand(TSrcEditorCommand command) {
  ProcessCommand(command);
}

// --- the caret ----------------------------------------------------------

void TCustomSrcEdit::CreateCaret() {
  caret_.Create(CaretShapeRect(model_.CaretShape(), metrics_.ColumnWidth(), metrics_.GlyphHeight(),
                               metrics_.LineSpacingExtra()));
  PlaceCaretView();
  caret_.SetShown(!model_.HasOption(eoNoCaret));
  blink_timer_.start();
}

void TCustomSrcEdit::PlaceCaretView() {
  const TDisplayPos pos = model_.DisplayPos();
  caret_.SetPosition(QPoint(metrics_.ColumnToX(pos.Column), metrics_.RowToY(pos.Row)));
}

void TCustomSrcEdit::UpdateCaret() {
  PlaceCaretView();
  if (caret_.Exists() && blink_timer_.isActive()) {
    blink_timer_.start();  // restart the phase so a moving caret stays visible
  }
  if (accessibility_ != nullptr || Listening()) {
    Accessibility().CaretUpdated();
  }
}

void TCustomSrcEdit::CaretShapeChanged() {
  if (caret_.Exists()) {
    CreateCaret();
  }
}

// --- what the model asks ------------------------------------------------

void TCustomSrcEdit::InvalidateLines(int first, int last) {
  MarkTextLinesDirty(first, last);
  if (hint_range_ != nullptr) {
    QueueCollapsedCodeHintCheck();
  }
}

void TCustomSrcEdit::InvalidateLine(int line) {
  MarkTextLineDirty(line);
}

void TCustomSrcEdit::InvalidateGutterLines(int first, int last) {
  MarkGutterLinesDirty(first, last);
}

void TCustomSrcEdit::BeginCollectingInvalidation() {
  invalidator_.BeginCollecting();
}

void TCustomSrcEdit::EndCollectingInvalidation() {
  invalidator_.EndCollecting();
}

bool TCustomSrcEdit::IsActiveLineHighlighted() const {
  return active_line_.Visible() &&
         (active_line_.Foreground() != clNone || active_line_.Background() != clNone);
}

void TCustomSrcEdit::OptionsChanged(TSrcEditorOptions old_options, TSrcEditorOptions new_options) {
  const TSrcEditorOptions changed = old_options ^ new_options;
  if (changed.Has(eoDropFiles)) {
    setAcceptDrops(new_options.Has(eoDropFiles));
  }
  if (changed.Has(eoShowSpecialChars)) {
    InvalidateAll();
  }
  if (changed.Has(eoNoCaret) && caret_.Exists()) {
    caret_.SetShown(!new_options.Has(eoNoCaret));
  }
  if (changed.Intersects(
          {eoDisableScrollArrows, eoHideShowScrollbars, eoScrollPastEof, eoScrollPastEol})) {
    RefreshScrollBars();
  }
}

void TCustomSrcEdit::ReapplyScrollPositions(bool horizontal, bool vertical) {
  if (horizontal) {
    SetFirstVisibleColumn(FirstVisibleColumn());
  }
  if (vertical) {
    SetFirstVisibleRow(FirstVisibleRow());
  }
}

void TCustomSrcEdit::LinesCleared() {
  HideCollapsedCodeHint();
  metrics_.SetFirstVisibleRow(1);
  metrics_.SetFirstVisibleColumn(1);
  InvalidateAll();
  RefreshScrollBars();
}

void TCustomSrcEdit::LinesBatchEnded() {
  if (accessibility_ != nullptr || Listening()) {
    Accessibility().BatchEnded();
  }
  gutter_.AutoSizeDigits(LastShownLineNumber());
  if (!model_.HasOption(eoScrollPastEof)) {
    SetFirstVisibleRow(FirstVisibleRow());
  }
}

void TCustomSrcEdit::HighlighterChanged() {
  MeasureCharCell();
  SizeOrFontChanged(true);
}

void TCustomSrcEdit::PaintTransient(TTransientType type) {
  if (OnPaintTransient) {
    OnPaintTransient(*this, nullptr, type);
  }
}

}  // namespace torvane
