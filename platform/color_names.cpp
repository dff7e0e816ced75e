// Colour names and numbers as text (see color_names.h).
#include "platform/color_names.h"

#include <QByteArray>
#include <charconv>

namespace torvane {
namespace {

struct NamedColor {
  const char* Name;
  TColor Value;
};

constexpr NamedColor kColorNames[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clScrollBar", clScrollBar},
    {"clBackground", clBackground},
    {"clActiveCaption", clActiveCaption},
    {"clInactiveCaption", clInactiveCaption},
    {"clMenu", clMenu},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clMenuText", clMenuText},
    {"clWindowText", clWindowText},
    {"clCaptionText", clCaptionText},
    {"clActiveBorder", clActiveBorder},
    {"clInactiveBorder", clInactiveBorder},
    {"clAppWorkSpace", clAppWorkSpace},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText},
    {"clBtnText", clBtnText},
    {"clInactiveCaptionText", clInactiveCaptionText},
    {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk},
    {"clNone", clNone},
    {"clDefault", clDefault},
};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return qstrnicmp(a.data(), static_cast<qsizetype>(a.size()), b.data(),
                   static_cast<qsizetype>(b.size())) == 0;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') {
    s.remove_prefix(1);
  }
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') {
    s.remove_suffix(1);
  }
  return s;
}

}  // namespace

std::optional<std::int32_t> StringToInteger(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  }
  std::int64_t value = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) {
    return std::nullopt;
  }
  value = negative ? -value : value;
  // Hexadecimal covers the unsigned 32-bit range (system colours).
  if (value < INT32_MIN || value > (base == 16 ? std::int64_t{UINT32_MAX} : INT32_MAX)) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<TColor> StringToColor(std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  for (const NamedColor& named : kColorNames) {
    if (EqualsIgnoringAsciiCase(trimmed, named.Name)) {
      return named.Value;
    }
  }
  if (const std::optional<std::int32_t> value = StringToInteger(trimmed)) {
    return static_cast<TColor>(*value);
  }
  return std::nullopt;
}

}  // namespace torvane
