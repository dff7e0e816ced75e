// The popup window: window flags per kind, sizing and placing on the
// desktop, painting in the three kinds and the close step.
#include "completion/proposal_form.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSizeGrip>
#include <algorithm>

#include "completion/completion_proposal.h"
#include "completion/formatted_text.h"
#include "platform/codepage.h"
#include "platform/gui/color.h"

namespace torvane {
namespace {

// The list's sizing frame when it can be resized, else a plain border.
constexpr int kSizingFrame = 3;
constexpr int kBorder = 1;

constexpr Qt::WindowFlags kHintFlags =
    Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;
constexpr Qt::WindowFlags kListFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) {
      return parts;
    }
    start = comma + 1;
  }
}

}  // namespace

TSrcBaseCompletionProposalForm::TSrcBaseCompletionProposalForm(TSrcBaseCompletionProposal& owner)
    : QWidget(nullptr, kListFlags),
      owner_(owner),
      scroll_bar_(new QScrollBar(Qt::Vertical, this)),
      size_grip_(new QSizeGrip(this)) {
  setObjectName(QStringLiteral("SrcBaseCompletionProposalForm"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  scroll_bar_->setFocusPolicy(Qt::NoFocus);
  scroll_bar_->hide();
  size_grip_->hide();
  connect(scroll_bar_, &QScrollBar::valueChanged, this, [this](int value) {
    list_.SetTopIndex(value);
    update();
  });
  list_.OnChange = [this](int item_index) {
    if (owner_.OnChange) {
      owner_.OnChange(owner_, item_index);
    }
  };
  SetDisplayType(ctHint);
}

TSrcBaseCompletionProposalForm::~TSrcBaseCompletionProposalForm() = default;

void TSrcBaseCompletionProposalForm::SetDisplayType(SrcCompletionType kind) {
  display_type_ = kind;
  const bool list = kind == ctCode;
  const Qt::WindowFlags flags = list ? kListFlags : kHintFlags;
  if (windowFlags() != flags) {
    setWindowFlags(flags);  // hides a visible window
  }
  // The hint and parameter kinds must never take the keyboard from the editor.
  setAttribute(Qt::WA_ShowWithoutActivating, !list);
  setFocusPolicy(list ? Qt::StrongFocus : Qt::NoFocus);
}

int TSrcBaseCompletionProposalForm::FrameWidth() const {
  if (display_type_ != ctCode) {
    return 0;
  }
  return owner_.Resizeable() ? kSizingFrame : kBorder;
}

void TSrcBaseCompletionProposalForm::Measure() {
  const QFontMetrics metrics(owner_.Font());
  font_height_ = metrics.height();
  item_height_ = owner_.ItemHeight() > 0 ? owner_.ItemHeight() : font_height_;
  title_height_ = owner_.Title().empty() ? 0 : QFontMetrics(owner_.TitleFont()).height() + 4;
}

std::string TSrcBaseCompletionProposalForm::FormatParameterItem(int index,
                                                                const std::string& item) const {
  std::vector<std::string> parts = SplitAtCommas(item);
  int level = 0;
  int current = current_parameter_;
  char end_token = ',';
  std::string display;
  if (owner_.OnParameterToken) {
    owner_.OnParameterToken(owner_, index, level, current, end_token, display);
    if (!display.empty()) {
      return display;
    }
  }
  std::string result;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) {
      result += ',';
    }
    if (static_cast<int>(i) == current) {
      result += "\\style{+B}" + parts[i] + "\\style{-B}";
    } else {
      result += parts[i];
    }
  }
  return result;
}

void TSrcBaseCompletionProposalForm::PlaceProposalForm(int x, int y) {
  int width = 0;
  int height = 0;
  const int margin = owner_.Margin();
  switch (display_type_) {
    case ctCode:
      width = owner_.Width();
      height = item_height_ * owner_.NbLinesInWindow() + title_height_ + 2 * FrameWidth();
      break;
    case ctHint:
    case ctParams: {
      height = list_.Count() * item_height_ + 2 + 2 * margin;
      int widest = 0;
      for (int i = 0; i < list_.Count(); ++i) {
        const std::string& text = list_.Displayed()[static_cast<std::size_t>(i)].Text;
        int item_width = 0;
        if (display_type_ == ctHint) {
          item_width = MeasureFormattedText(owner_.Font(), text, nullptr, owner_.Images());
        } else {
          for (const std::string& part : SplitAtCommas(FormatParameterItem(i, text))) {
            item_width = std::max(
                item_width,
                MeasureFormattedText(owner_.Font(), part, &owner_.Columns(), owner_.Images()));
          }
          if (owner_.OnMeasureItem) {
            owner_.OnMeasureItem(owner_, i, owner_.Font(), item_width);
          }
        }
        widest = std::max(widest, item_width);
      }
      width = widest + 2 * margin + 2;
      break;
    }
  }
  width = std::max(width, 1);
  height = std::max(height, 1);
  const QScreen* screen = QGuiApplication::screenAt(QPoint(x, y));
  if (screen == nullptr) {
    screen = QGuiApplication::primaryScreen();
  }
  if (screen != nullptr) {
    const QRect desktop = screen->availableGeometry();
    const int right = desktop.x() + desktop.width();
    const int bottom = desktop.y() + desktop.height();
    if (x + width > right) {
      x = std::max(right - width - 5, desktop.x());
    }
    if (y + height > bottom) {
      // Opens above the point instead.
      y = std::max(y - height - 2, desktop.y());
    }
  }
  setGeometry(x, y, width, height);
}

void TSrcBaseCompletionProposalForm::ShowList() {
  scroll_bar_->show();
  size_grip_->setVisible(owner_.Resizeable());
  SyncScrollBar();
  show();
  raise();
  activateWindow();
  setFocus(Qt::PopupFocusReason);
}

void TSrcBaseCompletionProposalForm::ShowHint() {
  scroll_bar_->hide();
  size_grip_->hide();
  show();
  update();
}

void TSrcBaseCompletionProposalForm::CloseForm() {
  if (!isVisible()) {
    return;
  }
  hide();
  if (display_type_ == ctCode) {
    owner_.SetWidth(width());
    owner_.SetNbLinesInWindow(list_.VisibleLines());
  }
  owner_.FormClosed();
  if (owner_.OnClose) {
    owner_.OnClose(owner_);
  }
}

QRect TSrcBaseCompletionProposalForm::ItemsRect() const {
  const int frame = FrameWidth();
  const int bar = scroll_bar_->isVisibleTo(this) ? scroll_bar_->sizeHint().width() : 0;
  return QRect(frame, frame + title_height_, std::max(width() - 2 * frame - bar, 0),
               std::max(height() - 2 * frame - title_height_, 0));
}

void TSrcBaseCompletionProposalForm::SyncScrollBar() {
  const QRect items = ItemsRect();
  const int bar = scroll_bar_->sizeHint().width();
  const int grip = size_grip_->isVisibleTo(this) ? size_grip_->sizeHint().height() : 0;
  scroll_bar_->setGeometry(items.right() + 1, items.top(), bar, std::max(items.height() - grip, 0));
  size_grip_->move(width() - size_grip_->sizeHint().width(),
                   height() - size_grip_->sizeHint().height());
  if (item_height_ > 0) {
    list_.SetVisibleLines(items.height() / item_height_);
  }
  const QSignalBlocker block(scroll_bar_);
  scroll_bar_->setRange(0, std::max(list_.Count() - list_.VisibleLines(), 0));
  scroll_bar_->setPageStep(list_.VisibleLines());
  scroll_bar_->setValue(list_.TopIndex());
}

void TSrcBaseCompletionProposalForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (display_type_ == ctCode) {
    SyncScrollBar();
  }
}

void TSrcBaseCompletionProposalForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (display_type_ == ctCode) {
    PaintList(painter);
  } else {
    PaintHint(painter);
  }
}

void TSrcBaseCompletionProposalForm::PaintHint(QPainter& painter) {
  const QPalette& palette = this->palette();
  const QRect area = rect();
  painter.fillRect(area, ToQColor(owner_.ClBackground(), palette));
  painter.setPen(ToQColor(cl3DLight, palette));
  painter.drawLine(area.topLeft(), area.topRight());
  painter.drawLine(area.topLeft(), area.bottomLeft());
  painter.setPen(ToQColor(cl3DDkShadow, palette));
  painter.drawLine(area.bottomLeft(), area.bottomRight());
  painter.drawLine(area.topRight(), area.bottomRight());
  painter.setFont(owner_.Font());
  const int margin = owner_.Margin();
  for (int i = 0; i < list_.Count(); ++i) {
    const int top = margin + i * item_height_ + (item_height_ - font_height_) / 2;
    const QRect item_rect(QPoint(margin + 1, top),
                          QPoint(area.width() - 2, margin + (i + 1) * item_height_ - 1));
    bool custom_draw = false;
    if (owner_.OnPaintItem) {
      owner_.OnPaintItem(owner_, i, painter, item_rect, custom_draw);
    }
    if (custom_draw) {
      continue;
    }
    painter.setPen(ToQColor(owner_.FontColor(), palette));
    const std::string& text = list_.Displayed()[static_cast<std::size_t>(i)].Text;
    if (display_type_ == ctParams) {
      DrawFormattedText(painter, item_rect, FormatParameterItem(i, text), owner_.Images(),
                        &owner_.Columns(), false);
    } else {
      DrawFormattedText(painter, item_rect, text, owner_.Images(), nullptr, false);
    }
  }
}

void TSrcBaseCompletionProposalForm::PaintList(QPainter& painter) {
  const QPalette& palette = this->palette();
  const QColor background = ToQColor(owner_.ClBackground(), palette);
  painter.fillRect(rect(), ToQColor(clBtnFace, palette));
  painter.setPen(ToQColor(clBtnShadow, palette));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  const int frame = FrameWidth();
  if (title_height_ > 0) {
    const QRect band(frame, frame, width() - 2 * frame, title_height_);
    painter.fillRect(band, ToQColor(owner_.ClTitleBackground(), palette));
    painter.setFont(owner_.TitleFont());
    painter.setPen(ToQColor(owner_.TitleFontColor(), palette));
    const QString title = DecodeText(owner_.Title());
    const QFontMetrics metrics(owner_.TitleFont());
    int x = band.left() + 2;
    if (owner_.Options().Has(scoTitleIsCentered)) {
      x = std::max(band.left() + (band.width() - metrics.horizontalAdvance(title)) / 2, 2);
    }
    painter.drawText(x, band.top() + 2 + metrics.ascent(), title);
  }
  const QRect items = ItemsRect();
  painter.fillRect(items, background);
  painter.setClipRect(items);
  painter.setFont(owner_.Font());
  const QFontMetrics metrics(owner_.Font());
  const bool pretty = owner_.Options().Has(scoUsePrettyText);
  for (int row = 0; row <= list_.VisibleLines(); ++row) {
    const int index = list_.TopIndex() + row;
    if (index >= list_.Count()) {
      break;
    }
    const QRect row_rect(items.left(), items.top() + row * item_height_, items.width(),
                         item_height_);
    const bool selected = index == list_.Position();
    painter.fillRect(row_rect, selected ? ToQColor(owner_.ClSelect(), palette) : background);
    bool custom_draw = false;
    if (owner_.OnPaintItem) {
      owner_.OnPaintItem(owner_, index, painter, row_rect, custom_draw);
    }
    if (custom_draw) {
      continue;
    }
    painter.setPen(ToQColor(selected ? owner_.ClSelectedText() : owner_.FontColor(), palette));
    const std::string& text = list_.Displayed()[static_cast<std::size_t>(index)].Text;
    const int top = row_rect.top() + (item_height_ - font_height_) / 2;
    if (pretty) {
      DrawFormattedText(painter,
                        QRect(QPoint(row_rect.left() + owner_.Margin(), top),
                              QPoint(row_rect.right(), row_rect.bottom())),
                        text, owner_.Images(), &owner_.Columns(), selected);
    } else {
      painter.drawText(row_rect.left() + owner_.Margin(), top + metrics.ascent(), DecodeText(text));
    }
  }
}

void TSrcBaseCompletionProposalForm::SelectAndNotify(int position) {
  if (list_.SelectPosition(position)) {
    if (isVisible() && owner_.OnChange) {
      owner_.OnChange(owner_, list_.SelectedItemIndex());
    }
    SyncScrollBar();
  }
  update();
}

void TSrcBaseCompletionProposalForm::mousePressEvent(QMouseEvent* event) {
  if (display_type_ != ctCode || item_height_ <= 0) {
    return;
  }
  const QRect items = ItemsRect();
  const QPoint p = event->position().toPoint();
  if (items.contains(p)) {
    SelectAndNotify(list_.TopIndex() + (p.y() - items.top()) / item_height_);
  }
}

void TSrcBaseCompletionProposalForm::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
  if (display_type_ == ctCode && list_.Count() > 0) {
    owner_.CompleteFromForm(0, 0);
  }
}

void TSrcBaseCompletionProposalForm::wheelEvent(QWheelEvent* event) {
  if (display_type_ == ctCode) {
    const int notches = event->angleDelta().y() / 120;
    scroll_bar_->setValue(scroll_bar_->value() - 3 * notches);
  }
}

}  // namespace torvane
