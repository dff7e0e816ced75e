// The 运行 menu between 查看 and 说明: run the assembled program (F5), stop
// it (Shift+F5), and the run settings.
#include <QMenuBar>

#include "app/main_window.h"
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
  RunSettings1 = AddMenuCommand(RunMenu, "RunSettings1", QStringLiteral("运行设置…"),
                                &TFAsmEd::RunSettingsClick);
  for (QAction* action : {Run1, Stop1}) {
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
  ProgramRun1->Run();
}

void TFAsmEd::StopClick() {
  ProgramRun1->Stop();
}

void TFAsmEd::RunSettingsClick() {
  struct FocusBack {
    TFAsmEd& window;
    ~FocusBack() { window.FocusEditor(); }
  } focus_back{*this};
  ShowRunSettingsDialog(this, SettingsFilePath(SettingsDirectory));
}

}  // namespace torvane
