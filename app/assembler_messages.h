// NASM's messages as they stand in the output pane: "boot.asm:3: error: ...",
// "boot.asm:7: warning: ...", "file:3:5: error: ..." with a column, and the
// "file:4: ... from macro `m' defined here" lines that point at a place
// without a severity. Plain C++.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torvane {

enum class TMessageKind { Error, Warning, Note };

struct TAssemblerMessage {
  std::string File;  // as NASM wrote it, relative to the source's directory
  int Line = 0;      // 1-based
  int Column = 0;    // 0 when the message names none
  TMessageKind Kind = TMessageKind::Note;
  std::string Text;  // after the severity
  friend bool operator==(const TAssemblerMessage&, const TAssemblerMessage&) = default;
};

// The message a pane line holds, or nothing. A file name may hold blanks
// and colons: the first ":<line>[:<column>]: " followed by a severity
// ("error", "fatal", "panic", "warning", "note", "info", "debug") or by
// "... " ends it.
std::optional<TAssemblerMessage> ParseAssemblerMessage(std::string_view line);

// The file a message names, as a path: absolute names stay, others are
// taken relative to the directory (the assembler's working directory).
std::string MessageFilePath(const std::string& directory, const std::string& file);

}  // namespace torvane
