// From the assembler's messages in the output pane to the lines they name:
// Enter or a double-click on a message line, and the next/previous message
// commands, put the caret at the start of that line and mark the message in
// the pane; a message about another file opens it first. Errors and
// warnings about the document in the editor get marks in the gutter until
// the next assembly.
#pragma once

#include <QObject>
#include <optional>
#include <string>

#include "app/assembler_messages.h"
#include "app/message_marks.h"

class QPainter;

namespace torvane {

class TFAsmEd;

class TMessageJumps : public QObject {
 public:
  explicit TMessageJumps(TFAsmEd& window);
  ~TMessageJumps() override;
  TMessageJumps(const TMessageJumps&) = delete;
  TMessageJumps& operator=(const TMessageJumps&) = delete;

  // An assembly of `source` begins: the old marks go.
  void AssemblyStarted(const std::string& source);
  // The pane shows the assembler's messages: marks for those about the
  // document in the editor.
  void AssemblyFinished();
  // The message after (before) the one marked in the pane, else after (before)
  // the pane's cursor; past the last (first) it starts again at the other end.
  void Next();
  void Previous();
  // Jumps to the message on 0-based pane line `block`; false when that line
  // holds none.
  bool JumpToPaneLine(int block);

  const TMessageMarks& Marks() const { return marks_; }
  // The message on a pane line, if any.
  std::optional<TAssemblerMessage> MessageOnPaneLine(int block) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Step(int direction);
  void MarkPaneLine(int block);
  void ShowMarksOfCurrentFile();
  void PaintMark(QPainter& painter, int line, int x, int top) const;
  std::string MessagePath(const TAssemblerMessage& message) const;

  TFAsmEd& window_;
  TMessageMarks marks_;
  // The file assembled, and where the assembler ran: message file names are
  // relative to it.
  std::string source_;
  std::string directory_;
};

}  // namespace torvane
