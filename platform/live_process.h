// A program that runs beside the window (an emulator): started from a program
// and an argument list without a shell, its standard output and error output
// handed over as they arrive, stopped together with everything it started.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QProcess;

namespace torvane {

struct TLiveProcessEnd {
  bool stopped = false;      // ended by Stop
  bool normal_exit = false;  // ended by itself through exit()
  int exit_code = -1;        // when normal_exit
};

// The program leads a process group of its own, and Stop kills the group. It
// also dies with this process (the kernel's parent-death signal), so no
// emulator is left running when the editor is killed. Callbacks run on the
// thread's event loop; none runs after the object is gone.
class TLiveProcess {
 public:
  TLiveProcess();
  // Stops a program still running and waits for it: nothing is left behind.
  ~TLiveProcess();
  TLiveProcess(const TLiveProcess&) = delete;
  TLiveProcess& operator=(const TLiveProcess&) = delete;

  std::function<void(const std::string&)> OnOutput;       // standard output bytes
  std::function<void(const std::string&)> OnErrorOutput;  // standard error bytes
  std::function<void(const TLiveProcessEnd&)> OnFinished;

  // Starts the program (a full path; strings are file-system bytes) with
  // this process's environment plus `environment`, stdin at end of file.
  // False with *error set when it could not be started.
  bool Start(const std::string& program, const std::vector<std::string>& arguments,
             const std::string& working_directory,
             const std::vector<std::pair<std::string, std::string>>& environment,
             std::string* error);
  bool Running() const;
  long long ProcessId() const;
  // Kills the program's process group; OnFinished follows with stopped set
  // (at once when WaitForEnd is called).
  void Stop();
  // Blocks until the program has ended and OnFinished has run.
  void WaitForEnd();

 private:
  void Finished();

  std::unique_ptr<QProcess> process_;
  bool stopped_ = false;
  bool finished_reported_ = true;
};

}  // namespace torvane
