// Additions to the main window: the 编辑 and 查看 menus, the window's keys
// for save, open and assemble, the view switches kept in [View] of the
// settings file, and the status bar.
#include <QMenuBar>
#include <QPlainTextEdit>

#include "app/main_window.h"
#include "app/message_jump.h"
#include "app/settings.h"
#include "app/status_bar.h"
#include "app/view_settings.h"
#include "document/control/src_editor.h"
#include "highlight/nasm_fold_regions.h"
#include "platform/gui/error_box.h"

namespace torvane {
namespace {

// Shows a key beside a menu item without making it the item's: the window's
// key actions (or the editor's key table) keep running it, and a second
// window-wide binding of the same key would make both ambiguous.
void ShowKey(QAction* action, const QKeySequence& key) {
  action->setShortcut(key);
  action->setShortcutContext(Qt::WidgetShortcut);
}

}  // namespace

void TFAsmEd::BuildEditAndViewMenus() {
  // The find items (app/find_actions) go before these, after a separator.
  E1 = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
  E1->setObjectName(QStringLiteral("E1"));
  NextMessage1 =
      AddMenuCommand(E1, "NextMessage1", QStringLiteral("下一条消息"), &TFAsmEd::NextMessageClick);
  NextMessage1->setShortcut(QKeySequence(Qt::Key_F8));
  PreviousMessage1 = AddMenuCommand(E1, "PreviousMessage1", QStringLiteral("上一条消息"),
                                    &TFAsmEd::PreviousMessageClick);
  PreviousMessage1->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8));

  ViewMenu = menuBar()->addMenu(QStringLiteral("查看(&V)"));
  ViewMenu->setObjectName(QStringLiteral("ViewMenu"));
  auto check = [this](const char* name, const QString& caption, void (TFAsmEd::*handler)()) {
    QAction* action = AddMenuCommand(ViewMenu, name, caption, handler);
    action->setCheckable(true);
    return action;
  };
  StatusBar1 = check("StatusBar1", QStringLiteral("状态栏(&S)"), &TFAsmEd::StatusBarClick);
  WordWrap1 = check("WordWrap1", QStringLiteral("自动换行(&W)"), &TFAsmEd::WordWrapClick);
  CodeFolding1 = check("CodeFolding1", QStringLiteral("代码折叠(&F)"), &TFAsmEd::CodeFoldingClick);
  SpecialChars1 =
      check("SpecialChars1", QStringLiteral("显示空白字符(&B)"), &TFAsmEd::SpecialCharsClick);
  MessageJumps = std::make_unique<TMessageJumps>(*this);
}

void TFAsmEd::BuildKeys() {
  // The File menu's items keep no shortcut: these keys are the window's own
  // and reach the same handlers (not while the assembler runs).
  auto key = [this](const char* name, const QKeySequence& sequence, void (TFAsmEd::*handler)()) {
    auto* action = new QAction(this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(sequence);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, handler] {
      if (!assembling_) {
        RunCommand(handler);
      }
    });
    addAction(action);
    return action;
  };
  SaveKey = key("SaveKey", QKeySequence(Qt::CTRL | Qt::Key_S), &TFAsmEd::S1Click);
  OpenKey = key("OpenKey", QKeySequence(Qt::CTRL | Qt::Key_O), &TFAsmEd::O2Click);
  AssembleKey = key("AssembleKey", QKeySequence(Qt::Key_F9), &TFAsmEd::C1Click);
  SaveAsKey =
      key("SaveAsKey", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &TFAsmEd::SaveAsClick);
  // The File menu shows these keys beside its unchanged captions.
  ShowKey(O2, OpenKey->shortcut());
  ShowKey(S1, SaveKey->shortcut());
  ShowKey(SaveAs1, SaveAsKey->shortcut());
  ShowKey(C1, AssembleKey->shortcut());
}

void TFAsmEd::BuildEditCommands() {
  // At the menu's top, before the find items. The keys stay the editor's
  // (its key table runs them, and a line edit of the find bar keeps its
  // own Ctrl+Z or Ctrl+V); the menu only shows them.
  QAction* before = E1->actions().isEmpty() ? nullptr : E1->actions().first();
  auto add = [&](const char* name, const QString& caption, const QKeySequence& key,
                 void (TFAsmEd::*handler)()) {
    auto* action = new QAction(caption, E1);
    action->setObjectName(QString::fromLatin1(name));
    E1->insertAction(before, action);
    connect(action, &QAction::triggered, this, [this, handler] {
      if (!assembling_) {  // the text being assembled stays as saved
        RunCommand(handler);
      }
    });
    ShowKey(action, key);
    return action;
  };
  Undo1 = add("Undo1", QStringLiteral("撤销(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z),
              &TFAsmEd::UndoClick);
  Redo1 = add("Redo1", QStringLiteral("重做(&R)"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
              &TFAsmEd::RedoClick);
  E1->insertSeparator(before)->setObjectName(QStringLiteral("UndoSeparator"));
  Cut1 = add("Cut1", QStringLiteral("剪切(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X),
             &TFAsmEd::CutClick);
  Copy1 = add("Copy1", QStringLiteral("复制(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C),
              &TFAsmEd::CopyClick);
  Paste1 = add("Paste1", QStringLiteral("粘贴(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V),
               &TFAsmEd::PasteClick);
  SelectAll1 = add("SelectAll1", QStringLiteral("全选(&A)"), QKeySequence(Qt::CTRL | Qt::Key_A),
                   &TFAsmEd::SelectAllClick);
  if (before != nullptr) {
    E1->insertSeparator(before)->setObjectName(QStringLiteral("ClipboardSeparator"));
  }
}

void TFAsmEd::UndoClick() {
  SrcEditor1->ProcessCommand(ecUndo);
}

void TFAsmEd::RedoClick() {
  SrcEditor1->ProcessCommand(ecRedo);
}

void TFAsmEd::CutClick() {
  SrcEditor1->ProcessCommand(ecCut);
}

void TFAsmEd::CopyClick() {
  SrcEditor1->ProcessCommand(ecCopy);
}

void TFAsmEd::PasteClick() {
  SrcEditor1->ProcessCommand(ecPaste);
}

void TFAsmEd::SelectAllClick() {
  SrcEditor1->ProcessCommand(ecSelectAll);
}

void TFAsmEd::ApplyViewSettings() {
  const TViewSettings settings = ReadViewSettings(SettingsDirectory);
  StatusBar1->setChecked(settings.StatusBar);
  ShowStatusBar(settings.StatusBar);
  WordWrap1->setChecked(settings.WordWrap);
  SrcEditor1->WordWrap().SetEnabled(settings.WordWrap);
  CodeFolding1->setChecked(settings.CodeFolding);
  SetCodeFolding(settings.CodeFolding);
  SpecialChars1->setChecked(settings.SpecialChars);
  if (settings.SpecialChars) {
    SrcEditor1->SetOptions(SrcEditor1->Options().Set(eoShowSpecialChars, true));
  }
}

void TFAsmEd::NextMessageClick() {
  if (!assembling_) {
    MessageJumps->Next();
  }
}

void TFAsmEd::PreviousMessageClick() {
  if (!assembling_) {
    MessageJumps->Previous();
  }
}

void TFAsmEd::StatusBarClick() {
  const bool on = StatusBar1->isChecked();
  ShowStatusBar(on);
  WriteViewSwitch(SettingsDirectory, kStatusBarKey, on);
}

void TFAsmEd::WordWrapClick() {
  const bool on = WordWrap1->isChecked();
  SrcEditor1->WordWrap().SetEnabled(on);
  WriteViewSwitch(SettingsDirectory, kWordWrapKey, on);
}

void TFAsmEd::CodeFoldingClick() {
  const bool on = CodeFolding1->isChecked();
  SetCodeFolding(on);
  WriteViewSwitch(SettingsDirectory, kCodeFoldingKey, on);
}

void TFAsmEd::SpecialCharsClick() {
  const bool on = SpecialChars1->isChecked();
  SrcEditor1->SetOptions(SrcEditor1->Options().Set(eoShowSpecialChars, on));
  WriteViewSwitch(SettingsDirectory, kSpecialCharsKey, on);
}

void TFAsmEd::SetCodeFolding(bool on) {
  TSrcCodeFolding& folding = SrcEditor1->CodeFolding();
  if (on && folding.FoldRegions().Count() == 0) {
    // NASM's blocks, whatever highlighter paints the text.
    AddNasmFoldRegions(folding.FoldRegions());
    folding.SetHighlighterFoldRegions(false);
  }
  if (folding.Enabled() != on) {
    folding.SetEnabled(on);
    // Enabling alone finds no blocks; the user expects the text's at once.
    if (on) {
      SrcEditor1->RescanFolds();
    }
  }
}

void TFAsmEd::ScanFoldsOfLoadedText() {
  if (SrcEditor1->CodeFolding().Enabled()) {
    SrcEditor1->RescanFolds();
  }
}

void TFAsmEd::ShowStatusBar(bool on) {
  if (StatusBar == nullptr) {
    if (!on) {
      return;
    }
    StatusBar = new TEditorStatusBar(this);
    setStatusBar(StatusBar);
    SrcEditor1->SetOnStatusChange(
        [this](TCustomSrcEdit&, TSrcStatusChanges) { RefreshStatusBar(); });
  }
  StatusBar->setVisible(on);
  RefreshStatusBar();
}

void TFAsmEd::RefreshStatusBar() {
  if (StatusBar != nullptr && !StatusBar->isHidden()) {
    StatusBar->ShowStatus(EditorStatusTexts(*SrcEditor1));
  }
}

}  // namespace torvane
