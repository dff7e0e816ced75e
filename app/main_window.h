// The main window: the source editor above, the assembler's output pane
// below a splitter, and the File / Options / Help menus; the Edit and View
// menus, the keys and the status bar are additions (app/edit_view_menus.cpp).
#pragma once

#include <QMainWindow>
#include <QSize>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/file_access.h"
#include "platform/gui/file_dialog.h"

class QAction;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace torvane {

class TSrcEditor;
class TSrcAsmHighlighter;
class THighlighterChoice;
class TFindActions;
class TEditorStatusBar;
class TMessageJumps;
class TMachineCode;
class TListingPane;
class TMacroExpansion;
class TProgramRun;
class TProgramDebug;

// The window's size and output pane height at the first run.
inline constexpr QSize kFirstRunSize{622, 436};
inline constexpr int kFirstRunPaneHeight = 89;

class TFAsmEd : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFAsmEd(QWidget* parent = nullptr);
  ~TFAsmEd() override;

  // Menu handlers; each runs under the default error box guard when it comes
  // from the menu.
  void N1Click();        // New
  void O2Click();        // Open
  void S1Click();        // Save
  void C1Click();        // Assemble
  void X1Click();        // Exit
  void V1Click();        // assembler settings
  void Torvane1Click();  // About
  void NextMessageClick();
  void PreviousMessageClick();
  void StatusBarClick();
  void WordWrapClick();
  void CodeFoldingClick();
  void SpecialCharsClick();
  void RunClick();          // 运行 (F5)
  void StopClick();         // 停止 (Shift+F5)
  void RunSettingsClick();  // 运行设置…
  void SaveAsClick();       // 另存为…
  // Additions of the 编辑 menu's top: the editor's own commands.
  void UndoClick();
  void RedoClick();
  void CutClick();
  void CopyClick();
  void PasteClick();
  void SelectAllClick();
  void DebugClick();        // 调试 (F6)
  void ContinueClick();     // 继续 (F5 while debugging)
  void StepIntoClick();     // 单步进入 (F11)
  void StepOverClick();     // 单步跳过 (F10)
  void RunToCursorClick();  // 运行到光标处 (Ctrl+F10)
  void BreakpointClick();   // 切换断点 (F2)

  // Opens a file as Open does, without the dialog or the question (the
  // command line's file, a message about another file). False, with the open
  // error shown, when it could not be read.
  bool OpenNamedFile(const std::string& file_name);
  // The command line's file: opened as above or, when there is no file of
  // that name, an empty document with that name (the first save creates it).
  bool OpenOrStartNamedFile(const std::string& file_name);
  // An item of 最近打开的文件: asks about unsaved changes, then opens it as
  // Open does; a file that is gone is said so and leaves the list.
  void OpenRecentFile(const std::string& file_name);
  // Asks whether to save a modified text before it is replaced (New, Open,
  // a message about another file): true when the text may go (nothing to
  // save, not saved by choice, or saved); Escape keeps everything.
  bool MayDiscardText();
  // The file F9 assembles: the one in the editor, unless that was opened from
  // the messages of another file's assembly (an %include), which is then the
  // one assembled again.
  const std::string& AssemblySource() const;
  // Assemble's steps without its focus handling: false when the text was
  // not saved (no name, dialog cancelled, write failed), else the pane shows
  // the assembler's report.
  bool AssembleDocument();
  void SetAssemblySource(const std::string& file_name) { assembly_source_ = file_name; }
  // Compares the file in the editor with the disk (the window got the focus
  // back): a change offers to reload it (with unsaved changes the answer
  // that keeps them is the default), a file that has gone is said so and
  // the document counts as modified. Each state of the file is asked about
  // once.
  void CheckFileOnDisk();
  // Gives the keyboard back to the editor (after dialogs, opening, assembling).
  void FocusEditor();
  // Adds a menu item whose handler runs under the error box guard.
  QAction* AddMenuCommand(QMenu* menu, const char* name, const QString& caption,
                          void (TFAsmEd::*handler)());
  // Runs a handler under the error box guard; after an error box the editor
  // gets the keyboard back.
  void RunCommand(void (TFAsmEd::*handler)());

  const std::string& AssemblerPath() const { return assembler_path_; }
  const std::string& CurrentFileName() const { return current_file_name_; }
  // True while the assembler runs (the window stays responsive meanwhile).
  bool Assembling() const { return assembling_; }

  // Components, named as the handlers refer to them.
  TSrcEditor* SrcEditor1 = nullptr;
  QSplitter* Splitter1 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* CancelButton = nullptr;  // over the pane while the assembler runs
  std::unique_ptr<TSrcAsmHighlighter> SrcAsmHighlighter1;
  // 查看's 语法高亮 submenu and the NASM highlighter; goes before the one above.
  std::unique_ptr<THighlighterChoice> HighlighterChoice1;
  TOpenDialog OpenDialog1;
  TSaveDialog SaveDialog1;
  QMenu* F1 = nullptr;
  QAction* N1 = nullptr;
  QAction* O2 = nullptr;
  QAction* S1 = nullptr;
  QAction* SaveAs1 = nullptr;  // addition: 另存为… after 保存
  QAction* C1 = nullptr;
  QMenu* Recent1 = nullptr;  // addition: 最近打开的文件 before 退出
  QAction* X1 = nullptr;
  QMenu* O1 = nullptr;
  QAction* V1 = nullptr;
  QMenu* E1 = nullptr;  // 编辑: additions beyond the File/Options/Help menus
  QMenu* H1 = nullptr;
  QAction* Torvane1 = nullptr;
  TFindActions* FindActions = nullptr;  // find, replace, go to line (app/find_actions)
  // Additions: 编辑 (E1) and 查看 between 选项 and 说明, and keys of the
  // window for commands whose menu items keep no shortcut.
  QAction* Undo1 = nullptr;
  QAction* Redo1 = nullptr;
  QAction* Cut1 = nullptr;
  QAction* Copy1 = nullptr;
  QAction* Paste1 = nullptr;
  QAction* SelectAll1 = nullptr;
  QAction* NextMessage1 = nullptr;
  QAction* PreviousMessage1 = nullptr;
  QMenu* ViewMenu = nullptr;
  QAction* StatusBar1 = nullptr;
  QAction* WordWrap1 = nullptr;
  QAction* CodeFolding1 = nullptr;
  QAction* SpecialChars1 = nullptr;
  QAction* SaveKey = nullptr;             // Ctrl+S
  QAction* OpenKey = nullptr;             // Ctrl+O
  QAction* AssembleKey = nullptr;         // F9
  QAction* SaveAsKey = nullptr;           // Ctrl+Shift+S
  TEditorStatusBar* StatusBar = nullptr;  // made when first switched on
  std::unique_ptr<TMessageJumps> MessageJumps;
  // 查看 > 机器码 and 列表文件, 编辑 > 展开宏 (app/machine_code, app/listing_pane,
  // app/macro_expansion).
  std::unique_ptr<TMachineCode> MachineCode1;
  std::unique_ptr<TListingPane> ListingPane1;
  std::unique_ptr<TMacroExpansion> MacroExpansion1;
  // 运行 between 查看 and 说明 (app/run_menu.cpp, app/program_run).
  QMenu* RunMenu = nullptr;
  QAction* Run1 = nullptr;
  QAction* Stop1 = nullptr;
  QAction* RunSettings1 = nullptr;
  std::unique_ptr<TProgramRun> ProgramRun1;
  // The debugger's items in 运行 (app/program_debug); goes before the run.
  QAction* Debug1 = nullptr;
  QAction* Continue1 = nullptr;
  QAction* StepInto1 = nullptr;
  QAction* StepOver1 = nullptr;
  QAction* RunToCursor1 = nullptr;
  QAction* Breakpoint1 = nullptr;
  std::unique_ptr<TProgramDebug> ProgramDebug1;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildMenus();
  void BuildEditAndViewMenus();
  void BuildKeys();
  void BuildRunMenu();
  // The 编辑 menu's undo, redo and clipboard items at its top.
  void BuildEditCommands();
  void FillRecentMenu();
  // Opens a file chosen by any command: asks first when it looks binary.
  bool OpenFile(const std::string& file_name);
  // An empty document that a first save writes to file_name.
  void StartNamedDocument(const std::string& file_name);
  // Title "%s [%s]" for the current file.
  void ShowFileTitle();
  // A file opened or saved under a name: first in 最近打开的文件, and its
  // folder is where the Open dialog starts next.
  void RememberFile(const std::string& file_name);
  void ShowOpenedFile(const std::string& file_name);
  // After the editor got another text: no stale find result, the status bar
  // shows the new text's line breaks.
  void DocumentReplaced();
  // Asks the question of `caption` and `text`; true when the text may go.
  bool AskToSave(const QString& caption, const QString& text);
  // Lets Ctrl+Tab and Ctrl+Shift+Tab move the focus on from the editor, which
  // keeps Tab for indenting.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void ApplyViewSettings();
  void ShowStatusBar(bool on);
  // Shows the editor's state again when the bar is on.
  void RefreshStatusBar();
  void SetCodeFolding(bool on);
  // With folding on, finds the blocks of a text just loaded.
  void ScanFoldsOfLoadedText();
  void FormCreate();
  // True when the window may close: nothing to save, the user chose not to
  // save, or the save succeeded.
  bool FormClose();
  // Save's outcome, for the close prompt and Assemble.
  bool Save();
  void ShowPaneLines(const QStringList& lines);
  // Before a run: false, after saying why, when the assembler cannot run
  // (the nasm PATH knows is offered and, taken, stored as the setting).
  bool CheckAssembler();
  // After a run with messages: how many errors and warnings, in the pane's
  // last line and the status bar.
  void ShowMessageSummary(QStringList& lines, const std::string& source);
  void ReloadFromDisk();
  // [Window] of the settings file: read once the window is built, written
  // when it closes (only once it differs from the first run's).
  void RestoreWindowState();
  void SaveWindowState();

  std::string assembler_path_;
  std::string current_file_name_;
  std::string assembly_source_;  // empty: the current file
  std::string last_folder_;      // of the last file opened or saved
  // The file's state on disk last asked about, and the editor's own stamp
  // then (a save or open since makes a new question due).
  std::optional<std::pair<TFileStamp, TFileStamp>> asked_about_;
  bool checking_disk_ = false;
  bool assembling_ = false;
};

}  // namespace torvane
