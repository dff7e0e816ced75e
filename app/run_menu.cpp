// The 运行 menu between 查看 and 说明: run the assembled program (F5), stop
// it (Shift+F5), and the run settings.
#include <QMenuBar>

#include "app/main_window.h"
#include "app/program_debug.h"
#include "app/program_run.h"
#include "app/run_settings_dialog.h"
#include "app/settings.h"

namespace torvane {

void TFAsmEd::BuildRunMenu() {
  RunMenu = menuBar()->addMenu(QStringLiteral("运行(&R)"));
  RunMenu->setObjectName(QStringLiteral("RunMenu"));
  Run1 = AddMenuCommand(RunMenu, "Run1", QStringLiteral("运行"), &TFAsmEd::RunClick);
  Run1->setShortcut(QKeySequence(Qt::Key_F5));
  Stop1 = AddMenuCommand(RunMenu, "Stop1", QStringLiteral("停止"), &TFAsmEd::StopClick);
  Stop1->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F5));
  RunMenu->addSeparator();
  Debug1 = AddMenuCommand(RunMenu, "Debug1", QStringLiteral("调试"), &TFAsmEd::DebugClick);
  Debug1->setShortcut(QKeySequence(Qt::Key_F6));
  // F5 is 运行's key; while debugging 运行 goes on instead of starting anew.
  Continue1 =
      AddMenuCommand(RunMenu, "Continue1", QStringLiteral("继续\tF5"), &TFAsmEd::ContinueClick);
  StepInto1 =
      AddMenuCommand(RunMenu, "StepInto1", QStringLiteral("单步进入"), &TFAsmEd::StepIntoClick);
  StepInto1->setShortcut(QKeySequence(Qt::Key_F11));
  StepOver1 =
      AddMenuCommand(RunMenu, "StepOver1", QStringLiteral("单步跳过"), &TFAsmEd::StepOverClick);
  StepOver1->setShortcut(QKeySequence(Qt::Key_F10));
  RunToCursor1 = AddMenuCommand(RunMenu, "RunToCursor1", QStringLiteral("运行到光标处"),
                                &TFAsmEd::RunToCursorClick);
  RunToCursor1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F10));
  Breakpoint1 =
      AddMenuCommand(RunMenu, "Breakpoint1", QStringLiteral("切换断点"), &TFAsmEd::BreakpointClick);
  Breakpoint1->setShortcut(QKeySequence(Qt::Key_F2));
  RunMenu->addSeparator();
  RunSettings1 = AddMenuCommand(RunMenu, "RunSettings1", QStringLiteral("运行设置…"),
                                &TFAsmEd::RunSettingsClick);
  for (QAction* action : {Run1, Stop1, Debug1, StepInto1, StepOver1, RunToCursor1, Breakpoint1}) {
    action->setShortcutContext(Qt::WindowShortcut);
  }
}

void TFAsmEd::RunClick() {
  // An error box from the assembly or the run leaves the keyboard with the
  // editor, as every command does.
  struct FocusBack {
    TFAsmEd& window;
    ~FocusBack() { window.FocusEditor(); }
  } focus_back{*this};
  if (ProgramDebug1->Active()) {
    ProgramDebug1->Continue();
    return;
  }
  ProgramRun1->Run();
}

void TFAsmEd::StopClick() {
  if (ProgramDebug1->Active()) {
    ProgramDebug1->Stop();
    return;
  }
  ProgramRun1->Stop();
}

void TFAsmEd::DebugClick() {
  struct FocusBack {
    TFAsmEd& window;
    ~FocusBack() { window.FocusEditor(); }
  } focus_back{*this};
  ProgramDebug1->Debug();
}

void TFAsmEd::ContinueClick() {
  ProgramDebug1->Continue();
}

void TFAsmEd::StepIntoClick() {
  ProgramDebug1->StepInto();
}

void TFAsmEd::StepOverClick() {
  ProgramDebug1->StepOver();
}

void TFAsmEd::RunToCursorClick() {
  ProgramDebug1->RunToCursor();
}

void TFAsmEd::BreakpointClick() {
  ProgramDebug1->ToggleBreakpoint();
}

void TFAsmEd::RunSettingsClick() {
  struct FocusBack {
    TFAsmEd& window;
    ~FocusBack() { window.FocusEditor(); }
  } focus_back{*this};
  ShowRunSettingsDialog(this, SettingsFilePath(SettingsDirectory));
}

}  // namespace torvane
