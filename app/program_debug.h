// 调试 (F6) and its commands in the 运行 menu: the assembled boot sector
// runs in QEMU halted under its debug stub; breakpoints (F2 or a click in
// the margin beside the gutter), 继续 (F5 while debugging), 单步进入 (F11),
// 单步跳过 (F10), 运行到光标处 (Ctrl+F10) and 停止 (Shift+F5) work by source
// line through the line map of the assembly. While a session runs the
// source is read-only, the line the program stopped at has an arrow and a
// colour, and a panel shows registers, memory and the stack.
#pragma once

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "debug/source_stepping.h"
#include "debug/stub_client.h"

class QSocketNotifier;

namespace torvane {

class TFAsmEd;
class TBreakpointMargin;
class TDebugPanel;

class TProgramDebug : public QObject {
 public:
  explicit TProgramDebug(TFAsmEd& window);
  ~TProgramDebug() override;
  TProgramDebug(const TProgramDebug&) = delete;
  TProgramDebug& operator=(const TProgramDebug&) = delete;

  // A session is going (the program may be running or stopped).
  bool Active() const { return active_; }
  // The program runs (no stop reported yet).
  bool ProgramRunning() const { return stub_.Running(); }

  // F6: starts a session (assembling first when the text changed); the
  // program stops at its first breakpoint, or at its first line without
  // any. In a session it goes on like 继续.
  void Debug();
  void Continue();
  void StepInto();
  void StepOver();
  void RunToCursor();
  // F2: the caret line's breakpoint, in a session or not.
  void ToggleBreakpoint();
  // Ends the session and the emulator; the source is editable again.
  void Stop();

  TBreakpointMargin& Margin() const { return *margin_; }
  TDebugPanel* Panel() const { return panel_; }
  // The line the program stopped at in the file in the editor (0: none).
  int CurrentLine() const;
  // The place the program last stopped at, if it has source.
  const std::optional<TSourcePlace>& StopPlace() const { return stop_place_; }
  // What a session said last (a moved breakpoint, a stop without source).
  QString Note() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Start();
  // Runs one debugger action; an error ends the session with its message.
  template <typename Action>
  void Guarded(Action action);
  void Resume();
  void Stopped();
  void Fail(const QString& text);
  void End();
  void SetNote(const QString& text);
  // Adds to the note what this stop says once: a switch of mode, code the
  // program wrote over.
  void NoteModeAndCode(const TX86Registers& registers);
  // After a step that did not move because of a hlt with interrupts off.
  void SayIfHaltedForever();
  void PlaceBreakpoints();
  // The map's file index of the file in the editor, -1 when not in it.
  int EditorFileIndex() const;
  std::optional<std::uint32_t> LabelAddress(const std::string& name) const;

  TFAsmEd& window_;
  std::unique_ptr<TBreakpointMargin> margin_;
  TDebugPanel* panel_ = nullptr;  // the window owns it
  TStubClient stub_;
  std::shared_ptr<const TListingMap> map_;
  std::unique_ptr<TSourceStepping> source_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::unique_ptr<QTemporaryDir> socket_dir_;
  std::optional<TX86Registers> last_registers_;
  std::optional<TSourcePlace> stop_place_;
  std::set<std::uint32_t> temporary_;  // run-to and first-line breakpoints
  bool active_ = false;
  bool moved_said_ = false;
  bool overwritten_said_ = false;
  bool protected_said_ = false;  // the mode last said (it starts real)
  QTimer still_running_;
};

}  // namespace torvane
