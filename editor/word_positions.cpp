// Word moves: the next and previous word start. A multi-byte character is a
// word character of its own class, so moves stop at the edges of such runs.
#include <algorithm>
#include <vector>

#include "editor/edit_controller.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

enum TCharClass { kNonWord, kWord, kMultiByte };

struct TLineChars {
  std::vector<int> Starts;  // 0-based byte index of each character
  std::vector<TCharClass> Classes;
};

TLineChars ClassifyLine(const TWordChars& words, std::string_view text) {
  TLineChars chars;
  for (std::size_t i = 0; i < text.size();) {
    const int length = std::max(CharLength(text, i), 1);
    chars.Starts.push_back(static_cast<int>(i));
    if (length > 1) {
      chars.Classes.push_back(kMultiByte);
    } else {
      chars.Classes.push_back(IsWordCharAt(words, text, i) ? kWord : kNonWord);
    }
    i += static_cast<std::size_t>(length);
  }
  return chars;
}

// Index of the character starting at or after the 0-based byte.
std::size_t CharIndexAt(const TLineChars& chars, int byte) {
  return static_cast<std::size_t>(std::lower_bound(chars.Starts.begin(), chars.Starts.end(), byte) -
                                  chars.Starts.begin());
}

int FirstWordChar(const TWordChars& words, std::string_view text) {
  const TLineChars chars = ClassifyLine(words, text);
  for (std::size_t k = 0; k < chars.Starts.size(); ++k) {
    if (chars.Classes[k] != kNonWord) {
      return chars.Starts[k] + 1;
    }
  }
  return 1;
}

}  // namespace

TBufferPos TSrcEditController::NextWordPosFrom(TBufferPos pos) const {
  const std::string_view text = model_.LineText(pos.Line);
  const int length = static_cast<int>(text.size());
  if (pos.Char <= length && pos.Char >= 1) {
    const TLineChars chars = ClassifyLine(model_.WordChars(), text);
    std::size_t k = CharIndexAt(chars, pos.Char - 1);
    if (k < chars.Classes.size() && chars.Classes[k] != kNonWord) {
      const TCharClass run = chars.Classes[k];
      while (k < chars.Classes.size() && chars.Classes[k] == run) {
        ++k;
      }
      // A different word class right behind the run starts the next word.
      if (k < chars.Classes.size() && chars.Classes[k] != kNonWord) {
        return {chars.Starts[k] + 1, pos.Line};
      }
    }
    while (k < chars.Classes.size() && chars.Classes[k] == kNonWord) {
      ++k;
    }
    if (k < chars.Classes.size()) {
      return {chars.Starts[k] + 1, pos.Line};
    }
    return {length + 1, pos.Line};
  }
  if (pos.Line < model_.LineCount()) {
    return {FirstWordChar(model_.WordChars(), model_.LineText(pos.Line + 1)), pos.Line + 1};
  }
  return {std::max(pos.Char, 1), pos.Line};
}

TBufferPos TSrcEditController::PrevWordPosFrom(TBufferPos pos) const {
  const std::string_view text = model_.LineText(pos.Line);
  const int length = static_cast<int>(text.size());
  const int c = std::min(pos.Char, length + 1);
  const auto previous_line_end = [&]() -> TBufferPos {
    if (pos.Line >= 2) {
      return {static_cast<int>(model_.LineText(pos.Line - 1).size()) + 1, pos.Line - 1};
    }
    return {1, pos.Line};
  };
  if (c <= 1) {
    return previous_line_end();
  }
  const TLineChars chars = ClassifyLine(model_.WordChars(), text);
  std::size_t k = CharIndexAt(chars, c - 1);  // characters before k lie before the caret
  while (k > 0 && chars.Classes[k - 1] == kNonWord) {
    --k;
  }
  if (k == 0) {
    return previous_line_end();
  }
  const TCharClass run = chars.Classes[k - 1];
  while (k > 0 && chars.Classes[k - 1] == run) {
    --k;
  }
  return {chars.Starts[k] + 1, pos.Line};
}

}  // namespace torvane
