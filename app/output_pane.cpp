// Colouring the output pane's message lines and counting them.
#include "app/output_pane.h"

#include "app/assembler_messages.h"

namespace torvane {
namespace {

// Both keep at least 4.5:1 against a white pane.
const QColor kErrorColor(0xC0, 0x00, 0x00);
const QColor kWarningColor(0x9A, 0x5B, 0x00);

}  // namespace

void TOutputPaneHighlighter::highlightBlock(const QString& text) {
  const std::optional<TAssemblerMessage> message = ParseAssemblerMessage(text.toStdString());
  if (!message || message->Kind == TMessageKind::Note) {
    return;
  }
  setFormat(0, static_cast<int>(text.size()),
            message->Kind == TMessageKind::Error ? kErrorColor : kWarningColor);
}

TMessageCounts CountMessages(const QStringList& lines) {
  TMessageCounts counts;
  for (const QString& line : lines) {
    const std::optional<TAssemblerMessage> message = ParseAssemblerMessage(line.toStdString());
    if (message && message->Kind == TMessageKind::Error) {
      ++counts.Errors;
    } else if (message && message->Kind == TMessageKind::Warning) {
      ++counts.Warnings;
    }
  }
  return counts;
}

QString MessageSummary(const TMessageCounts& counts, bool binary_written,
                       const QString& binary_name) {
  QString summary =
      QStringLiteral("编译结束：%1 个错误，%2 个警告").arg(counts.Errors).arg(counts.Warnings);
  if (counts.Errors == 0 && binary_written) {
    summary += QStringLiteral("；已生成 %1").arg(binary_name);
  }
  return summary + QStringLiteral("。");
}

}  // namespace torvane
