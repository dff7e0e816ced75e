// Runs the installed NASM over a source text and returns its diagnostics, so
// tests can hold the highlighter's word lists and corpus against the
// assembler itself.
#pragma once

#include <QTemporaryDir>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/process_runner.h"

namespace torvane {

struct TNasmRun {
  bool started = false;
  int exit_code = -1;
  std::string log;  // NASM's diagnostics, one per line: "file:line: kind: text"

  // The diagnostics of each source line (1-based).
  std::map<int, std::vector<std::string>> ByLine() const {
    std::map<int, std::vector<std::string>> lines;
    std::istringstream in(log);
    for (std::string entry; std::getline(in, entry);) {
      const std::size_t first = entry.find(':');
      const std::size_t second = entry.find(':', first + 1);
      if (first == std::string::npos || second == std::string::npos) {
        continue;
      }
      lines[std::stoi(entry.substr(first + 1, second - first - 1))].push_back(
          entry.substr(second + 2));
    }
    return lines;
  }
};

inline TNasmRun RunNasm(const std::string& source, const std::string& format) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString();
  std::ofstream(path + "/src.asm", std::ios::binary) << source;
  TNasmRun run;
  const TProcessOutcome outcome =
      RunProcess("nasm", {"-f", format, "-Z", "log.txt", "-o", "out.bin", "src.asm"}, path);
  run.started = outcome.started;
  run.exit_code = outcome.exit_code;
  std::ifstream log(path + "/log.txt", std::ios::binary);
  run.log.assign(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
  return run;
}

// NASM's diagnostics for a word it takes for a label, and for a reserved word
// that cannot start a statement.
inline bool IsOrphanLabel(const std::string& message) {
  return message.find("label alone on a line without a colon") != std::string::npos;
}
inline bool IsNoInstruction(const std::string& message) {
  return message.find("label or instruction expected") != std::string::npos;
}

}  // namespace torvane
