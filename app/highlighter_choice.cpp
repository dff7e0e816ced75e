// The main window's choice of highlighter.
#include "app/highlighter_choice.h"

#include <QActionGroup>
#include <QMenu>

#include "app/view_settings.h"
#include "document/control/src_editor.h"
#include "highlight/asm_highlighter.h"
#include "highlight/nasm_highlighter.h"
#include "platform/gui/error_box.h"

namespace torvane {

THighlighterChoice::THighlighterChoice(QMenu& view_menu, TSrcEditor& editor,
                                       TSrcAsmHighlighter& asm_highlighter,
                                       const std::string& settings_directory)
    : editor_(editor),
      asm_(asm_highlighter),
      nasm_(std::make_unique<TSrcNasmHighlighter>()),
      settings_directory_(settings_directory) {
  view_menu.addSeparator();
  menu_ = view_menu.addMenu(QStringLiteral("语法高亮(&L)"));
  menu_->setObjectName(QStringLiteral("Highlighter1"));
  auto* group = new QActionGroup(menu_);
  group->setExclusive(true);
  auto add = [this, group](const char* name, const char* caption, bool nasm) {
    QAction* action = menu_->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    group->addAction(action);
    connect(action, &QAction::triggered, this,
            [this, nasm] { RunGuarded(menu_->window(), [this, nasm] { Choose(nasm); }); });
    return action;
  };
  asm_action_ = add("AsmHighlighter1", kAsmHighlighterValue, false);
  nasm_action_ = add("NasmHighlighter1", kNasmHighlighterValue, true);
  Apply(ReadViewValue(settings_directory_, kHighlighterKey, kAsmHighlighterValue) ==
        kNasmHighlighterValue);
}

// The window destroys this while its editor lives; the editor lets go of
// the NASM highlighter before it goes.
THighlighterChoice::~THighlighterChoice() {
  if (NasmChosen()) {
    editor_.SetHighlighter(&asm_);
  }
}

bool THighlighterChoice::NasmChosen() const {
  return editor_.Highlighter() == nasm_.get();
}

void THighlighterChoice::Apply(bool nasm) {
  (nasm ? nasm_action_ : asm_action_)->setChecked(true);
  TSrcCustomHighlighter* chosen = nasm ? static_cast<TSrcCustomHighlighter*>(nasm_.get()) : &asm_;
  if (editor_.Highlighter() != chosen) {
    editor_.SetHighlighter(chosen);
  }
}

void THighlighterChoice::Choose(bool nasm) {
  Apply(nasm);
  WriteViewValue(settings_directory_, kHighlighterKey,
                 nasm ? kNasmHighlighterValue : kAsmHighlighterValue);
}

}  // namespace torvane
