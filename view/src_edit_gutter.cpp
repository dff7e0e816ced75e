// The editor control's gutter: its layout in answer to setting changes,
// painting it through the gutter painter, and clicks in it.
#include <QMouseEvent>
#include <algorithm>

#include "platform/gui/color.h"
#include "view/src_edit.h"
#include "view/text_drawer.h"

namespace torvane {
namespace {

// A press this close right of the gutter still counts as a gutter press.
constexpr int kGutterPressSlack = 2;

}  // namespace

void TCustomSrcEdit::InitGutterAndScrolling() {
  gutter_char_width_ = metrics_.ColumnWidth();
  gutter_.OnChange = [this] { LayoutGutter(); };
  bookmark_options_.OnChange = [this] {
    model_.SetBookmarkKeys(bookmark_options_.EnableKeys());
    MarkGutterLinesDirty(-1, -1);
  };
  active_line_indicator_.OnChange = [this] { MarkGutterLinesDirty(-1, -1); };
  scroll_bars_.OnChange = [this] { ScrollBarsStyleChanged(); };
  ConnectScrollBars();
}

void TCustomSrcEdit::LayoutGutter() {
  // Raising RightOffset below notifies again; the outer pass goes on with it.
  if (laying_out_gutter_) {
    return;
  }
  laying_out_gutter_ = true;
  const TGutterLayout layout = ComputeGutterLayout(
      gutter_, LastShownLineNumber(), CodeFoldingEnabled(), metrics_.ColumnWidth(), [this] {
        drawer_->SetBaseFont(&gutter_.Font());
        const int width = drawer_->GridWidth();
        drawer_->SetBaseFont(&font_);
        return width;
      });
  laying_out_gutter_ = false;
  gutter_char_width_ = layout.CharWidth;
  // A side column takes room at the gutter's right, before the text.
  side_column_widths_.clear();
  side_column_width_ = 0;
  for (const ISrcEditSideColumn* column : side_columns_) {
    side_column_widths_.push_back(std::max(column->Width(*this), 0));
    side_column_width_ += side_column_widths_.back();
  }
  const int extent = layout.Width + side_column_width_;
  if (extent == metrics_.GutterExtent()) {
    MarkGutterLinesDirty(-1, -1);
  } else {
    SetGutterExtent(extent);
  }
}

void TCustomSrcEdit::SetSideColumn(ISrcEditSideColumn* column) {
  side_columns_.clear();
  if (column != nullptr) {
    side_columns_.push_back(column);
  }
  SideColumnChanged();
}

void TCustomSrcEdit::AddSideColumn(ISrcEditSideColumn* column, bool leftmost) {
  if (column == nullptr ||
      std::find(side_columns_.begin(), side_columns_.end(), column) != side_columns_.end()) {
    return;
  }
  side_columns_.insert(leftmost ? side_columns_.begin() : side_columns_.end(), column);
  SideColumnChanged();
}

void TCustomSrcEdit::RemoveSideColumn(ISrcEditSideColumn* column) {
  const auto it = std::find(side_columns_.begin(), side_columns_.end(), column);
  if (it != side_columns_.end()) {
    side_columns_.erase(it);
    SideColumnChanged();
  }
}

int TCustomSrcEdit::SideColumnLeft(const ISrcEditSideColumn* column) const {
  int left = metrics_.GutterExtent() - side_column_width_;
  for (std::size_t i = 0; i < side_columns_.size() && i < side_column_widths_.size(); ++i) {
    if (side_columns_[i] == column) {
      return left;
    }
    left += side_column_widths_[i];
  }
  return -1;
}

int TCustomSrcEdit::SideColumnWidthOf(const ISrcEditSideColumn* column) const {
  for (std::size_t i = 0; i < side_columns_.size() && i < side_column_widths_.size(); ++i) {
    if (side_columns_[i] == column) {
      return side_column_widths_[i];
    }
  }
  return 0;
}

void TCustomSrcEdit::SideColumnChanged() {
  LayoutGutter();
}

void TCustomSrcEdit::PaintSideColumn(QPainter& painter, const QRect& clip, int first_row,
                                     int last_row) {
  const int row_height = metrics_.RowHeight();
  const TPositionMapping& mapping = model_.Mapping();
  const int rows = mapping.DisplayRowCount();
  int left = metrics_.GutterExtent() - side_column_width_;
  for (std::size_t i = 0; i < side_columns_.size() && i < side_column_widths_.size(); ++i) {
    const int width = side_column_widths_[i];
    const QRect area = QRect(left, clip.top(), width, clip.height()) & clip;
    if (!area.isEmpty()) {
      const int bottom = area.top() + area.height();
      int row = std::max(metrics_.FirstVisibleRow() + area.top() / row_height, first_row);
      for (int y = metrics_.RowToY(row); y < bottom; ++row, y += row_height) {
        const int line = row <= rows && row <= std::max(last_row, 0) ? mapping.LineOfRow(row) : 0;
        const bool first = line > 0 && mapping.RowOfLine(line) == row;
        side_columns_[i]->PaintRow(*this, painter, QRect(left, y, width, row_height), line, first);
      }
    }
    left += width;
  }
}

int TCustomSrcEdit::LastShownLineNumber() const {
  const int count = model_.LineCount();
  return count > 0 ? model_.Folds().ExpandedLineNumber(count) : 0;
}

void TCustomSrcEdit::PaintGutter(QPainter& painter, const QRect& rect, int first_row,
                                 int last_row) {
  TGutterPaintContext context;
  context.Model = &model_;
  context.Gutter = &gutter_;
  context.BookMarkOptions = &bookmark_options_;
  context.Drawer = drawer_.get();
  context.EditorFont = &font_;
  context.EditorFontColor = font_color_;
  context.GutterExtent = metrics_.GutterExtent() - side_column_width_;
  context.RowHeight = metrics_.RowHeight();
  context.FirstVisibleRow = metrics_.FirstVisibleRow();
  context.ClientHeight = metrics_.ClientHeight();
  context.GutterCharWidth = gutter_char_width_;
  context.CodeFolding = CodeFoldingEnabled();
  if (active_line_.Visible() && active_line_indicator_.Visible()) {
    context.ActiveLineIndicator = &active_line_indicator_;
  }
  if (model_.WordWrapActive() && word_wrap_.Indicator().Visible()) {
    context.WrapIndicator = &word_wrap_.Indicator();
  }
  if (context.CodeFolding) {
    const TSrcCodeFolding& folding = model_.CodeFolding();
    context.FolderBarColor = folding.FolderBarColor() == clDefault
                                 ? ShiftLightness(ColorToRGB(clBtnFace), 5)
                                 : folding.FolderBarColor();
    if (model_.Folds().CollapsedCount() > 0) {
      context.HiddenLinesBefore = [this](int line) {
        return model_.Folds().ExpandedLineNumber(line) - line;
      };
    }
  }
  if (OnGutterGetText) {
    context.GetText = [this](int line, std::string& text) { OnGutterGetText(*this, line, text); };
  }
  if (OnGutterPaint) {
    context.LinePainted = [this](int line, int x, int y) { OnGutterPaint(*this, line, x, y); };
  }
  if (OnGutterPaintMarks) {
    context.PaintLineMarks = [this](QPainter& painter, int line, int x, int top) {
      OnGutterPaintMarks(*this, painter, line, x, top);
    };
  }
  gutter_painter_.PaintGutterArea(painter, rect, first_row, last_row, context);
}

void TCustomSrcEdit::HandleGutterClick(Qt::MouseButton button, int x, int y) {
  const int extent = metrics_.GutterExtent() - side_column_width_;
  if (x >= extent) {
    return;  // the side column's, which has no clicks
  }
  const int row = metrics_.FirstVisibleRow() + y / metrics_.RowHeight();
  if (CodeFoldingEnabled() && x >= extent - kFoldBarWidth && model_.LineCount() > 0) {
    if (row <= model_.Mapping().DisplayRowCount() &&
        controller_->ToggleFoldAt(model_.Mapping().LineOfRow(row))) {
      InvalidateAll();
    }
    return;
  }
  if (!OnGutterClick) {
    return;
  }
  const int line = model_.Mapping().LineOfRow(row);
  if (line < 1 || line > model_.LineCount()) {
    return;
  }
  TSrcEditMarks marks;
  const int count = model_.Marks().CollectLineMarks(line, marks);
  TSrcEditMark* clicked = nullptr;
  int sum = 0;
  for (int i = 0; i < count; ++i) {
    sum += bookmark_options_.Xoffset();
    if (x < sum) {
      clicked = marks[static_cast<std::size_t>(i)];
      break;
    }
  }
  OnGutterClick(*this, button, x, y, line, clicked, x < extent - kFoldBarWidth);
}

void TCustomSrcEdit::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  gutter_click_pending_ = false;
  if (p.x() < metrics_.GutterExtent() + kGutterPressSlack) {
    if (event->button() == Qt::RightButton) {
      HandleGutterClick(event->button(), p.x(), p.y());
    } else if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
      gutter_click_pending_ = true;
    }
    event->accept();
    return;
  }
  QAbstractScrollArea::mousePressEvent(event);
}

void TCustomSrcEdit::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (gutter_click_pending_) {
    gutter_click_pending_ = false;
    if (p.x() < metrics_.GutterExtent()) {
      HandleGutterClick(event->button(), p.x(), p.y());
    }
    event->accept();
    return;
  }
  QAbstractScrollArea::mouseReleaseEvent(event);
}

}  // namespace torvane
