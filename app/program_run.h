// 运行 (F5) and 停止 (Shift+F5): the assembled binary runs in a PC emulator
// beside the window, and what it writes to the serial port and port 0xE9
// (QEMU) or to DOS's standard output (DOSBox) comes to the output pane.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "platform/live_process.h"
#include "run/emulator_command.h"

class QPlainTextEdit;
class QTimer;

namespace torvane {

class TFAsmEd;

class TProgramRun {
 public:
  explicit TProgramRun(TFAsmEd& window);
  ~TProgramRun();
  TProgramRun(const TProgramRun&) = delete;
  TProgramRun& operator=(const TProgramRun&) = delete;

  // F5: asks whether to restart a run that is going; assembles when the
  // binary is missing or older than the text; refuses an image that cannot
  // boot and a missing emulator with a message; then starts the emulator.
  // qemu_arguments go last on QEMU's command line (a debugger's "-s -S").
  void Run(const std::vector<std::string>& qemu_arguments = {});
  // Shift+F5: ends the emulator and all it started; nothing when no run goes.
  void Stop();
  // Ends a run and waits for it (closing the window).
  void StopAndWait();
  bool Running() const { return process_.Running(); }
  // Whether the run going is a DOS program (DOSBox) rather than an image QEMU boots.
  bool RunsDos() const { return dos_; }
  // How many lines the pane keeps while a run goes (the oldest go first).
  void SetPaneLineLimit(int lines) { pane_line_limit_ = lines; }
  // The emulator's process id while it runs, else 0.
  long long ProcessId() const { return process_.Running() ? process_.ProcessId() : 0; }

 private:
  // True when the binary is there and at least as new as the source and
  // every file it included, and the text in the editor is what was saved.
  bool BinaryIsCurrent(const std::string& source, const std::string& binary) const;
  // The source and the files its last listing names (its %include's).
  std::vector<std::string> MadeOf(const std::string& source) const;
  // Assembles through the window's assemble path; true when NASM wrote a
  // new binary and reported no error.
  bool AssembleFirst(const std::string& binary);
  void Start(const std::string& source, const std::string& binary,
             const std::vector<std::string>& qemu_arguments);
  void Refuse(const QString& text);
  void Output(const std::string& bytes);
  void ErrorOutput(const std::string& bytes);
  void FlushRest();
  void Finished(const TLiveProcessEnd& end);
  void AppendLine(const QString& line);
  void AppendPiece(const QString& piece);
  void RemoveTemporaryFiles();

  TFAsmEd& window_;
  QPlainTextEdit& pane_;
  TLiveProcess process_;
  TEmulatorCommand command_;
  TOutputLines lines_;
  TOutputLines error_lines_;
  std::string error_bytes_;  // DOSBox: its own chatter, shown only on a failure
  bool dos_ = false;
  bool line_open_ = false;  // the pane's last line still grows
  int old_block_limit_ = 0;
  int pane_line_limit_;
  std::unique_ptr<QTimer> rest_timer_;
};

}  // namespace torvane
