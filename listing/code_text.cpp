// Texts of the machine-code column and its hint.
#include "listing/code_text.h"

#include <algorithm>
#include <cstdio>

namespace torvane {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr char kEllipsis[] = "\xE2\x80\xA6";

std::string HexNumber(std::uint64_t value, int digits) {
  std::string out;
  do {
    out.insert(out.begin(), kHex[value & 15]);
    value >>= 4;
  } while (value != 0);
  if (static_cast<int>(out.size()) < digits) {
    out.insert(0, static_cast<std::size_t>(digits) - out.size(), '0');
  }
  return out;
}

void AppendByte(std::string& out, char byte) {
  out += kHex[(static_cast<unsigned char>(byte) >> 4) & 15];
  out += kHex[static_cast<unsigned char>(byte) & 15];
}

std::string Where(const TListingMap& map, const TCodeChunk& chunk, std::uint64_t plus, int digits) {
  if (const std::optional<std::uint64_t> address = map.AddressOf(chunk)) {
    return HexNumber(*address + plus, digits);
  }
  return "+" + HexNumber(chunk.Offset + plus, digits);
}

}  // namespace

int AddressDigits(const TListingMap& map) {
  for (std::size_t file = 0; file < map.Files().size(); ++file) {
    for (const auto& [line, code] : *map.LinesOf(static_cast<int>(file))) {
      for (const TCodeChunk& chunk : code.Chunks) {
        const std::uint64_t start = map.AddressOf(chunk).value_or(chunk.Offset);
        if (start + chunk.Size > 0x10000) {
          return 8;
        }
      }
    }
  }
  return 4;
}

int ColumnCells(int address_digits) {
  return address_digits + 1 + 2 + kColumnBytes * 3 - 1 + 1;
}

std::string ColumnText(const TListingMap& map, const TLineCode& code, int address_digits) {
  if (!code.HasCode()) {
    return {};
  }
  const TCodeChunk* first = nullptr;
  for (const TCodeChunk& chunk : code.Chunks) {
    if (chunk.Size > 0) {
      first = &chunk;
      break;
    }
  }
  std::string out = Where(map, *first, 0, address_digits) + "  ";
  const std::string bytes = code.KnownBytes(kColumnBytes);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) {
      out += ' ';
    }
    AppendByte(out, bytes[i]);
  }
  if (bytes.empty()) {
    out += "--";
  }
  if (code.TotalSize() > bytes.size()) {
    out += kEllipsis;
  }
  return out;
}

std::string HintText(const TListingMap& map, const TLineCode& code,
                     const std::vector<std::string_view>& listing_lines) {
  std::string out;
  constexpr std::size_t kMostBytes = 1024;
  for (const TCodeChunk& chunk : code.Chunks) {
    if (chunk.Size == 0) {
      continue;
    }
    std::string bytes;
    for (std::uint64_t i = 0; i < chunk.Repeat && bytes.size() < kMostBytes; ++i) {
      bytes += chunk.Bytes;
    }
    bytes.resize(std::min<std::size_t>(std::min(bytes.size(), kMostBytes), chunk.Size));
    for (std::size_t row = 0; row < bytes.size(); row += 16) {
      out += Where(map, chunk, row, 4) + " ";
      for (std::size_t i = row; i < std::min(bytes.size(), row + 16); ++i) {
        out += ' ';
        AppendByte(out, bytes[i]);
      }
      out += '\n';
    }
    if (bytes.size() < chunk.Size) {
      char more[64];
      std::snprintf(more, sizeof more, "%s (%llu bytes)\n", bytes.empty() ? "--" : "...",
                    static_cast<unsigned long long>(chunk.Size));
      out += (bytes.empty() ? Where(map, chunk, 0, 4) + "  " : std::string()) + more;
    }
  }
  for (const int line : code.ListingLines) {
    if (line >= 1 && static_cast<std::size_t>(line) <= listing_lines.size()) {
      std::string_view text = listing_lines[static_cast<std::size_t>(line - 1)];
      if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
      }
      out += std::string(text) + '\n';
    }
  }
  if (!out.empty()) {
    out.pop_back();
  }
  return out;
}

std::optional<std::uint64_t> BootSectorOverrun(const TListingMap& map) {
  // The signature is the first section's last two bytes.
  std::uint64_t end = 0;
  const TCodeChunk* last = nullptr;
  for (std::size_t file = 0; file < map.Files().size(); ++file) {
    for (const auto& [line, code] : *map.LinesOf(static_cast<int>(file))) {
      for (const TCodeChunk& chunk : code.Chunks) {
        if (chunk.Section == 0 && chunk.Offset + chunk.Size >= end) {
          end = chunk.Offset + chunk.Size;
          last = &chunk;
        }
      }
    }
  }
  if (last == nullptr || last->Size != 2 || last->Bytes != "\x55\xAA" || last->Offset <= 510 ||
      last->Offset >= 4096) {
    return std::nullopt;
  }
  return last->Offset - 510;
}

}  // namespace torvane
