// Character indexes of the edit-control messages and their bounded copies.
#include "editor/edit_messages.h"

#include <algorithm>
#include <cstring>

#include "document/string_list.h"

namespace torvane {

std::int64_t PosToCharIndex(const TSrcEditStringList& lines, TBufferPos pos) {
  std::int64_t index = 0;
  const int above = std::min(pos.Line - 1, lines.LineCount());
  for (int i = 0; i < above; ++i) {
    index += static_cast<std::int64_t>(lines.GetLine(i).size()) + 2;
  }
  return index + pos.Char - 1;
}

TBufferPos CharIndexToPos(const TSrcEditStringList& lines, std::int64_t index) {
  std::int64_t before = 0;
  for (int i = 0; i < lines.LineCount(); ++i) {
    const std::int64_t after = before + static_cast<std::int64_t>(lines.GetLine(i).size()) + 2;
    if (after > index) {
      const std::int64_t ch = index - before + 1;
      return {static_cast<std::int32_t>(std::clamp<std::int64_t>(ch, INT32_MIN, INT32_MAX)), i + 1};
    }
    before = after;
  }
  return {1, lines.LineCount() + 1};
}

std::int64_t CopyToBuffer(std::string_view text, char* buffer, std::int64_t capacity) {
  if (buffer == nullptr || capacity <= 0) {
    return 0;
  }
  const auto count = std::min<std::int64_t>(static_cast<std::int64_t>(text.size()), capacity - 1);
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(count));
  buffer[count] = '\0';
  return count;
}

std::int64_t GetLineMessage(const TSrcEditStringList& lines, std::int64_t line, char* buffer) {
  if (buffer == nullptr || line < 0 || line >= lines.LineCount()) {
    return 0;
  }
  std::uint16_t size = 0;
  std::memcpy(&size, buffer, sizeof size);  // the caller's buffer need not be aligned
  return CopyToBuffer(lines.GetLine(static_cast<int>(line)), buffer, size);
}

}  // namespace torvane
