// The emulator's argument list for one run, worked out without any shell:
// every argument reaches the emulator as it stands, so file names with
// blanks, Chinese characters, shell characters or a leading '-' are safe.
// Callers (a debugger) add arguments of their own, such as "-s -S".
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "run/program_kind.h"
#include "run/run_settings.h"

namespace torvane {

struct TEmulatorCommand {
  std::string Program;  // as configured; FindProgram resolves it
  std::vector<std::string> Arguments;
  std::string WorkingDirectory;
  // Set in the emulator's environment on top of this process's.
  std::vector<std::pair<std::string, std::string>> Environment;
  // Files this run writes that are removed when it ends: the DOSBox copy of
  // the program, its captured output and its configuration.
  std::vector<std::string> TemporaryFiles;
  // DOSBox: the file the program's output was redirected to, shown when the
  // run ends. QEMU writes the serial port and port 0xE9 to its standard
  // output instead, read while it runs.
  std::string OutputFile;
  std::string PackageName;  // the Debian package that provides the program
};

// Splits extra arguments at blanks; single or double quotes keep blanks in
// one argument and a backslash takes the next character as it is. Nothing
// else is interpreted (no variables, no globbing).
std::vector<std::string> SplitArguments(const std::string& text);

// The program's full path: a name with '/' must be an executable regular
// file; a bare name is looked up in `path_variable` (PATH's value). Empty
// when there is none.
std::string FindProgram(const std::string& program, const std::string& path_variable);

// QEMU boots image_path (an absolute path) as a raw floppy or hard disk, the
// serial port and the debug port 0xE9 both on its standard output, a write to
// port 0xF4 ends it, a reset ends it rather than rebooting.
TEmulatorCommand PlanQemuRun(const TRunSettings& settings, const std::string& image_path,
                             TDiskKind disk, const std::vector<std::string>& caller_arguments = {});

// The names DOSBox sees in the source folder, mounted as C: (8.3 names,
// unlikely to be the user's).
inline constexpr char kDosProgramName[] = "~TVRUN.COM";
inline constexpr char kDosOutputName[] = "~TVRUN.OUT";
inline constexpr char kDosConfigName[] = "~TVRUN.CNF";

// DOSBox runs the copy kDosProgramName of the binary, which the caller makes
// in source_directory, with its output redirected to kDosOutputName there,
// and exits. The folder is mounted as "." from DOSBox's working directory,
// so no path has to survive DOSBox's own command parser.
TEmulatorCommand PlanDosBoxRun(const TRunSettings& settings, const std::string& source_directory);
// The configuration file's text PlanDosBoxRun names (no sound, fast cycles,
// the memory size).
std::string DosBoxConfiguration(const TRunSettings& settings);

// Texts of the output pane and the messages, UTF-8.
std::string MissingEmulatorMessage(const std::string& program, const std::string& package);
std::string RunStartText(const std::string& binary_path, const std::string& emulator);
// exit_code is read when the emulator ended by itself and normally.
std::string RunEndText(bool stopped, bool normal_exit, int exit_code);

// Cuts program output into lines as it arrives: CR LF, LF and a lone CR end
// a line; other control characters but the tab are dropped. Bytes stay bytes.
class TOutputLines {
 public:
  // The lines the bytes complete.
  std::vector<std::string> Feed(std::string_view bytes);
  // The unfinished line so far, which is then no longer kept.
  std::string TakeRest();
  bool HasRest() const { return !rest_.empty(); }

 private:
  std::string rest_;
  bool after_cr_ = false;
};

}  // namespace torvane
