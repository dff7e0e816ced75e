// The output pane's colours: NASM's error lines red, warning lines amber, the
// rest as the pane draws text; and the count of both after an assembly.
#pragma once

#include <QStringList>
#include <QSyntaxHighlighter>

namespace torvane {

class TOutputPaneHighlighter : public QSyntaxHighlighter {
 public:
  using QSyntaxHighlighter::QSyntaxHighlighter;

 protected:
  void highlightBlock(const QString& text) override;
};

struct TMessageCounts {
  int Errors = 0;
  int Warnings = 0;
};
TMessageCounts CountMessages(const QStringList& lines);
// "编译结束：2 个错误，1 个警告。"; with warnings only it adds that the binary
// was written when binary_written is set.
QString MessageSummary(const TMessageCounts& counts, bool binary_written,
                       const QString& binary_name);

}  // namespace torvane
