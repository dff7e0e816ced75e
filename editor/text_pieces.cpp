// Line splitting and slicing for the editing commands.
#include "editor/text_pieces.h"

#include <algorithm>

namespace torvane {

std::vector<std::string_view> SplitAtLineBreaks(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      pieces.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        ++i;
      }
      start = i + 1;
    }
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

std::string_view LineSlice(std::string_view text, int from, int to) {
  const auto size = static_cast<long>(text.size());
  const long a = std::clamp<long>(from - 1L, 0, size);
  const long b = std::clamp<long>(to - 1L, a, size);
  return text.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a));
}

std::string_view TrimTrailingSpaces(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
    --end;
  }
  return text.substr(0, end);
}

}  // namespace torvane
