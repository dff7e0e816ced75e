// 编辑 > 展开宏 (Ctrl+Shift+M): the lines the macro call on the caret's line
// expands to, from NASM itself. The text as it stands goes to a temporary
// copy that NASM preprocesses into a listing (-Le) in the source's
// directory (so includes resolve as in a real run), with every product in
// the temporary folder: the document, its files and the assemble command
// are untouched. The lines show in the completion's hint under the line
// until the next key or click.
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

class QAction;

namespace torvane {

class TFAsmEd;
class TProposalHint;

class TMacroExpansion : public QObject {
 public:
  explicit TMacroExpansion(TFAsmEd& window);
  ~TMacroExpansion() override;
  TMacroExpansion(const TMacroExpansion&) = delete;
  TMacroExpansion& operator=(const TMacroExpansion&) = delete;

  QAction* Action() const { return action_; }
  // Runs NASM on a copy and shows the caret line's expansion; returns the
  // lines shown (a line saying there is none when the line expands to
  // nothing or NASM could not run).
  std::vector<std::string> ShowExpansion();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TFAsmEd& window_;
  QAction* action_ = nullptr;
  std::unique_ptr<TProposalHint> hint_;
  bool showing_ = false;
};

}  // namespace torvane
