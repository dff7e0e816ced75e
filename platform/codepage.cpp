// Character rules of the supported code pages; see codepage.h.
#include "platform/codepage.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace torvane {
namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return out;
}

bool InRange(unsigned char b, unsigned lo, unsigned hi) {
  return b >= lo && b <= hi;
}

// Length of a well-formed UTF-8 sequence at i, or 1 when it is malformed.
int Utf8Length(std::string_view text, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  int len = 0;
  unsigned lo = 0x80;
  unsigned hi = 0xBF;
  if (InRange(b0, 0xC2, 0xDF)) {
    len = 2;
  } else if (b0 == 0xE0) {
    len = 3;
    lo = 0xA0;
  } else if (InRange(b0, 0xE1, 0xEC) || InRange(b0, 0xEE, 0xEF)) {
    len = 3;
  } else if (b0 == 0xED) {
    len = 3;
    hi = 0x9F;
  } else if (b0 == 0xF0) {
    len = 4;
    lo = 0x90;
  } else if (InRange(b0, 0xF1, 0xF3)) {
    len = 4;
  } else if (b0 == 0xF4) {
    len = 4;
    hi = 0x8F;
  } else {
    return 1;
  }
  if (i + static_cast<std::size_t>(len) > text.size()) {
    return 1;
  }
  if (!InRange(static_cast<unsigned char>(text[i + 1]), lo, hi)) {
    return 1;
  }
  for (int k = 2; k < len; ++k) {
    if (!InRange(static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]), 0x80, 0xBF)) {
      return 1;
    }
  }
  return len;
}

char32_t Utf8Decode(std::string_view text, std::size_t i, int len) {
  const auto b = [&](int k) {
    return static_cast<char32_t>(static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]));
  };
  switch (len) {
    case 2:
      return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
      return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    case 4:
      return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    default:
      return b(0) < 0x80 ? b(0) : 0xFFFD;
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// iconv descriptors are costly to open; one per direction and name, kept
// for the life of the process.
class IconvCache {
 public:
  static IconvCache& Instance() {
    static IconvCache cache;
    return cache;
  }
  ~IconvCache() {
    for (const auto& [key, cd] : open_) {
      if (cd != reinterpret_cast<iconv_t>(-1)) {
        iconv_close(cd);
      }
    }
  }
  // Converts in to the target, stopping at the first failure. Returns false
  // when nothing could be converted or the conversion is unknown.
  bool Convert(const std::string& to, const std::string& from, std::string_view in,
               std::string& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    iconv_t cd = Open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
      return false;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buffer[64];
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    const std::size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    if (rc == static_cast<std::size_t>(-1) || src_left != 0) {
      return false;
    }
    out.assign(buffer, sizeof buffer - dst_left);
    return true;
  }

 private:
  iconv_t Open(const std::string& to, const std::string& from) {
    const auto key = to + "<" + from;
    auto it = open_.find(key);
    if (it == open_.end()) {
      it = open_.emplace(key, iconv_open(to.c_str(), from.c_str())).first;
    }
    return it->second;
  }
  std::mutex mutex_;
  std::map<std::string, iconv_t> open_;
};

std::string IconvName(CodePageKind kind, const std::string& name) {
  switch (kind) {
    case CodePageKind::Utf8:
      return "UTF-8";
    case CodePageKind::Gbk:
      return "CP936";
    case CodePageKind::ShiftJis:
      return "CP932";
    case CodePageKind::Big5:
      return "CP950";
    case CodePageKind::Uhc:
      return "CP949";
    case CodePageKind::SingleByte:
      break;
  }
  return name.empty() ? std::string("ISO-8859-1") : name;
}

CodePage InitialCodePage() {
  if (const char* env = std::getenv("TORVANE_CODEPAGE"); env != nullptr && *env != '\0') {
    return CodePage::FromName(env);
  }
  // The locale's codeset without disturbing a locale the program already set.
  const char* previous = std::setlocale(LC_CTYPE, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  std::setlocale(LC_CTYPE, "");
  const std::string codeset = nl_langinfo(CODESET);
  std::setlocale(LC_CTYPE, saved.c_str());
  // A plain "C" locale reports ANSI_X3.4-1968; the editor treats it as UTF-8
  // so that a freshly installed machine still shows Chinese comments.
  if (codeset == "ANSI_X3.4-1968" || codeset.empty()) {
    return CodePage::FromName("UTF-8");
  }
  return CodePage::FromName(codeset);
}

CodePage& CurrentStorage() {
  static CodePage page = InitialCodePage();
  return page;
}

}  // namespace

const CodePage& CodePage::Current() {
  return CurrentStorage();
}

void CodePage::SetCurrent(const CodePage& page) {
  CurrentStorage() = page;
}

CodePage CodePage::FromName(std::string_view name) {
  CodePage page;
  const std::string up = Upper(name);
  page.name_ = std::string(name);
  if (up == "UTF-8" || up == "UTF8") {
    page.kind_ = CodePageKind::Utf8;
  } else if (up == "GBK" || up == "CP936" || up == "GB2312" || up == "GB18030" || up == "936") {
    page.kind_ = CodePageKind::Gbk;
  } else if (up == "CP932" || up == "SJIS" || up == "SHIFT_JIS" || up == "SHIFT-JIS" ||
             up == "932") {
    page.kind_ = CodePageKind::ShiftJis;
  } else if (up == "BIG5" || up == "CP950" || up == "BIG5-HKSCS" || up == "950") {
    page.kind_ = CodePageKind::Big5;
  } else if (up == "CP949" || up == "UHC" || up == "EUC-KR" || up == "949") {
    page.kind_ = CodePageKind::Uhc;
  } else {
    page.kind_ = CodePageKind::SingleByte;
  }
  page.iconv_name_ = IconvName(page.kind_, page.name_);
  return page;
}

bool CodePage::IsDbcsTrail(unsigned char b) const {
  switch (kind_) {
    case CodePageKind::Gbk:
      return InRange(b, 0x40, 0x7E) || InRange(b, 0x80, 0xFE);
    case CodePageKind::ShiftJis:
      return InRange(b, 0x40, 0x7E) || InRange(b, 0x80, 0xFC);
    case CodePageKind::Big5:
      return InRange(b, 0x40, 0x7E) || InRange(b, 0xA1, 0xFE);
    case CodePageKind::Uhc:
      return InRange(b, 0x41, 0x5A) || InRange(b, 0x61, 0x7A) || InRange(b, 0x81, 0xFE);
    default:
      return false;
  }
}

bool CodePage::IsLeadByte(unsigned char b) const {
  switch (kind_) {
    case CodePageKind::SingleByte:
      return false;
    case CodePageKind::Utf8:
      return InRange(b, 0xC2, 0xF4);
    case CodePageKind::ShiftJis:
      return InRange(b, 0x81, 0x9F) || InRange(b, 0xE0, 0xFC);
    case CodePageKind::Gbk:
    case CodePageKind::Big5:
    case CodePageKind::Uhc:
      return InRange(b, 0x81, 0xFE);
  }
  return false;
}

int CodePage::CharCount(std::string_view text) const {
  if (kind_ == CodePageKind::SingleByte) {
    return static_cast<int>(text.size());
  }
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  int count = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    std::uint64_t word = 0;
    if (text.size() - i >= sizeof word &&
        (std::memcpy(&word, text.data() + i, sizeof word), (word & kHighBits) == 0)) {
      count += static_cast<int>(sizeof word);
      i += sizeof word;
      continue;
    }
    i += static_cast<std::size_t>(std::max(CharLength(text, i), 1));
    ++count;
  }
  return count;
}

int CodePage::MultiByteLength(std::string_view text, std::size_t i) const {
  if (kind_ == CodePageKind::Utf8) {
    return Utf8Length(text, i);
  }
  const auto b = static_cast<unsigned char>(text[i]);
  if (IsLeadByte(b) && i + 1 < text.size() &&
      IsDbcsTrail(static_cast<unsigned char>(text[i + 1]))) {
    return 2;
  }
  return 1;
}

int CodePage::MultiByteCells(std::string_view text, std::size_t i) const {
  if (i >= text.size()) {
    return 1;
  }
  if (kind_ == CodePageKind::Utf8) {
    const int len = Utf8Length(text, i);
    return len == 1 ? 1 : UnicodeCells(Utf8Decode(text, i, len));
  }
  return CharLength(text, i);
}

bool CodePage::IsTrailByte(std::string_view text, std::size_t i) const {
  if (i >= text.size() || kind_ == CodePageKind::SingleByte) {
    return false;
  }
  if (kind_ == CodePageKind::Utf8) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      return false;
    }
    for (std::size_t back = 1; back <= 3 && back <= i; ++back) {
      const std::size_t start = i - back;
      const auto b = static_cast<unsigned char>(text[start]);
      if ((b & 0xC0) != 0x80) {
        return Utf8Length(text, start) > static_cast<int>(back);
      }
    }
    return false;
  }
  // A double-byte trail can look like a lead, so only a walk from the start
  // of the text tells where characters begin.
  std::size_t pos = 0;
  while (pos < i) {
    const std::size_t len = static_cast<std::size_t>(CharLength(text, pos));
    if (pos + len > i) {
      return true;
    }
    pos += len;
  }
  return false;
}

char32_t CodePage::DecodeChar(std::string_view text, std::size_t i) const {
  if (i >= text.size()) {
    return 0xFFFD;
  }
  const auto b = static_cast<unsigned char>(text[i]);
  if (b < 0x80) {
    return b;
  }
  const int len = CharLength(text, i);
  if (kind_ == CodePageKind::Utf8) {
    return Utf8Decode(text, i, len);
  }
  if (kind_ != CodePageKind::SingleByte && len == 1 &&
      !(kind_ == CodePageKind::ShiftJis && InRange(b, 0xA1, 0xDF))) {
    return 0xFFFD;
  }
  std::string utf8;
  if (!IconvCache::Instance().Convert("UTF-8", iconv_name_, text.substr(i, len), utf8) ||
      utf8.empty()) {
    if (kind_ == CodePageKind::SingleByte && iconv_name_ == "ISO-8859-1") {
      return b;
    }
    return 0xFFFD;
  }
  const int ulen = Utf8Length(utf8, 0);
  return Utf8Decode(utf8, 0, ulen);
}

QString CodePage::Decode(std::string_view bytes) const {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out.append(QChar(b));
      ++i;
      continue;
    }
    const char32_t c = DecodeChar(bytes, i);
    const char32_t one[1] = {c};
    out.append(QString::fromUcs4(one, 1));
    i += static_cast<std::size_t>(CharLength(bytes, i));
  }
  return out;
}

std::string CodePage::Encode(const QString& text) const {
  if (kind_ == CodePageKind::Utf8) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  }
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  const QList<uint> ucs4 = text.toUcs4();
  for (const uint u : ucs4) {
    const auto c = static_cast<char32_t>(u);
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    std::string utf8;
    AppendUtf8(utf8, c);
    std::string encoded;
    if (IconvCache::Instance().Convert(iconv_name_, "UTF-8", utf8, encoded) && !encoded.empty()) {
      out += encoded;
    } else if (kind_ == CodePageKind::SingleByte && iconv_name_ == "ISO-8859-1" && c < 0x100) {
      out += static_cast<char>(c);
    } else {
      out += '?';  // a character the code page cannot hold
    }
  }
  return out;
}

int UnicodeCells(char32_t c) {
  struct Range {
    char32_t lo, hi;
  };
  // Wide and full-width blocks of the East-Asian width property.
  static constexpr Range kWide[] = {
      {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
      {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
      {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
      {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
      {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
      {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
      {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
      {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
      {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
      {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
      {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
      {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4},
      {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF},
      {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F},
      {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF},
      {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
  };
  if (c < 0x1100) {
    return 1;
  }
  const auto* it = std::upper_bound(std::begin(kWide), std::end(kWide), c,
                                    [](char32_t v, const Range& r) { return v < r.lo; });
  if (it == std::begin(kWide)) {
    return 1;
  }
  --it;
  return c <= it->hi ? 2 : 1;
}

}  // namespace torvane
