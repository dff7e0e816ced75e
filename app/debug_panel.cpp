// Registers, memory and stack while debugging.
#include "app/debug_panel.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVBoxLayout>

namespace torvane {
namespace {

constexpr int kMemoryRows = 8;
constexpr int kStackWords = 8;

std::optional<std::uint32_t> HexValue(QString text) {
  text = text.trimmed();
  if (text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) {
    text = text.mid(2);
  } else if (text.endsWith(QLatin1Char('h'), Qt::CaseInsensitive)) {
    text.chop(1);
  }
  bool ok = false;
  const uint value = text.toUInt(&ok, 16);
  return ok && !text.isEmpty() ? std::optional<std::uint32_t>(value) : std::nullopt;
}

}  // namespace

TDebugPanel::TDebugPanel(QWidget* parent) : QDockWidget(QStringLiteral("调试"), parent) {
  setObjectName(QStringLiteral("DebugPanel"));
  setFeatures(QDockWidget::DockWidgetMovable);
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  note_ = new QLabel(body);
  note_->setObjectName(QStringLiteral("DebugNote"));
  note_->setAccessibleName(QStringLiteral("调试状态"));
  note_->setWordWrap(true);
  note_->setAccessibleName(QStringLiteral("调试状态"));
  // Each part has an Alt key of its own (none the menu bar uses), and Tab
  // leaves the read-only views instead of going nowhere in them.
  auto* registers_label = new QLabel(QStringLiteral("寄存器(&G)："), body);
  registers_ = new QTextEdit(body);
  registers_->setObjectName(QStringLiteral("Registers"));
  registers_->setAccessibleName(QStringLiteral("寄存器"));
  registers_->setReadOnly(true);
  registers_->setFont(fixed);
  registers_->setTabChangesFocus(true);
  registers_label->setBuddy(registers_);
  decimal_ = new QCheckBox(QStringLiteral("十进制(&D)"), body);
  decimal_->setObjectName(QStringLiteral("Decimal"));
  decimal_->setAccessibleName(QStringLiteral("十进制"));
  auto* address_label = new QLabel(QStringLiteral("内存地址(&A)："), body);
  address_ = new QLineEdit(QStringLiteral("7C00"), body);
  address_->setObjectName(QStringLiteral("MemoryAddress"));
  address_->setAccessibleName(QStringLiteral("内存地址"));
  address_label->setBuddy(address_);
  memory_ = new QPlainTextEdit(body);
  memory_->setObjectName(QStringLiteral("Memory"));
  memory_->setAccessibleName(QStringLiteral("内存"));
  memory_->setReadOnly(true);
  memory_->setFont(fixed);
  memory_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memory_->setTabChangesFocus(true);
  auto* stack_label = new QLabel(QStringLiteral("堆栈 (SS:SP)(&K)："), body);
  stack_ = new QPlainTextEdit(body);
  stack_->setObjectName(QStringLiteral("Stack"));
  stack_->setAccessibleName(QStringLiteral("堆栈"));
  stack_->setReadOnly(true);
  stack_->setFont(fixed);
  stack_->setTabChangesFocus(true);
  stack_label->setBuddy(stack_);
  layout->addWidget(note_);
  layout->addWidget(registers_label);
  layout->addWidget(registers_, 3);
  layout->addWidget(decimal_);
  layout->addWidget(address_label);
  layout->addWidget(address_);
  layout->addWidget(memory_, 3);
  layout->addWidget(stack_label);
  layout->addWidget(stack_, 2);
  setWidget(body);
  connect(decimal_, &QCheckBox::toggled, this, [this] { Refresh(); });
  connect(address_, &QLineEdit::editingFinished, this, [this] { Refresh(); });
}

void TDebugPanel::SetNote(const QString& text) {
  note_->setText(text);
}

QString TDebugPanel::Note() const {
  return note_->text();
}

QString TDebugPanel::Number(std::uint32_t value, int hex_digits) const {
  if (decimal_->isChecked()) {
    return QString::number(value);
  }
  return QStringLiteral("%1").arg(value, hex_digits, 16, QLatin1Char('0')).toUpper();
}

std::optional<std::uint32_t> TDebugPanel::MemoryAddress(const QString& text,
                                                        const TX86Registers& r) const {
  const QString trimmed = text.trimmed();
  if (const qsizetype colon = trimmed.indexOf(QLatin1Char(':')); colon > 0) {
    const std::optional<std::uint32_t> segment = HexValue(trimmed.left(colon));
    const std::optional<std::uint32_t> offset = HexValue(trimmed.mid(colon + 1));
    if (!segment || !offset) {
      return std::nullopt;
    }
    if (!r.Protected) {
      return (*segment & 0xFFFF) * 16 + (*offset & 0xFFFF);
    }
    // A selector's base is known only while a segment register holds it.
    for (int k = xrCs; k <= xrGs; ++k) {
      const auto loaded = static_cast<TX86Register>(k);
      if ((r[loaded] & 0xFFFF) == (*segment & 0xFFFF)) {
        return r.Base(loaded) + *offset;
      }
    }
    return std::nullopt;
  }
  for (int i = 0; i < kX86RegisterCount; ++i) {
    const auto reg = static_cast<TX86Register>(i);
    if (trimmed.compare(QString::fromStdString(RegisterName(reg, false)), Qt::CaseInsensitive) !=
        0) {
      continue;
    }
    if (reg >= xrCs) {
      return r.Base(reg);
    }
    const TX86Register segment = reg == xrEsp || reg == xrEbp ? xrSs : reg == xrEip ? xrCs : xrDs;
    return r.Base(segment) + (r.Protected ? r[reg] : r[reg] & 0xFFFF);
  }
  if (LabelAddress) {
    if (const std::optional<std::uint32_t> label = LabelAddress(trimmed.toStdString())) {
      return label;
    }
  }
  return HexValue(trimmed);
}

void TDebugPanel::ShowStop(const TX86Registers& now, const std::optional<TX86Registers>& before) {
  now_ = now;
  before_ = before;
  Refresh();
}

void TDebugPanel::Refresh() {
  if (!now_) {
    return;
  }
  const TX86Registers& r = *now_;
  // 32-bit forms in protected mode, or once the program set any upper half.
  bool wide = r.Protected;
  for (int i = xrEax; i <= xrEflags; ++i) {
    wide = wide || (r.Values[static_cast<std::size_t>(i)] >> 16) != 0;
  }
  QString html = QStringLiteral("<pre>");
  for (int i = 0; i < kX86RegisterCount; ++i) {
    const auto reg = static_cast<TX86Register>(i);
    const bool changed = before_ && before_->Values[static_cast<std::size_t>(i)] != r[reg];
    const bool full = wide && reg <= xrEflags;
    const QString value = Number(full ? r[reg] : r[reg] & 0xFFFF, full ? 8 : 4);
    QString cell =
        QStringLiteral("%1=%2").arg(QString::fromStdString(RegisterName(reg, full)), -5).arg(value);
    if (changed) {
      cell = QStringLiteral("<span style=\"color:#c00000;font-weight:bold\">%1</span>").arg(cell);
    }
    html += cell + (i % 4 == 3 ? QStringLiteral("\n") : QStringLiteral("  "));
  }
  html += QStringLiteral("%1</pre>")
              .arg(QString::fromStdString(FlagNames(r[xrEflags])).toHtmlEscaped());
  registers_->setHtml(html);
  if (!ReadMemory) {
    return;
  }
  QString dump;
  if (const std::optional<std::uint32_t> at = MemoryAddress(address_->text(), r)) {
    try {
      const std::string bytes = ReadMemory(*at, kMemoryRows * 16);
      for (int row = 0; row < kMemoryRows; ++row) {
        QString hex;
        QString chars;
        for (int k = 0; k < 16; ++k) {
          const auto b = static_cast<unsigned char>(bytes[static_cast<std::size_t>(row * 16 + k)]);
          hex += QStringLiteral("%1 ").arg(b, 2, 16, QLatin1Char('0')).toUpper();
          chars += b >= 0x20 && b < 0x7F ? QChar(b) : QChar('.');
        }
        dump += QStringLiteral("%1  %2 %3\n")
                    .arg(*at + static_cast<std::uint32_t>(row * 16), 5, 16, QLatin1Char('0'))
                    .toUpper()
                    .arg(hex, chars);
      }
    } catch (const std::exception& error) {
      dump = QString::fromStdString(error.what());
    }
  } else {
    dump = QStringLiteral("地址无法识别：%1").arg(address_->text());
  }
  memory_->setPlainText(dump);
  QString stack;
  try {
    // A 32-bit stack holds double words.
    const int size = r.Protected && r.Segments.Stack32 ? 4 : 2;
    const std::string words =
        ReadMemory(r.LinearSp(), static_cast<std::size_t>(kStackWords * size));
    for (int k = 0; k < kStackWords; ++k) {
      std::uint32_t word = 0;
      for (int b = size - 1; b >= 0; --b) {
        word =
            word * 256 + static_cast<unsigned char>(words[static_cast<std::size_t>(k * size + b)]);
      }
      stack += QStringLiteral("%1+%2  %3\n")
                   .arg(size == 4 ? QStringLiteral("ESP") : QStringLiteral("SP"))
                   .arg(size * k, 2, 10, QLatin1Char('0'))
                   .arg(Number(word, 2 * size));
    }
  } catch (const std::exception& error) {
    stack = QString::fromStdString(error.what());
  }
  stack_->setPlainText(stack);
}

}  // namespace torvane
