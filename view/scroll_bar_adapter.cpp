// Scroll information in terms of QScrollBar: the value runs from nMin to
// nMax - nPage + 1, so the last page ends at nMax.
#include "view/scroll_bar_adapter.h"

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <algorithm>

namespace torvane {

QScrollBar* TScrollBarAdapter::QtBar(int bar) const {
  if (bar == SB_VERT) {
    return area_.verticalScrollBar();
  }
  if (bar == SB_HORZ) {
    return area_.horizontalScrollBar();
  }
  return nullptr;
}

const TSrcEditScrollBar* TScrollBarAdapter::CustomBar(int bar) const {
  if (bar == SB_VERT) {
    return settings_.Vertical();
  }
  if (bar == SB_HORZ) {
    return settings_.Horizontal();
  }
  return nullptr;
}

bool TScrollBarAdapter::GetScrollInfo(int bar, TScrollInfo& info) const {
  if (!UsesQtBars()) {
    const TSrcEditScrollBar* custom = CustomBar(bar);
    return custom != nullptr && custom->GetScrollInfo(info);
  }
  const QScrollBar* q = QtBar(bar);
  if (q == nullptr) {
    return false;
  }
  info.nMin = q->minimum();
  info.nPage = static_cast<std::uint32_t>(std::max(q->pageStep(), 0));
  info.nMax = q->maximum() + std::max(q->pageStep(), 1) - 1;
  info.nPos = q->value();
  info.nTrackPos = q->sliderPosition();
  return true;
}

int TScrollBarAdapter::SetScrollInfo(int bar, const TScrollInfo& info, bool redraw) {
  if (!UsesQtBars()) {
    const TSrcEditScrollBar* custom = CustomBar(bar);
    return custom != nullptr ? custom->SetScrollInfo(info, redraw) : 0;
  }
  QScrollBar* q = QtBar(bar);
  if (q == nullptr) {
    return 0;
  }
  // Programmatic changes are not scroll requests of the user.
  const QSignalBlocker block(q);
  const int page = static_cast<int>(std::min<std::uint32_t>(info.nPage, 0x7FFFFFFF));
  if ((info.fMask & SIF_RANGE) != 0) {
    const int top = info.nMax - std::max(page, 1) + 1;
    q->setRange(info.nMin, std::max(info.nMin, top));
  }
  if ((info.fMask & SIF_PAGE) != 0) {
    q->setPageStep(std::max(page, 1));
  }
  if ((info.fMask & SIF_POS) != 0) {
    q->setValue(info.nPos);
  }
  return q->value();
}

bool TScrollBarAdapter::ShowScrollBar(int bar, bool show) {
  if (!UsesQtBars()) {
    const TSrcEditScrollBar* custom = CustomBar(bar);
    return custom != nullptr && custom->ShowScrollBar(show);
  }
  const Qt::ScrollBarPolicy policy = show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
  if (bar == SB_VERT) {
    if (area_.verticalScrollBarPolicy() != policy) {
      area_.setVerticalScrollBarPolicy(policy);
    }
    return true;
  }
  if (bar == SB_HORZ) {
    if (area_.horizontalScrollBarPolicy() != policy) {
      area_.setHorizontalScrollBarPolicy(policy);
    }
    return true;
  }
  return false;
}

bool TScrollBarAdapter::EnableScrollBar(int bar, int arrows) {
  if (!UsesQtBars()) {
    const TSrcEditScrollBar* custom = CustomBar(bar);
    return custom != nullptr && custom->EnableScrollBar(arrows);
  }
  QScrollBar* q = QtBar(bar);
  if (q == nullptr) {
    return false;
  }
  // A Qt bar cannot disable one arrow; it is disabled only as a whole.
  q->setEnabled(arrows != ESB_DISABLE_BOTH);
  return true;
}

void TScrollBarAdapter::StyleChanged() {
  if (!UsesQtBars()) {
    area_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area_.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
}

}  // namespace torvane
