// The one module that answers questions about characters in the document's
// byte text: how long a character is, how many display cells it takes, and
// how bytes turn into QString for drawing and back. No other file decodes.
#pragma once

#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

enum class CodePageKind : std::uint8_t {
  SingleByte,  // every byte is one character of one cell
  Utf8,
  Gbk,       // CP936
  ShiftJis,  // CP932
  Big5,      // CP950
  Uhc,       // CP949
};

class CodePage {
 public:
  // The process-wide code page: TORVANE_CODEPAGE if set, else the locale's
  // codeset. Read once on first use; SetCurrent replaces it (tests, start-up).
  static const CodePage& Current();
  static void SetCurrent(const CodePage& page);
  // Understands UTF-8/UTF8, GBK/CP936/GB2312, CP932/SJIS/SHIFT_JIS, BIG5/CP950,
  // CP949/UHC/EUC-KR; any other name is a single-byte code page.
  static CodePage FromName(std::string_view name);

  CodePageKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }
  bool IsMultiByte() const { return kind_ != CodePageKind::SingleByte; }

  // Bytes of the character that starts at byte i: 1 for ASCII, for a byte that
  // starts no valid sequence and for a lone trail byte. 0 when i is past the end.
  int CharLength(std::string_view text, std::size_t i) const {
    if (i >= text.size()) {
      return 0;
    }
    if (static_cast<unsigned char>(text[i]) < 0x80 || kind_ == CodePageKind::SingleByte) {
      return 1;
    }
    return MultiByteLength(text, i);
  }
  // Characters in the bytes, each as CharLength steps over them; runs of ASCII
  // are counted eight bytes at a time (a whole selected file per caret move).
  int CharCount(std::string_view text) const;
  // True when the byte can start a multi-byte character.
  bool IsLeadByte(unsigned char byte) const;
  // True when byte i lies inside a character rather than at its start.
  bool IsTrailByte(std::string_view text, std::size_t i) const;
  // Display cells of the character at byte i (1 or 2). A TAB is the caller's.
  int CharCells(std::string_view text, std::size_t i) const {
    if (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) {
      return 1;
    }
    return MultiByteCells(text, i);
  }
  // The Unicode character at byte i, U+FFFD when the bytes do not decode.
  char32_t DecodeChar(std::string_view text, std::size_t i) const;

  QString Decode(std::string_view bytes) const;
  std::string Encode(const QString& text) const;

 private:
  int MultiByteLength(std::string_view text, std::size_t i) const;
  int MultiByteCells(std::string_view text, std::size_t i) const;
  bool IsDbcsTrail(unsigned char byte) const;

  CodePageKind kind_ = CodePageKind::Utf8;
  std::string name_ = "UTF-8";
  std::string iconv_name_;  // for the single-byte pages, decoding through iconv
};

// Shorthands for the current code page, used all over the editor.
inline int CharLength(std::string_view text, std::size_t i) {
  return CodePage::Current().CharLength(text, i);
}
inline bool IsLeadByte(unsigned char byte) {
  return CodePage::Current().IsLeadByte(byte);
}
inline bool IsTrailByte(std::string_view text, std::size_t i) {
  return CodePage::Current().IsTrailByte(text, i);
}
inline int CharCells(std::string_view text, std::size_t i) {
  return CodePage::Current().CharCells(text, i);
}
inline QString DecodeText(std::string_view bytes) {
  return CodePage::Current().Decode(bytes);
}
inline std::string EncodeText(const QString& text) {
  return CodePage::Current().Encode(text);
}

// East-Asian width of a Unicode character: 2 for wide and full-width
// characters, else 1 (also for unprintable ones, which draw as one cell).
int UnicodeCells(char32_t c);

// Switches the current code page for the lifetime of the object (tests).
class ScopedCodePage {
 public:
  explicit ScopedCodePage(std::string_view name) : saved_(CodePage::Current()) {
    CodePage::SetCurrent(CodePage::FromName(name));
  }
  ~ScopedCodePage() { CodePage::SetCurrent(saved_); }
  ScopedCodePage(const ScopedCodePage&) = delete;
  ScopedCodePage& operator=(const ScopedCodePage&) = delete;

 private:
  CodePage saved_;
};

}  // namespace torvane
