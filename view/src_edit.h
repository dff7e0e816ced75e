// The editor control: a QAbstractScrollArea that is a facade over the model
// (caret, selection, options, line store), the view metrics and
// invalidation, the painter, the caret and the painting options objects.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QTimer>
#include <functional>
#include <memory>

#include "editor/commands.h"
#include "editor/edit_controller.h"
#include "editor/edit_model.h"
#include "editor/view_sink.h"
#include "platform/colors.h"
#include "view/bookmark_options.h"
#include "view/caret_view.h"
#include "view/collapsed_code_hint.h"
#include "view/fold_painter.h"
#include "view/gutter.h"
#include "view/gutter_glyphs.h"
#include "view/gutter_painter.h"
#include "view/invalidation.h"
#include "view/scroll_bar_adapter.h"
#include "view/scroll_bars.h"
#include "view/scroll_rules.h"
#include "view/side_column.h"
#include "view/src_edit_input.h"
#include "view/text_painter.h"
#include "view/view_metrics.h"
#include "view/view_options.h"
#include "view/view_scrolling.h"
#include "view/word_wrap.h"

namespace torvane {

class TheTextDrawer;
class TSrcEditAccessibility;

class TCustomSrcEdit : public QAbstractScrollArea, protected ISrcEditView {
  Q_OBJECT

 public:
  explicit TCustomSrcEdit(QWidget* parent = nullptr);
  ~TCustomSrcEdit() override;

  // --- the pieces --------------------------------------------------------
  TSrcEditModel& Model() { return model_; }
  const TSrcEditModel& Model() const { return model_; }
  TSrcEditStringList& Lines() { return model_.Lines(); }
  const TViewMetrics& Metrics() const { return metrics_; }
  TheTextDrawer& TextDrawer() { return *drawer_; }

  // --- caret and selection (the model's, for callers of the control) ----
  TBufferPos CaretPos() const { return model_.CaretPos(); }
  void SetCaretPos(TBufferPos pos) { model_.SetCaretPos(pos); }
  int CaretChar() const { return model_.CaretChar(); }
  int CaretLine() const { return model_.CaretLine(); }
  TBufferPos SelStart() const { return model_.SelStart(); }
  TBufferPos SelEnd() const { return model_.SelEnd(); }
  bool HasSelection() const { return model_.HasSelection(); }
  std::string SelectedText() const { return model_.SelectedText(); }
  TSrcSelectionMode SelectionMode() const { return model_.SelectionMode(); }
  void SetSelectionMode(TSrcSelectionMode mode) { model_.SetSelectionMode(mode); }
  bool InsertMode() const { return model_.InsertMode(); }
  void SetInsertMode(bool on) { model_.SetInsertMode(on); }
  bool ReadOnly() const { return model_.ReadOnly(); }
  void SetReadOnly(bool on) { model_.SetReadOnly(on); }
  int TabWidth() const { return model_.TabWidth(); }
  void SetTabWidth(int width) { model_.SetTabWidth(width); }
  bool HideSelection() const { return model_.HideSelection(); }
  void SetHideSelection(bool on) { model_.SetHideSelection(on); }
  TSrcEditorOptions Options() const { return model_.Options(); }
  void SetOptions(TSrcEditorOptions options) { model_.ApplyOptions(options); }
  TDisplayPos ConvertToDisplay(TBufferPos pos) const { return model_.ConvertToDisplay(pos); }
  TBufferPos ConvertToBuffer(TDisplayPos pos) const { return model_.ConvertToBuffer(pos); }

  // --- metrics -----------------------------------------------------------
  int ColumnWidth() const { return metrics_.ColumnWidth(); }
  int GlyphHeight() const { return metrics_.GlyphHeight(); }
  int RowHeight() const { return metrics_.RowHeight(); }
  int LineSpacing() const { return metrics_.LineSpacing(); }
  void SetLineSpacing(int pixels);
  TLineSpacingRule LineSpacingRule() const { return metrics_.LineSpacingRule(); }
  void SetLineSpacingRule(TLineSpacingRule rule);
  int GutterExtent() const { return metrics_.GutterExtent(); }
  void SetGutterExtent(int pixels);
  int TextOriginX() const { return metrics_.TextOriginX(); }
  int FirstVisibleRow() const { return metrics_.FirstVisibleRow(); }
  int FirstVisibleColumn() const { return metrics_.FirstVisibleColumn(); }
  int VisibleRows() const { return metrics_.VisibleRows(); }
  int VisibleColumns() const { return metrics_.VisibleColumns(); }
  int ColumnToX(int column) const { return metrics_.ColumnToX(column); }
  // Recomputes ColumnWidth and GlyphHeight over the styles in use.
  void MeasureCharCell();

  TSrcCustomHighlighter* Highlighter() const { return model_.Highlighter(); }
  void SetHighlighter(TSrcCustomHighlighter* highlighter) { model_.SetHighlighter(highlighter); }

  // --- appearance --------------------------------------------------------
  const QFont& Font() const { return font_; }
  // A font whose characters differ in width is replaced by a fixed-pitch copy.
  void SetFont(const QFont& font);
  TColor FontColor() const { return font_color_; }
  void SetFontColor(TColor color);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TColor GutterColor() const { return gutter_.Color(); }
  void SetGutterColor(TColor color);
  QString UnicodeFontName() const;
  void SetUnicodeFontName(const QString& name);
  TSrcSelectedColor& SelectedColor() { return selected_color_; }
  TSrcActiveLine& ActiveLine() { return active_line_; }
  TSrcRightEdge& RightEdge() { return right_edge_; }
  TSrcLineDivider& LineDivider() { return line_divider_; }
  TSrcEditBackground& Background() { return background_; }
  // Word wrap (view/src_edit_wrap.cpp): switching it on lays out every line
  // in rows; the layout follows text, width and font changes by itself.
  TSrcWordWrap& WordWrap() { return word_wrap_; }

  // --- invalidation ------------------------------------------------------
  void MarkTextLinesDirty(int first, int last) { invalidator_.MarkTextLinesDirty(first, last); }
  void MarkGutterLinesDirty(int first, int last) { invalidator_.MarkGutterLinesDirty(first, last); }
  void MarkTextLineDirty(int line) { invalidator_.MarkTextLineDirty(line); }
  void InvalidateAll() { invalidator_.InvalidateAll(); }

  // --- gutter and marks (src_edit_gutter.cpp) --------------------------
  TSrcGutter& Gutter() { return gutter_; }
  TSrcBookMarkOpt& BookMarkOptions() { return bookmark_options_; }
  TSrcEditMarkList& Marks() { return model_.Marks(); }
  // The active line's gutter glyph (drawn when ActiveLine is visible).
  TSrcGlyph& ActiveLineIndicator() { return active_line_indicator_; }
  // Character width of ticks and indent guides, from the last layout.
  int GutterCharWidth() const { return gutter_char_width_; }
  // The answer to gutter changes: right offset, digits, width.
  void LayoutGutter();
  // The number of the last line as the gutter shows it (collapsed lines
  // counted), which the digits must fit.
  int LastShownLineNumber() const;
  // A click at client (x, y) in the gutter: folds, or OnGutterClick.
  void HandleGutterClick(Qt::MouseButton button, int x, int y);
  // Region is true left of the fold bar's place; Mark is the clicked mark.
  std::function<void(TCustomSrcEdit&, Qt::MouseButton button, int x, int y, int line,
                     TSrcEditMark* mark, bool region)>
      OnGutterClick;
  // May replace the text shown for a line number.
  std::function<void(TCustomSrcEdit&, int line, std::string& text)> OnGutterGetText;
  // After the marks of a painted line; x is the room the marks took.
  std::function<void(TCustomSrcEdit&, int line, int x, int y)> OnGutterPaint;
  // Draws marks of the host's own on a painted line, after the bookmarks:
  // x is where the next mark goes, top the row's top.
  std::function<void(TCustomSrcEdit&, QPainter&, int line, int x, int top)> OnGutterPaintMarks;
  // Columns of the host's between the gutter and the text. SetSideColumn
  // makes `column` the only one (nullptr: none). SideColumnChanged lays the
  // gutter out for a new width.
  void SetSideColumn(ISrcEditSideColumn* column);
  // Several columns sit side by side, the first added nearest the gutter's
  // numbers (`leftmost` puts one before the others). Not owned.
  void AddSideColumn(ISrcEditSideColumn* column, bool leftmost = false);
  void RemoveSideColumn(ISrcEditSideColumn* column);
  // The column's left edge in the viewport, -1 when it is not there.
  int SideColumnLeft(const ISrcEditSideColumn* column) const;
  // The width a column takes now (0 when it is not there).
  int SideColumnWidthOf(const ISrcEditSideColumn* column) const;
  ISrcEditSideColumn* SideColumn() const {
    return side_columns_.empty() ? nullptr : side_columns_.front();
  }
  int SideColumnWidth() const { return side_column_width_; }
  void SideColumnChanged();
  void PaintSideColumn(QPainter& painter, const QRect& clip, int first_row, int last_row);

  // --- code folding (src_edit_folding.cpp) -------------------------------
  // The options; CopyFrom assigns another editor's (SetCodeFolding).
  TSrcCodeFolding& CodeFolding() { return model_.CodeFolding(); }
  void SetCodeFolding(const TSrcCodeFolding& folding) { model_.CodeFolding().CopyFrom(folding); }
  bool CodeFoldingEnabled() const { return model_.FoldingEnabled(); }
  TSrcEditAllFoldRanges& FoldRanges() { return model_.Folds().Ranges(); }
  void RescanFolds() { model_.RescanFolds(); }
  bool CollapseFold(TSrcEditFoldRange& range) { return model_.CollapseFold(range); }
  bool ExpandFold(TSrcEditFoldRange& range) { return model_.ExpandFold(range); }
  void ExpandAllFolds() { model_.ExpandAllFolds(); }
  // The whole text, every collapsed block's lines included.
  std::string GetAllText() const { return model_.AllText(); }
  // The collapsed-code mark of a collapsed header on `line`, in client
  // pixels before the horizontal scroll.
  QRect CollapseMarkRect(const TSrcEditFoldRange& range, int line) const;
  // Who shows the lines of a collapsed block under the mouse (not owned;
  // nullptr: nobody). The editor tells it when to show and hide.
  void SetCollapsedCodeHint(ISrcCollapsedCodeHint* hint);
  ISrcCollapsedCodeHint* CollapsedCodeHint() const { return collapsed_hint_; }
  bool IsCollapsedCodeHintShowing() const { return hint_range_ != nullptr; }
  // The mouse at client (x, y): over a collapsed mark the hint shows,
  // elsewhere it goes (the input calls this on every move).
  void UpdateCollapsedCodeHint(int x, int y);
  void HideCollapsedCodeHint();
  // Lines changed while a hint shows: once the change is complete, a hint
  // whose block was expanded, removed or moved goes.
  void QueueCollapsedCodeHintCheck();

  // --- scrolling (src_edit_scroll.cpp) -----------------------------------
  void SetFirstVisibleRow(int row);
  void SetFirstVisibleColumn(int column);
  void ScrollCaretIntoView(bool centre);
  void RefreshScrollBars();
  TSrcScrollBars& ScrollBars() { return scroll_bars_; }
  // The answers to the scroll codes SB_LINEUP .. SB_ENDSCROLL.
  void HandleVerticalScroll(int code, int position);
  void HandleHorizontalScroll(int code, int position);
  // After every scroll request and wheel step.
  std::function<void(TCustomSrcEdit&, TScrollBarKind)> OnScroll;
  // For the editing commands (TSrcEditController::SetScrolling): their
  // scrolling moves this view.
  TSrcEditScrolling& ViewScrolling() { return view_scrolling_; }

  // --- painting ----------------------------------------------------------
  // Paints the part of the client area inside `clip`.
  void PaintView(QPainter& painter, const QRect& clip);
  // The dotted line that follows a dragged right edge; -1 removes it.
  void DrawRightEdgeDragLine(int new_x, int old_x);

  // --- commands: the command path, editing, undo (editor/edit_controller.h)
  TSrcEditController& Controller() { return *controller_; }
  void ProcessCommand(TSrcEditorCommand command, char ch = 0, void* data = nullptr) {
    controller_->ProcessCommand(command, ch, data);
  }
  // A derived editor with an executor of its own puts it in place of the
  // default one (keys, mouse and messages then run through it). The old one
  // goes first: both would hook the same model.
  template <typename TController>
  TController& InstallController() {
    controller_.reset();
    auto controller = std::make_unique<TController>(model_);
    TController& result = *controller;
    controller_ = std::move(controller);
    controller_->SetScrolling(&view_scrolling_);
    return result;
  }

  // --- keyboard and mouse (view/src_edit_input.h) ------------------------
  TSrcEditInput& Input() { return *input_; }
  void AddKeyDownHandler(TKeyEventMethod h) { input_->KbdHandler().AddKeyDownHandler(h); }
  void RemoveKeyDownHandler(TKeyEventMethod h) { input_->KbdHandler().RemoveKeyDownHandler(h); }
  void AddKeyPressHandler(TKeyPressMethod h) { input_->KbdHandler().AddKeyPressHandler(h); }
  void RemoveKeyPressHandler(TKeyPressMethod h) { input_->KbdHandler().RemoveKeyPressHandler(h); }
  // The standard edit-control messages (editor/edit_messages.h); pointers
  // travel in the parameters (view/src_edit_messages.cpp).
  virtual std::intptr_t Perform(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam);

  // --- accessibility (view/accessibility_events.h) -----------------------
  // Made when an assistive technology first asks; until then the editor
  // keeps no character counts and sends no events.
  TSrcEditAccessibility& Accessibility();
  bool HasAccessibility() const { return accessibility_ != nullptr; }

  // --- events ------------------------------------------------------------
  void SetOnStatusChange(std::function<void(TCustomSrcEdit&, TSrcStatusChanges)> handler);
  // True when the line has colours of its own (clNone keeps the row's).
  std::function<bool(TCustomSrcEdit&, int line, TColor& fg, TColor& bg)> OnSpecialLineColors;
  // After the text, with the editor font and the control colour as brush.
  std::function<void(TCustomSrcEdit&, QPainter&)> OnPaint;
  // With a painter at the end of each paint (ttAfter); around caret moves
  // and text changes with none: a handler that drew marks repaints them.
  std::function<void(TCustomSrcEdit&, QPainter*, TTransientType)> OnPaintTransient;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

  virtual void PaintGutter(QPainter& painter, const QRect& rect, int first_row, int last_row);
  // Columns rows break at, by the word-wrap style.
  int WrapWidth() const override;
  // ecFocusGained / ecFocusLost through the command path, so handlers and
  // hooked commands see focus changes.
  virtual void FocusCommand(TSrcEditorCommand command);
  // The painter's tokens for a line, at least those with bytes in [from, to);
  // the plain line without a highlighter.
  virtual void CollectTokens(int line, std::string_view text, int from, int to,
                             std::vector<TPaintToken>& tokens);
  // Font styles whose cells MeasureCharCell compares.
  virtual std::vector<TFontStyles> StylesInUse() const;

  // ISrcEditView
  void InvalidateLines(int first, int last) override;
  void InvalidateLine(int line) override;
  void InvalidateGutterLines(int first, int last) override;
  void BeginCollectingInvalidation() override;
  void EndCollectingInvalidation() override;
  void ScrollCaretIntoView() override { ScrollCaretIntoView(false); }
  void UpdateScrollBars() override;
  void UpdateCaret() override;
  void CaretShapeChanged() override;
  bool IsActiveLineHighlighted() const override;
  bool HasFocus() const override { return hasFocus(); }
  void OptionsChanged(TSrcEditorOptions old_options, TSrcEditorOptions new_options) override;
  void ReapplyScrollPositions(bool horizontal, bool vertical) override;
  void TabWidthChanged() override {}
  void LinesCleared() override;
  void LinesBatchEnded() override;
  void PaintTransient(TTransientType type) override;
  void HighlighterChanged() override;

 private:
  void SizeOrFontChanged(bool font_changed);
  // --- word wrap (src_edit_wrap.cpp)
  void InitWordWrap();
  void WordWrapChanged();
  void SetWordWrapActive(bool on);
  // The wrap width may have changed: rows are laid out again when it did,
  // keeping the top line in place.
  void WrapWidthChanged();
  void CreateCaret();
  void PlaceCaretView();
  void SelectionOptionChanged();
  TPaintLook BuildPaintLook() const;

  TSrcEditModel model_;
  TViewMetrics metrics_;
  TViewInvalidator invalidator_;
  QFont font_;
  TColor font_color_ = clWindowText;
  TColor color_ = clWindow;
  std::unique_ptr<TheTextDrawer> drawer_;
  TSrcSelectedColor selected_color_;
  TSrcActiveLine active_line_;
  TSrcRightEdge right_edge_;
  TSrcLineDivider line_divider_;
  TSrcEditBackground background_;
  TSrcWordWrap word_wrap_;
  TTextPainter painter_;
  TCaretView caret_;
  QTimer blink_timer_;
  // Computes the range states below the painted lines while nothing else
  // happens, a few milliseconds at a time.
  QTimer range_timer_;
  void ComputeRangeStatesAhead();
  int drag_line_x_ = -1;
  std::function<void(TCustomSrcEdit&, TSrcStatusChanges)> on_status_change_;

  // --- code folding
  void InitCodeFolding();
  void CodeFoldingChanged(TSrcCodeFoldingChange change);
  TFoldPaintContext FoldPaintContext();
  ISrcCollapsedCodeHint* collapsed_hint_ = nullptr;
  std::vector<ISrcEditSideColumn*> side_columns_;
  std::vector<int> side_column_widths_;  // as laid out, in the same order
  int side_column_width_ = 0;            // their sum, part of the gutter extent, at its right
  const TSrcEditFoldRange* hint_range_ = nullptr;  // the block whose hint shows
  int hint_line_ = 0;                              // its header line then
  bool hint_check_queued_ = false;

  // --- gutter and scrolling
  void InitGutterAndScrolling();
  TScrollExtent ScrollExtent() const;
  void ScrollBarsStyleChanged();
  void ConnectScrollBars();
  void SyncScrollBars();
  void ShowTopLineHint();

  TSrcGutter gutter_;
  TSrcBookMarkOpt bookmark_options_;
  TSrcGlyph active_line_indicator_;
  TGutterPainter gutter_painter_;
  int gutter_char_width_ = 0;
  bool laying_out_gutter_ = false;
  bool gutter_click_pending_ = false;
  TSrcScrollBars scroll_bars_;
  TScrollBarAdapter scroll_bar_adapter_{*this, scroll_bars_};
  TWheelAccumulator wheel_;
  TSrcEditViewScrolling view_scrolling_{*this};
  std::unique_ptr<TSrcEditController> controller_;
  std::unique_ptr<TSrcEditInput> input_;
  // After model_: it observes the model and goes first.
  std::unique_ptr<TSrcEditAccessibility> accessibility_;
};

// The control as components publish it.
class TSrcEdit : public TCustomSrcEdit {
  Q_OBJECT

 public:
  using TCustomSrcEdit::TCustomSrcEdit;
};

}  // namespace torvane
