// The default word characters and the per-character test.
#include "editor/word_chars.h"

#include "platform/codepage.h"

namespace torvane {

TWordChars DefaultWordChars() {
  TWordChars w;
  for (int c = '0'; c <= '9'; ++c) {
    w.set(c);
  }
  for (int c = 'A'; c <= 'Z'; ++c) {
    w.set(c);
    w.set(c + ('a' - 'A'));
  }
  w.set('_');
  for (int c = 192; c <= 255; ++c) {
    if (c != 215 && c != 247) {
      w.set(c);
    }
  }
  return w;
}

bool IsWordCharAt(const TWordChars& chars, std::string_view text, std::size_t i) {
  if (i >= text.size()) {
    return false;
  }
  if (CharLength(text, i) > 1 || IsTrailByte(text, i)) {
    return true;
  }
  return chars.test(static_cast<unsigned char>(text[i]));
}

}  // namespace torvane
