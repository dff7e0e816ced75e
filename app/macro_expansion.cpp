// Showing a macro call's expansion from NASM's preprocessed listing.
#include "app/macro_expansion.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QTemporaryDir>
#include <fstream>

#include "app/assembler.h"
#include "app/main_window.h"
#include "completion/proposal_hint.h"
#include "document/control/src_editor.h"
#include "listing/macro_expansion.h"
#include "platform/gui/error_box.h"
#include "platform/process_runner.h"

namespace torvane {

TMacroExpansion::TMacroExpansion(TFAsmEd& window) : window_(window) {
  // With the find items, before the separator of the message items.
  action_ = new QAction(QStringLiteral("展开宏"), window_.E1);
  action_->setObjectName(QStringLiteral("MacroExpansion1"));
  QAction* before = nullptr;
  for (QAction* item : window_.E1->actions()) {
    if (item->isSeparator()) {
      before = item;
    }
  }
  window_.E1->insertAction(before, action_);
  action_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
  action_->setShortcutContext(Qt::WindowShortcut);
  connect(action_, &QAction::triggered, this, [this] {
    if (!window_.Assembling()) {
      RunGuarded(&window_, [this] { ShowExpansion(); });
    }
  });
  hint_ = std::make_unique<TProposalHint>(window_.SrcEditor1->CompletionProposal());
  window_.SrcEditor1->installEventFilter(this);
  window_.SrcEditor1->viewport()->installEventFilter(this);
}

TMacroExpansion::~TMacroExpansion() {
  hint_->HideHint(*window_.SrcEditor1);
}

std::vector<std::string> TMacroExpansion::ShowExpansion() {
  TSrcEditor& editor = *window_.SrcEditor1;
  TSrcEditModel& model = editor.Model();
  const int line = model.ToExpandedPos(model.CaretPos()).Line;
  std::vector<std::string> lines;
  QTemporaryDir temporary;
  std::string directory;
  std::string file_name;
  SplitDirectory(window_.CurrentFileName(), directory, file_name);
  if (temporary.isValid() && !window_.AssemblerPath().empty()) {
    const std::string copy = temporary.path().toStdString() + "/expand";
    std::ofstream(copy + ".asm", std::ios::binary) << model.AllText();
    std::vector<std::string> arguments = {"-fbin",
                                          "-Le",
                                          copy + ".asm",
                                          "-l" + copy + ".lst",
                                          "-o" + copy + ".bin",
                                          "-Z" + copy + ".log"};
    if (!directory.empty()) {
      arguments.push_back("-I" + directory);  // the source's includes, wherever the copy is
    }
    RunProcess(window_.AssemblerPath(), arguments, directory);
    std::ifstream in(copy + ".lst", std::ios::binary);
    const std::string listing((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    lines = MacroExpansionOfLine(listing, line);
  }
  if (lines.empty()) {
    lines.push_back("; 此行没有宏展开");
  }
  const int row = model.Mapping().RowOfLine(model.CaretPos().Line);
  const int y = (row - editor.FirstVisibleRow() + 1) * editor.RowHeight();
  hint_->ShowHint(editor, lines, editor.viewport()->mapToGlobal(QPoint(editor.GutterExtent(), y)),
                  editor.Font());
  showing_ = true;
  return lines;
}

bool TMacroExpansion::eventFilter(QObject*, QEvent* event) {
  if (showing_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress ||
                   event->type() == QEvent::FocusOut)) {
    showing_ = false;
    hint_->HideHint(*window_.SrcEditor1);
  }
  return false;
}

}  // namespace torvane
