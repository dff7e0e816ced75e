// The message dialog: layout in pixels, keys, clipboard copy, and the
// functions that show it through the dialog service.
#include "platform/gui/message_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <iterator>

#include "platform/errors.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/error_box.h"
#include "platform/virtual_keys.h"

namespace torvane {
namespace {

constexpr int kIconSize = 32;
constexpr int kMessageLeft = 64;
constexpr int kMessageTop = 16;
constexpr int kMessageMinHeight = 32;
constexpr int kButtonHeight = 23;
constexpr int kButtonMinWidth = 80;
constexpr int kButtonTextPadding = 20;
constexpr int kButtonGapBelowMessage = 15;
constexpr int kButtonSpacing = 3;  // in the row width the dialog is sized for
constexpr int kButtonStep = 4;     // between buttons as they are placed

// The label breaks lines at '\n' only; the copied text keeps the original breaks.
QString DisplayText(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

// Kinds past the four icons (including the unused values up to 127) show none.
QPixmap KindIcon(const QStyle& style, int kind, const QWidget* widget) {
  static constexpr QStyle::StandardPixmap kIcons[] = {
      QStyle::SP_MessageBoxWarning,
      QStyle::SP_MessageBoxCritical,
      QStyle::SP_MessageBoxInformation,
      QStyle::SP_MessageBoxQuestion,
  };
  const int index = kind & 0x7F;
  if (index >= static_cast<int>(std::size(kIcons))) {
    return QPixmap();
  }
  return style.standardIcon(kIcons[index], nullptr, widget).pixmap(kIconSize, kIconSize);
}

bool IsCopyChord(const QKeyEvent& event) {
  return VirtualKeyFromQt(event.key(), event.modifiers(), event.nativeScanCode()) == 'C' &&
         ShiftStateFromQt(event.modifiers()) == ssCtrl;
}

}  // namespace

TMessageDialog::TMessageDialog(const QString& text, int kind, const QStringList& captions,
                               int default_index, int cancel_index)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      text_(text) {
  setFont(QApplication::font("QMessageBox"));
  setSizeGripEnabled(false);

  icon_ = new QLabel(this);
  icon_->setGeometry(16, 16, kIconSize, kIconSize);
  icon_->setAlignment(Qt::AlignCenter);
  icon_->setPixmap(KindIcon(*style(), kind, this));

  message_ = new QLabel(this);
  message_->setTextFormat(Qt::PlainText);
  message_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  message_->setText(DisplayText(text));
  message_->adjustSize();
  message_->setGeometry(kMessageLeft, kMessageTop, message_->width(),
                        std::max(kMessageMinHeight, message_->height()));

  const int button_top = message_->y() + message_->height() + kButtonGapBelowMessage;
  const QFontMetrics metrics(font());
  int row = 0;  // running sum of button width + spacing
  for (qsizetype i = 0; i < captions.size(); ++i) {
    auto* button = new QPushButton(captions[i], this);
    const int width =
        std::max(kButtonMinWidth, metrics.horizontalAdvance(captions[i]) + kButtonTextPadding);
    button->setGeometry(0, button_top, width, kButtonHeight);
    if (i == default_index) {
      default_button_ = button;
      button->setDefault(true);
    } else if (i == cancel_index) {
      cancel_button_ = button;
    }
    const int result = static_cast<int>(i) + 1;
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    button->installEventFilter(this);
    buttons_.push_back(button);
    row += width + kButtonSpacing;
  }
  const int row_width = row - kButtonSpacing;
  const int client_width = std::max(row_width, message_->width() + 48) + 32;
  const int client_height = message_->y() + message_->height() + kButtonHeight + 31;
  setFixedSize(client_width, client_height);

  int left = (client_width - row_width) / 2;
  for (QPushButton* button : buttons_) {
    button->move(left, button_top);
    left += button->width() + kButtonStep;
  }
  // Enter presses the focused button, so the default one starts with focus.
  if (default_button_ != nullptr) {
    default_button_->setFocus();
  }
}

void TMessageDialog::PlaceAt(int x, int y) {
  QPoint place = pos();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    const QSize frame = frameGeometry().size();
    place = QPoint(area.x() + (area.width() - frame.width()) / 2,
                   area.y() + (area.height() - frame.height()) / 2);
  }
  if (x >= 0) {
    place.setX(x);
  }
  if (y >= 0) {
    place.setY(y);
  }
  move(place);
}

void TMessageDialog::AttachHelp(const QString& help_file, int help_context, int help_index) {
  if (help_index < 0 || help_index > 255 || help_index >= static_cast<int>(buttons_.size())) {
    return;
  }
  help_button_ = buttons_[static_cast<std::size_t>(help_index)];
  help_file_ = help_file;
  help_context_ = help_context;
}

QString TMessageDialog::DialogText() const {
  const QString rule = QString(27, QLatin1Char('-')) + QStringLiteral("\r\n");
  QString button_text;
  for (const QPushButton* button : buttons_) {
    button_text += button->text() + QStringLiteral("   ");
  }
  button_text.remove(QLatin1Char('&'));
  return rule + windowTitle() + QStringLiteral("\r\n") + rule + text_ + QStringLiteral("\r\n") +
         rule + button_text + QStringLiteral("\r\n") + rule;
}

void TMessageDialog::CopyDialogText() {
  Dialogs().Beep();
  PutOnClipboard(DialogText());
}

void TMessageDialog::PutOnClipboard(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) {
    throw ESrcError("Cannot open clipboard");
  }
  clipboard->setText(text);
  // The platform reports no failure of its own; a clipboard that does not
  // hold the text afterwards was not ours to write.
  if (clipboard->text() != text) {
    throw ESrcError("Cannot open clipboard");
  }
}

void TMessageDialog::reject() {
  done(mrCancel);
}

bool TMessageDialog::HandleKey(QKeyEvent* event) {
  if (IsCopyChord(*event)) {
    // A clipboard failure shows the error box; the dialog stays open.
    RunGuarded(this, [this] { CopyDialogText(); });
    return true;
  }
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    // Without a cancel button Escape does nothing at all.
    if (cancel_button_ != nullptr) {
      cancel_button_->click();
    }
    return true;
  }
  return false;
}

void TMessageDialog::keyPressEvent(QKeyEvent* event) {
  if (!HandleKey(event)) {
    QDialog::keyPressEvent(event);
  }
}

// The buttons' keys come here first, so Ctrl+C and Escape work whichever
// button has the focus.
bool TMessageDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (IsCopyChord(*key)) {
      key->accept();
      return true;
    }
  } else if (event->type() == QEvent::KeyPress) {
    if (HandleKey(static_cast<QKeyEvent*>(event))) {
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

int ShowMessageDialog(const QString& text, const QString& title, int kind,
                      const QStringList& captions, int default_index, int cancel_index,
                      const QString& help_file, int help_context, int help_index, int x, int y) {
  TMessageDialog dialog(text, kind, captions, default_index, cancel_index);
  dialog.setWindowTitle(title);
  dialog.AttachHelp(help_file, help_context, help_index);
  dialog.PlaceAt(x, y);
  return Dialogs().ExecForm(dialog);
}

void ShowInfoMessage(const QString& text) {
  ShowMessageDialog(text, QGuiApplication::applicationDisplayName(), mdkInformation,
                    {QStringLiteral("确定(&O)")}, 0, -1, QString(), 0, -1, -1, -1);
}

}  // namespace torvane
