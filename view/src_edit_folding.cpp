// The editor control's code folding: its answer to option changes, the
// geometry the painters share, and the collapsed-code hint under the mouse.
#include <QTimer>

#include "platform/gui/color.h"
#include "view/src_edit.h"

namespace torvane {
namespace {

// With folding on the gutter keeps room for the fold bar right of the
// numbers.
constexpr int kFoldingRightOffset = 18;
// Lines of a block listed in the hint; more end in "...".
constexpr std::size_t kHintLines = 41;

std::string TabsExpanded(std::string_view text, int tab_width) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\t') {
      out.append(static_cast<std::size_t>(tab_width), ' ');
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

void TCustomSrcEdit::InitCodeFolding() {
  TSrcCodeFolding& options = model_.CodeFolding();
  options.SetColorResolver([](TColor color) { return ColorToRGB(color); });
  options.OnChange = nullptr;
  options.SetFolderBarLinesColor(clDefault);
  options.OnChange = [this](TSrcCodeFoldingChange change) { CodeFoldingChanged(change); };
}

void TCustomSrcEdit::CodeFoldingChanged(TSrcCodeFoldingChange change) {
  model_.CodeFoldingChanged(change);
  if (change == fcEnabled) {
    if (CodeFoldingEnabled() && gutter_.RightOffset() < kFoldingRightOffset) {
      gutter_.SetRightOffset(kFoldingRightOffset);
    }
    if (!CodeFoldingEnabled()) {
      HideCollapsedCodeHint();
    }
    LayoutGutter();
  }
  if (change != fcRefresh && hint_range_ != nullptr) {
    HideCollapsedCodeHint();
  }
  InvalidateAll();
}

TFoldPaintContext TCustomSrcEdit::FoldPaintContext() {
  TFoldPaintContext context;
  context.Model = &model_;
  context.GutterExtent = metrics_.GutterExtent();
  context.RowHeight = metrics_.RowHeight();
  context.ColumnWidth = metrics_.ColumnWidth();
  context.FirstVisibleRow = metrics_.FirstVisibleRow();
  context.FirstVisibleColumn = metrics_.FirstVisibleColumn();
  context.VisibleRows = metrics_.VisibleRows();
  context.ClientWidth = metrics_.ClientWidth();
  // Guides are in the text, which a side column moves right.
  context.GuideOrigin = gutter_.GutterPixelWidth(gutter_char_width_) + side_column_width_;
  return context;
}

QRect TCustomSrcEdit::CollapseMarkRect(const TSrcEditFoldRange& range, int line) const {
  return torvane::CollapseMarkRect(const_cast<TCustomSrcEdit*>(this)->FoldPaintContext(), range,
                                   line);
}

void TCustomSrcEdit::SetCollapsedCodeHint(ISrcCollapsedCodeHint* hint) {
  HideCollapsedCodeHint();
  collapsed_hint_ = hint;
}

void TCustomSrcEdit::HideCollapsedCodeHint() {
  if (hint_range_ == nullptr) {
    return;
  }
  hint_range_ = nullptr;
  viewport()->setCursor(Qt::IBeamCursor);
  if (collapsed_hint_ != nullptr) {
    collapsed_hint_->HideCollapsedCodeHint(*this);
  }
}

void TCustomSrcEdit::QueueCollapsedCodeHintCheck() {
  if (hint_check_queued_) {
    return;
  }
  hint_check_queued_ = true;
  // hint_range_ is only compared, never read: a rescan may have freed it.
  QTimer::singleShot(0, this, [this] {
    hint_check_queued_ = false;
    if (hint_range_ != nullptr && model_.Folds().CollapsedHeaderAt(hint_line_) != hint_range_) {
      HideCollapsedCodeHint();
    }
  });
}

void TCustomSrcEdit::UpdateCollapsedCodeHint(int x, int y) {
  const TSrcCodeFolding& options = model_.CodeFolding();
  if (!options.Enabled() || !options.CollapsedCodeHint() || model_.LineCount() == 0) {
    HideCollapsedCodeHint();
    return;
  }
  const int row = metrics_.FirstVisibleRow() + y / metrics_.RowHeight();
  const int line = row <= model_.Mapping().DisplayRowCount() ? model_.Mapping().LineOfRow(row) : 0;
  const TSrcEditFoldRange* range = line > 0 ? model_.Folds().CollapsedHeaderAt(line) : nullptr;
  if (range == nullptr) {
    HideCollapsedCodeHint();
    return;
  }
  const QRect mark =
      CollapseMarkRect(*range, line)
          .translated(-(metrics_.FirstVisibleColumn() - 1) * metrics_.ColumnWidth(), 0);
  if (mark.right() + 1 < 1 || !mark.contains(x, y)) {
    HideCollapsedCodeHint();
    return;
  }
  viewport()->setCursor(Qt::PointingHandCursor);
  if (hint_range_ == range) {
    return;  // moving within the mark shows the same list
  }
  HideCollapsedCodeHint();
  viewport()->setCursor(Qt::PointingHandCursor);
  hint_range_ = range;
  hint_line_ = line;
  if (collapsed_hint_ == nullptr) {
    return;
  }
  TCollapsedCodeHintRequest request;
  std::vector<std::string> block;
  model_.Folds().AppendExpandedLines(line, line, block);
  const int tab = model_.TabWidth();
  for (std::size_t i = 0; i < block.size() && i <= kHintLines; ++i) {
    request.Lines.push_back(TabsExpanded(block[i], tab));
  }
  if (block.size() > kHintLines + 1) {
    request.Lines.emplace_back("...");
  }
  const int below = (row - metrics_.FirstVisibleRow() + 1) * metrics_.RowHeight();
  const int scroll = (metrics_.FirstVisibleColumn() - 1) * metrics_.ColumnWidth();
  request.ScreenPos =
      viewport()->mapToGlobal(QPoint(metrics_.ColumnToX(0) + scroll + 2, below + 2));
  request.Font = QFont(font_.family());
  request.Font.setPointSizeF(font_.pointSizeF() > 0 ? font_.pointSizeF() : 10);
  if (font_.pixelSize() > 0) {
    request.Font.setPixelSize(font_.pixelSize());
  }
  collapsed_hint_->ShowCollapsedCodeHint(*this, request);
}

}  // namespace torvane
