// The shared scroll-hint popup: a tooltip-style label created on first use
// and deleted with the application.
#include "view/scroll_hint.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QStyle>

#include "platform/gui/color.h"
#include "view/scroll_rules.h"

namespace torvane {
namespace {

constexpr int kHintMaxWidth = 200;
constexpr int kHintMaxLength = 255;

QPointer<QLabel>& Hint() {
  static QPointer<QLabel> hint;
  return hint;
}

QLabel& EnsureHint() {
  QPointer<QLabel>& hint = Hint();
  if (hint == nullptr) {
    hint =
        new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    hint->setAttribute(Qt::WA_ShowWithoutActivating);
    hint->setFocusPolicy(Qt::NoFocus);
    hint->setMargin(2);
    hint->setAutoFillBackground(true);
    // Top-level widgets must go before the application object does.
    qAddPostRoutine([] { delete Hint().data(); });
  }
  return *hint;
}

}  // namespace

void ShowScrollHint(QWidget& client, const QString& text, TColor color,
                    const TScrollHintPlace& place) {
  QLabel& hint = EnsureHint();
  QPalette palette = hint.palette();
  palette.setColor(QPalette::Window, ToQColor(color, QColor(Qt::yellow)));
  palette.setColor(QPalette::WindowText, ToQColor(clInfoText));
  hint.setPalette(palette);
  hint.setText(text.left(kHintMaxLength));
  // One line sized to the text; only a text wider than the limit breaks
  // into lines of at most that width.
  hint.setWordWrap(false);
  QSize size = hint.sizeHint();
  if (size.width() > kHintMaxWidth) {
    hint.setWordWrap(true);
    size = QSize(kHintMaxWidth, hint.heightForWidth(kHintMaxWidth));
  }
  hint.resize(size);
  const int arrow = client.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int x = client.width() - hint.width() - 4;
  const int y = ScrollHintY(place.Follows, arrow, client.height(), place.TrackPos, place.RangeMax,
                            hint.height());
  hint.move(client.mapToGlobal(QPoint(x, y)));
  hint.show();
  hint.repaint();
}

void HideScrollHint() {
  if (Hint() != nullptr) {
    Hint()->hide();
  }
}

QWidget* ScrollHintWindow() {
  return Hint().data();
}

}  // namespace torvane
