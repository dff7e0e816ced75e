// Recognising NASM's message lines.
#include "app/assembler_messages.h"

#include <array>
#include <climits>
#include <utility>

namespace torvane {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads a positive decimal number at `at`; nothing when there is none or it
// does not fit an int.
std::optional<int> ReadNumber(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  long long value = 0;
  while (at < text.size() && IsDigit(text[at])) {
    value = value * 10 + (text[at] - '0');
    if (value > INT_MAX) {
      return std::nullopt;
    }
    ++at;
  }
  if (at == start || value == 0) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

struct TSeverity {
  std::string_view Word;
  TMessageKind Kind;
};
constexpr std::array<TSeverity, 7> kSeverities{{
    {"error", TMessageKind::Error},
    {"fatal", TMessageKind::Error},
    {"panic", TMessageKind::Error},
    {"warning", TMessageKind::Warning},
    {"note", TMessageKind::Note},
    {"info", TMessageKind::Note},
    {"debug", TMessageKind::Note},
}};

// The severity and the message text after ": " at `at`.
std::optional<std::pair<TMessageKind, std::string_view>> ReadSeverity(std::string_view rest) {
  for (const TSeverity& severity : kSeverities) {
    const std::size_t n = severity.Word.size();
    if (rest.size() > n && rest.substr(0, n) == severity.Word && rest[n] == ':') {
      std::string_view text = rest.substr(n + 1);
      if (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
      }
      return std::pair{severity.Kind, text};
    }
  }
  if (rest.substr(0, 4) == "... ") {
    return std::pair{TMessageKind::Note, rest};
  }
  return std::nullopt;
}

}  // namespace

std::optional<TAssemblerMessage> ParseAssemblerMessage(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
    line.remove_suffix(1);
  }
  // The file name is at least one byte long; each colon after it may start
  // the place.
  for (std::size_t colon = line.find(':', 1); colon != std::string_view::npos;
       colon = line.find(':', colon + 1)) {
    std::size_t at = colon + 1;
    const std::optional<int> number = ReadNumber(line, at);
    if (!number || at >= line.size()) {
      continue;
    }
    int column = 0;
    if (line[at] == ':' && at + 1 < line.size() && IsDigit(line[at + 1])) {
      ++at;
      const std::optional<int> col = ReadNumber(line, at);
      if (!col || at >= line.size()) {
        continue;
      }
      column = *col;
    }
    if (line.substr(at, 2) != ": ") {
      continue;
    }
    const auto severity = ReadSeverity(line.substr(at + 2));
    if (!severity) {
      continue;
    }
    TAssemblerMessage message;
    message.File = std::string(line.substr(0, colon));
    message.Line = *number;
    message.Column = column;
    message.Kind = severity->first;
    message.Text = std::string(severity->second);
    return message;
  }
  return std::nullopt;
}

std::string MessageFilePath(const std::string& directory, const std::string& file) {
  if (!file.empty() && file.front() == '/') {
    return file;
  }
  std::string_view name = file;
  // The source is handed to the assembler as ./name when its name could
  // read as an option.
  if (name.substr(0, 2) == "./") {
    name.remove_prefix(2);
  }
  if (directory.empty() || directory.back() == '/') {
    return directory + std::string(name);
  }
  return directory + "/" + std::string(name);
}

}  // namespace torvane
