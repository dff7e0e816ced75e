// Reading the source's origin and checking an image before any emulator sees
// it: QEMU's own answer to a bad image is a "no bootable device" screen, or
// nothing at all without a display.
#include "run/program_kind.h"

#include <cctype>
#include <cstdio>

namespace torvane {
namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.' || c == '$' ||
         c == '#' || c == '@' || c == '~' || c == '?';
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  c = Lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : 99;
}

// A number as NASM writes one, underscores allowed between digits; -1 when
// the text is no plain number.
std::int64_t ParseNumber(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (Lower(text[1]) == 'x' || Lower(text[1]) == 'h')) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.size() > 1 && text[0] == '$' && DigitValue(text[1]) < 10) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 1 && Lower(text.back()) == 'h' && DigitValue(text[0]) < 10) {
    base = 16;
    text.remove_suffix(1);
  } else if (text.size() > 1 && Lower(text.back()) == 'd') {
    text.remove_suffix(1);
  }
  if (text.empty()) {
    return -1;
  }
  std::int64_t value = 0;
  bool digits = false;
  for (const char c : text) {
    if (c == '_') {
      continue;
    }
    const int d = DigitValue(c);
    if (d >= base || value > (std::int64_t{1} << 40)) {
      return -1;
    }
    value = value * base + d;
    digits = true;
  }
  return digits ? value : -1;
}

// The line without its comment (a ';' outside quotes).
std::string_view StripComment(std::string_view line) {
  char quote = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote != 0) {
      quote = c == quote ? 0 : quote;
    } else if (c == '\'' || c == '"' || c == '`') {
      quote = c;
    } else if (c == ';') {
      return line.substr(0, i);
    }
  }
  return line;
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

// The operand of an `org` line, or nothing when the line is no org.
bool OrgOperand(std::string_view line, std::string_view* operand) {
  line = Trim(StripComment(line));
  if (!line.empty() && line.front() == '[') {
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) {
      return false;
    }
    line = Trim(line.substr(1, close - 1));
  }
  if (line.size() < 4 || Lower(line[0]) != 'o' || Lower(line[1]) != 'r' || Lower(line[2]) != 'g' ||
      IsWordChar(line[3])) {
    return false;
  }
  *operand = Trim(line.substr(3));
  return true;
}

bool HasBootSignature(std::string_view first_sector) {
  return first_sector.size() >= kBootSectorSize &&
         static_cast<unsigned char>(first_sector[510]) == 0x55 &&
         static_cast<unsigned char>(first_sector[511]) == 0xAA;
}

std::string Format(const char* format, const std::string& name, std::int64_t a, std::int64_t b) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, name.c_str(), static_cast<long long>(a),
                static_cast<long long>(b));
  return buffer;
}

}  // namespace

std::int64_t SourceOrigin(std::string_view source) {
  while (!source.empty()) {
    const std::size_t end = source.find('\n');
    const std::string_view line = source.substr(0, end);
    std::string_view operand;
    if (OrgOperand(line, &operand)) {
      return ParseNumber(operand);
    }
    if (end == std::string_view::npos) {
      break;
    }
    source.remove_prefix(end + 1);
  }
  return -1;
}

TProgramKind ChooseProgramKind(TRunKindChoice choice, std::string_view source,
                               std::string_view first_sector) {
  switch (choice) {
    case rkBootImage:
      return pkBootImage;
    case rkDosCom:
      return pkDosCom;
    case rkAuto:
      break;
  }
  if (SourceOrigin(source) == 0x100 && !HasBootSignature(first_sector)) {
    return pkDosCom;
  }
  return pkBootImage;
}

TImageCheck CheckImage(TProgramKind kind, std::int64_t size, std::string_view first_sector,
                       const std::string& display_name) {
  TImageCheck check;
  if (size <= 0) {
    check.Problem = Format("“%s”是空的：没有可运行的程序。", display_name, 0, 0);
    return check;
  }
  if (kind == pkDosCom) {
    if (size > kMaxComSize) {
      check.Problem =
          Format("“%s”有 %lld 字节，DOS .COM 程序最多 %lld 字节（一个段减去程序段前缀和栈）。",
                 display_name, size, kMaxComSize);
      return check;
    }
    check.Ok = true;
    return check;
  }
  if (size > kMaxDiskImageSize) {
    check.Problem = Format("“%s”有 %lld 字节，超过了能启动的磁盘映像大小（最多 %lld 字节）。",
                           display_name, size, kMaxDiskImageSize);
    return check;
  }
  if (size < kBootSectorSize) {
    check.Problem = Format(
        "“%s”只有 %lld 字节，不是引导扇区：引导扇区有 %lld 字节，最后两个字节是 55 AA。"
        "可在程序末尾加上 times 510-($-$$) db 0 和 dw 0xAA55。",
        display_name, size, kBootSectorSize);
    return check;
  }
  if (!HasBootSignature(first_sector)) {
    const auto byte = [&](std::size_t i) {
      return i < first_sector.size() ? static_cast<unsigned char>(first_sector[i]) : 0;
    };
    char found[16];
    std::snprintf(found, sizeof found, "%02X %02X", byte(510), byte(511));
    check.Problem = "“" + display_name + "”没有引导标志：第 511、512 字节应是 55 AA，现在是 " +
                    found +
                    "，模拟器不会启动它。可在引导扇区末尾加上 times 510-($-$$) db 0 和 dw 0xAA55。";
    return check;
  }
  check.Ok = true;
  check.Disk = size <= kFloppySize ? dkFloppy : dkHardDisk;
  return check;
}

}  // namespace torvane
