// Starting an outside program (the assembler) from a program path and an
// argument list, never through a shell, and waiting for it to end.
#pragma once

#include <string>
#include <vector>

namespace torvane {

struct TProcessOutcome {
  bool started = false;
  int exit_code = -1;  // valid only when started and the program ended normally
  std::string error;   // why it could not be started or did not end normally
};

// Runs program with arguments (each reaches the program as one argument,
// whatever blanks, quotes or shell characters it holds) in working_directory
// (the current directory when empty), with this process's environment, stdin
// at end of file and its output discarded, and waits without a time limit. A
// program without a '/' is searched in PATH. Strings are file-system bytes.
TProcessOutcome RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& working_directory);

}  // namespace torvane
