// Private-profile reading and writing on the raw bytes of the file, so that
// comments, other sections, odd spacing and CR LF line breaks survive a write.
#include "platform/ini_file.h"

#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <optional>

#include "platform/file_access.h"

namespace torvane {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'a' && x <= 'z') {
      x = static_cast<char>(x - 'a' + 'A');
    }
    if (y >= 'a' && y <= 'z') {
      y = static_cast<char>(y - 'a' + 'A');
    }
    if (x != y) {
      return false;
    }
  }
  return true;
}

// One line of the file: its text runs from start to text_end, its line break
// (CR LF, LF, CR or none at the end of the file) from text_end to end.
struct Line {
  std::size_t start = 0;
  std::size_t text_end = 0;
  std::size_t end = 0;
};

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t i = 0;
  while (i < bytes.size()) {
    Line line;
    line.start = i;
    while (i < bytes.size() && bytes[i] != '\n' && bytes[i] != '\r') {
      ++i;
    }
    line.text_end = i;
    if (i < bytes.size()) {
      i += (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
    }
    line.end = i;
    lines.push_back(line);
  }
  return lines;
}

std::string_view TextOf(std::string_view bytes, const Line& line) {
  return bytes.substr(line.start, line.text_end - line.start);
}

// The name of a "[name]" header line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.front() != '[') {
    return std::nullopt;
  }
  const std::size_t close = text.find(']');
  if (close == std::string_view::npos) {
    return std::nullopt;
  }
  return Trim(text.substr(1, close - 1));
}

struct Entry {
  std::string_view key;
  std::string_view value;
};

// A "key=value" line; comments (';' or '#') and lines without '=' are none.
std::optional<Entry> EntryOf(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
    return std::nullopt;
  }
  const std::size_t eq = text.find('=');
  if (eq == std::string_view::npos) {
    return std::nullopt;
  }
  return Entry{Trim(text.substr(0, eq)), Trim(text.substr(eq + 1))};
}

// Where one section lies: the index of its header line and of the line after
// its last line. The first of several equally named sections is the one used.
struct SectionSpan {
  std::size_t header = 0;
  std::size_t end = 0;
};

std::optional<SectionSpan> FindSection(std::string_view bytes, const std::vector<Line>& lines,
                                       std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(TextOf(bytes, lines[i]));
    if (!name || !SameName(*name, Trim(section))) {
      continue;
    }
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionName(TextOf(bytes, lines[end]))) {
      ++end;
    }
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(std::string_view bytes, const std::vector<Line>& lines,
                                   const SectionSpan& span, std::string_view key) {
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    const auto entry = EntryOf(TextOf(bytes, lines[i]));
    if (entry && SameName(entry->key, Trim(key))) {
      return i;
    }
  }
  return std::nullopt;
}

// The file's own line break (the first one it uses), LF for a new file.
std::string LineBreakOf(std::string_view bytes, const std::vector<Line>& lines) {
  for (const Line& line : lines) {
    if (line.end > line.text_end) {
      return std::string(bytes.substr(line.text_end, line.end - line.text_end));
    }
  }
  return "\n";
}

std::optional<int> ParseInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.size() > 1 && text[0] == '$') {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  std::uint64_t magnitude = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (ec != std::errc() || ptr != text.data() + text.size()) {
    return std::nullopt;
  }
  // Hexadecimal spells the 32 bits directly (so $FFFFFFFF is -1); decimal
  // must fit a signed 32-bit number.
  if (base == 16) {
    if (magnitude > 0xFFFFFFFFu) {
      return std::nullopt;
    }
    const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    return negative ? static_cast<int>(-static_cast<std::int64_t>(bits)) : bits;
  }
  const std::int64_t value =
      negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  if (magnitude > 0x80000000u || value < INT32_MIN || value > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

}  // namespace

std::string TIniFile::Load() const {
  std::string bytes;
  ReadFileBytes(file_name_, &bytes);  // a missing or unreadable file reads as empty
  return bytes;
}

std::string TIniFile::LoadForUpdate() const {
  std::string bytes;
  if (!ReadFileBytes(file_name_, &bytes) && ::access(file_name_.c_str(), F_OK) == 0) {
    throw EIniFileError(FormatMessage("Unable to write to %s", file_name_.c_str()));
  }
  return bytes;
}

void TIniFile::Store(const std::string& bytes) const {
  if (!WriteFileSafely(file_name_, bytes)) {
    throw EIniFileError(FormatMessage("Unable to write to %s", file_name_.c_str()));
  }
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view default_value) const {
  const std::string bytes = Load();
  const std::vector<Line> lines = SplitLines(bytes);
  const auto span = FindSection(bytes, lines, section);
  if (!span) {
    return std::string(default_value);
  }
  const auto index = FindKey(bytes, lines, *span, key);
  if (!index) {
    return std::string(default_value);
  }
  return std::string(EntryOf(TextOf(bytes, lines[*index]))->value);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int default_value) const {
  const std::string text = ReadString(section, key, "");
  return ParseInteger(text).value_or(default_value);
}

bool TIniFile::SectionExists(std::string_view section) const {
  const std::string bytes = Load();
  return FindSection(bytes, SplitLines(bytes), section).has_value();
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  const std::string bytes = Load();
  const std::vector<Line> lines = SplitLines(bytes);
  const auto span = FindSection(bytes, lines, section);
  return span && FindKey(bytes, lines, *span, key).has_value();
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
  const std::string bytes = Load();
  const std::vector<Line> lines = SplitLines(bytes);
  std::vector<std::string> keys;
  const auto span = FindSection(bytes, lines, section);
  if (!span) {
    return keys;
  }
  for (std::size_t i = span->header + 1; i < span->end; ++i) {
    if (const auto entry = EntryOf(TextOf(bytes, lines[i]))) {
      keys.emplace_back(entry->key);
    }
  }
  return keys;
}

std::vector<std::string> TIniFile::ReadSections() const {
  const std::string bytes = Load();
  std::vector<std::string> names;
  for (const Line& line : SplitLines(bytes)) {
    if (const auto name = SectionName(TextOf(bytes, line))) {
      names.emplace_back(*name);
    }
  }
  return names;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string bytes = LoadForUpdate();
  const std::vector<Line> lines = SplitLines(bytes);
  const std::string eol = LineBreakOf(bytes, lines);
  const std::string entry = std::string(Trim(key)) + "=" + std::string(value);
  const auto span = FindSection(bytes, lines, section);
  if (!span) {
    if (!lines.empty() && lines.back().end == lines.back().text_end) {
      bytes += eol;
    }
    bytes += "[" + std::string(Trim(section)) + "]" + eol + entry + eol;
    Store(bytes);
    return;
  }
  if (const auto index = FindKey(bytes, lines, *span, key)) {
    const Line& line = lines[*index];
    bytes.replace(line.start, line.text_end - line.start, entry);
    Store(bytes);
    return;
  }
  // A new key goes after the section's last non-blank line, so the blank line
  // that usually separates it from the next section stays in place.
  std::size_t last = span->header;
  for (std::size_t i = span->header + 1; i < span->end; ++i) {
    if (!Trim(TextOf(bytes, lines[i])).empty()) {
      last = i;
    }
  }
  const Line& after = lines[last];
  if (after.end == after.text_end) {
    bytes.insert(after.end, eol + entry);
  } else {
    bytes.insert(after.end, entry + eol);
  }
  Store(bytes);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::EraseSection(std::string_view section) {
  std::string bytes = LoadForUpdate();
  const std::vector<Line> lines = SplitLines(bytes);
  const auto span = FindSection(bytes, lines, section);
  if (!span) {
    return;
  }
  const std::size_t from = lines[span->header].start;
  const std::size_t to = span->end < lines.size() ? lines[span->end].start : bytes.size();
  bytes.erase(from, to - from);
  Store(bytes);
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  std::string bytes = LoadForUpdate();
  const std::vector<Line> lines = SplitLines(bytes);
  const auto span = FindSection(bytes, lines, section);
  if (!span) {
    return;
  }
  const auto index = FindKey(bytes, lines, *span, key);
  if (!index) {
    return;
  }
  bytes.erase(lines[*index].start, lines[*index].end - lines[*index].start);
  Store(bytes);
}

}  // namespace torvane
