// Taking a NASM listing line apart by NASM's fixed columns.
#include "listing/listing_line.h"

#include <optional>

namespace torvane {
namespace {

constexpr std::size_t kAddressGap = 1;    // after the line number
constexpr std::size_t kDataColumn = 10;   // bytes begin this far after the number
constexpr std::size_t kDataWidth = 19;    // 18 characters and the '-'
constexpr std::size_t kLevelColumn = 29;  // " <n>" or 4 blanks
constexpr std::size_t kTextColumn = 34;   // the text, after one blank
constexpr std::size_t kFillWidth = 18;    // a message's row of '*', '-' or 'X'
constexpr std::size_t kListedTextLimit = 1020;

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

bool AllBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

// "rep 1Ah" or "rep 26" (NASM's -Ld): the count, or nothing.
std::optional<std::uint64_t> SizeTag(std::string_view digits) {
  bool hex = false;
  if (!digits.empty() && (digits.back() == 'h' || digits.back() == 'H')) {
    hex = true;
    digits.remove_suffix(1);
  }
  if (digits.empty() || digits.size() > 16) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char c : digits) {
    const int digit = HexValue(c);
    if (digit < 0 || (!hex && digit > 9)) {
      return std::nullopt;
    }
    value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
  }
  return value;
}

// The bytes field: false when it is not what NASM writes.
bool ParseBytes(std::string_view field, TListingLine& out) {
  std::size_t i = 0;
  while (i < field.size()) {
    const char c = field[i];
    if (HexValue(c) >= 0) {
      if (i + 1 >= field.size() || HexValue(field[i + 1]) < 0 || out.Repeat != 0) {
        return false;
      }
      out.Bytes.push_back(static_cast<char>(HexValue(c) * 16 + HexValue(field[i + 1])));
      ++out.Size;
      i += 2;
    } else if (c == '?') {
      if (i + 1 >= field.size() || field[i + 1] != '?' || out.Repeat != 0) {
        return false;
      }
      out.Bytes.push_back('\0');
      ++out.Size;
      out.Flags |= lbReserved;
      i += 2;
    } else if (c == '[' || c == '(') {
      const char close = c == '[' ? ']' : ')';
      const std::size_t end = field.find(close, i + 1);
      if (end == std::string_view::npos || out.Repeat != 0) {
        return false;
      }
      const std::string_view inner = field.substr(i + 1, end - i - 1);
      if (inner.empty() || inner.size() % 2 != 0) {
        return false;
      }
      const bool segment = c == '[' && inner.find_first_not_of('s') == std::string_view::npos;
      for (std::size_t k = 0; k < inner.size(); k += 2) {
        if (segment) {
          out.Bytes.push_back('\0');
        } else if (HexValue(inner[k]) < 0 || HexValue(inner[k + 1]) < 0) {
          return false;
        } else {
          out.Bytes.push_back(static_cast<char>(HexValue(inner[k]) * 16 + HexValue(inner[k + 1])));
        }
        ++out.Size;
      }
      out.Flags |= segment ? lbSegment : lbRelocated;
      i = end + 1;
    } else if (c == '<') {
      const std::size_t end = field.find('>', i + 1);
      const std::size_t blank = field.find(' ', i + 1);
      if (end == std::string_view::npos || blank == std::string_view::npos || blank > end ||
          out.Repeat != 0) {
        return false;
      }
      const std::string_view tag = field.substr(i + 1, blank - i - 1);
      const std::optional<std::uint64_t> count = SizeTag(field.substr(blank + 1, end - blank - 1));
      if (!count) {
        return false;
      }
      if (tag == "rep") {
        out.Repeat = *count;
        out.Flags |= lbRepeated;
      } else if (tag == "bin") {
        out.Size += *count;
        out.Flags |= lbIncluded;
      } else if (tag == "res") {
        out.Size += *count;
        out.Flags |= lbReserved;
      } else if (tag == "zero" || tag == "len") {
        out.Size += *count;
        out.Flags |= lbUnlisted;
      } else {
        return false;
      }
      i = end + 1;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

TListingLineKind ParseListingLine(std::string_view line, TListingLine& out) {
  out = TListingLine();
  if (!line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
  }
  std::size_t b = line.find_first_not_of(' ');
  if (b == std::string_view::npos || HexValue(line[b]) < 0 || line[b] > '9') {
    return TListingLineKind::lkOther;
  }
  long long number = 0;
  for (; b < line.size() && line[b] >= '0' && line[b] <= '9'; ++b) {
    number = number * 10 + (line[b] - '0');
    if (number > 0x7FFFFFFF) {
      return TListingLineKind::lkOther;
    }
  }
  if (b < line.size() && line[b] != ' ') {
    return TListingLineKind::lkOther;
  }
  out.SourceLine = static_cast<int>(number);
  const std::string_view rest = line.substr(b);
  // A message: ten blanks, then a row of one fill character.
  if (rest.size() >= kDataColumn + kFillWidth && AllBlank(rest.substr(0, kDataColumn))) {
    const char fill = rest[kDataColumn];
    if ((fill == '*' || fill == '-' || fill == 'X') &&
        rest.substr(kDataColumn, kFillWidth).find_first_not_of(fill) == std::string_view::npos) {
      out.Kind = TListingLineKind::lkMessage;
      return out.Kind;
    }
  }
  // The address: eight hex digits, or blanks when the line made nothing.
  const std::string_view address = rest.substr(std::min(rest.size(), kAddressGap), 8);
  if (address.size() == 8 && !AllBlank(address)) {
    std::uint32_t value = 0;
    for (const char c : address) {
      const int digit = HexValue(c);
      if (digit < 0) {
        return TListingLineKind::lkOther;
      }
      value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    if (rest.size() <= kDataColumn || rest[kDataColumn - 1] != ' ') {
      return TListingLineKind::lkOther;
    }
    out.HasAddress = true;
    out.Address = value;
    std::string_view field = rest.substr(kDataColumn, kDataWidth);
    field = field.substr(0, field.find_last_not_of(' ') + 1);
    if (!field.empty() && field.back() == '-') {
      out.Continued = true;
      field.remove_suffix(1);
    }
    if (field.empty() || !ParseBytes(field, out)) {
      return TListingLineKind::lkOther;
    }
  } else if (!AllBlank(rest.substr(0, std::min(rest.size(), kLevelColumn)))) {
    return TListingLineKind::lkOther;
  }
  // The level, then one blank and the text. Level 10 and more leave out
  // the marker's leading blank, which can shift the text by one.
  std::size_t text = kTextColumn;
  const std::size_t marker = rest.find_first_not_of(' ', kLevelColumn);
  if (marker != std::string_view::npos && marker <= kLevelColumn + 1 && rest[marker] == '<') {
    const std::size_t close = rest.find('>', marker);
    if (close == std::string_view::npos || close == marker + 1 || close > marker + 5) {
      return TListingLineKind::lkOther;
    }
    int level = 0;
    for (std::size_t i = marker + 1; i < close; ++i) {
      if (rest[i] < '0' || rest[i] > '9') {
        return TListingLineKind::lkOther;
      }
      level = level * 10 + (rest[i] - '0');
    }
    out.Level = level;
    text = close + 2;
  } else if (rest.size() > kLevelColumn && !AllBlank(rest.substr(kLevelColumn, 4))) {
    return TListingLineKind::lkOther;
  }
  if (rest.size() < text) {
    // No text: more bytes of the line before, or a text-less line that a
    // hand edit stripped of its blanks.
    out.Kind = out.HasAddress ? TListingLineKind::lkContinuation : TListingLineKind::lkSource;
    return out.Kind;
  }
  if (rest[text - 1] != ' ') {
    return TListingLineKind::lkOther;
  }
  out.Text = rest.substr(text);
  out.Kind = TListingLineKind::lkSource;
  return out.Kind;
}

bool ListedTextMatches(std::string_view listed, std::string_view source) {
  if (listed == source) {
    return true;
  }
  return listed.size() == kListedTextLimit + 3 && listed.ends_with("...") &&
         source.size() >= kListedTextLimit &&
         source.substr(0, kListedTextLimit) == listed.substr(0, kListedTextLimit);
}

}  // namespace torvane
