// Starting an outside program (the assembler) from a program path and an
// argument list, never through a shell, and waiting for it to end.
#pragma once

#include <memory>
#include <string>
#include <vector>

class QProcess;

namespace torvane {

struct TProcessOutcome {
  bool started = false;
  bool cancelled = false;  // ended by TChildProcess::Cancel
  int exit_code = -1;      // valid only when started and the program ended normally
  std::string error;       // why it could not be started or did not end normally
};

// One run of a program. It is started with arguments (each reaches the
// program as one argument, whatever blanks, quotes or shell characters it
// holds) in working_directory (the current directory when empty), with this
// process's environment, stdin at end of file and its output discarded. A
// program without a '/' is searched in PATH. Strings are file-system bytes.
// The program leads a process group of its own, so that cancelling also ends
// whatever it started.
class TChildProcess {
 public:
  TChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& working_directory);
  // A program still running is killed.
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  bool Started() const { return outcome_.started; }
  // Waits without a time limit. With handle_events the calling thread's
  // events are handled meanwhile (a window stays responsive and may call
  // Cancel); otherwise the thread blocks. Returns once the program has ended.
  TProcessOutcome Wait(bool handle_events);
  // Kills the program and its process group; Wait then returns with
  // cancelled set. Does nothing once the program has ended.
  void Cancel();

 private:
  std::unique_ptr<QProcess> process_;
  TProcessOutcome outcome_;
};

// Starts the program as TChildProcess does and blocks until it ends.
TProcessOutcome RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& working_directory);

}  // namespace torvane
