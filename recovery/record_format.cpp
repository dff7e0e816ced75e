// Encoding and tolerant parsing of recovery records.
#include "recovery/record_format.h"

#include <charconv>
#include <vector>

namespace torvane {
namespace {

constexpr std::string_view kMagic = "torvane-recovery ";
constexpr std::string_view kTrailerTag = "end ";
constexpr std::size_t kTrailerLength = 4 + 16 + 1;  // "end " hex16 '\n'
// A header is a few short lines and a hex file name; anything longer is
// not a record.
constexpr std::size_t kMaxHeader = 64 * 1024;

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && ptr == end;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i <= line.size()) {
    const std::size_t space = line.find(' ', i);
    const std::size_t end = space == std::string_view::npos ? line.size() : space;
    fields.push_back(line.substr(i, end - i));
    i = end + 1;
  }
  return fields;
}

}  // namespace

std::string HexOf(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

std::optional<std::string> BytesOfHex(std::string_view hex) {
  if (hex.size() % 2 != 0) {
    return std::nullopt;
  }
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') {
      return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
      return c - 'a' + 10;
    }
    return -1;
  };
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]);
    const int low = digit(hex[i + 1]);
    if (high < 0 || low < 0) {
      return std::nullopt;
    }
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

std::string EncodeRecordHeader(const TRecoveryHeader& h, std::uint64_t text_length) {
  const TFileStamp& s = h.file_stamp;
  std::string out;
  out += std::string(kMagic) + std::to_string(kRecoveryFormatVersion) + "\n";
  out += "owner " + std::to_string(h.owner.pid) + " " + std::to_string(h.owner.start_ticks) + " " +
         HexOf(h.owner.boot_id) + "\n";
  out += "name " + HexOf(h.file_name) + "\n";
  out += "codepage " + HexOf(h.code_page) + "\n";
  out += "format " + std::to_string(static_cast<int>(h.format)) + "\n";
  out += "final " + std::string(h.final_line_break ? "1" : "0") + "\n";
  out += "file " + std::string(s.exists ? "1" : "0") + " " + std::to_string(s.device) + " " +
         std::to_string(s.inode) + " " + std::to_string(s.size) + " " + std::to_string(s.mtime_ns) +
         " " + std::to_string(s.ctime_ns) + "\n";
  out += "saved " + std::to_string(h.saved_ms) + "\n";
  out += "length " + std::to_string(text_length) + "\n\n";
  return out;
}

std::string EncodeRecordTrailer(std::uint64_t checksum) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out(kTrailerTag);
  for (int shift = 60; shift >= 0; shift -= 4) {
    out += kDigits[(checksum >> shift) & 15];
  }
  out += '\n';
  return out;
}

std::string EncodeRecord(const TRecoveryHeader& header, std::string_view text) {
  std::string out = EncodeRecordHeader(header, text.size());
  TRecordChecksum sum;
  sum.Add(out);
  sum.Add(text);
  out += text;
  out += EncodeRecordTrailer(sum.Value());
  return out;
}

std::optional<TRecoveryRecord> ParseRecord(std::string_view bytes) {
  const std::size_t header_end = bytes.substr(0, kMaxHeader).find("\n\n");
  if (header_end == std::string_view::npos || !bytes.starts_with(kMagic)) {
    return std::nullopt;
  }
  const std::string_view header_text = bytes.substr(0, header_end + 2);
  TRecoveryRecord record;
  TRecoveryHeader& h = record.header;
  std::uint64_t length = 0;
  int seen = 0;  // one bit per field; all are required
  std::size_t i = 0;
  while (i < header_end) {
    const std::size_t eol = header_text.find('\n', i);
    const std::vector<std::string_view> f = Fields(header_text.substr(i, eol - i));
    i = eol + 1;
    const std::string_view key = f[0];
    bool ok = false;
    if (key == "torvane-recovery" && f.size() == 2) {
      int version = 0;
      ok = ParseNumber(f[1], version) && version == kRecoveryFormatVersion;
      seen |= 1;
    } else if (key == "owner" && f.size() == 4) {
      auto boot = BytesOfHex(f[3]);
      ok = ParseNumber(f[1], h.owner.pid) && ParseNumber(f[2], h.owner.start_ticks) &&
           boot.has_value();
      h.owner.boot_id = boot.value_or("");
      seen |= 2;
    } else if (key == "name" && f.size() == 2) {
      auto name = BytesOfHex(f[1]);
      ok = name.has_value();
      h.file_name = name.value_or("");
      seen |= 4;
    } else if (key == "codepage" && f.size() == 2) {
      auto page = BytesOfHex(f[1]);
      ok = page.has_value();
      h.code_page = page.value_or("");
      seen |= 8;
    } else if (key == "format" && f.size() == 2) {
      int format = -1;
      ok = ParseNumber(f[1], format) && format >= 0 && format <= 2;
      h.format = static_cast<TSrcEditFileFormat>(format);
      seen |= 16;
    } else if (key == "final" && f.size() == 2) {
      ok = f[1] == "0" || f[1] == "1";
      h.final_line_break = f[1] == "1";
      seen |= 32;
    } else if (key == "file" && f.size() == 7) {
      TFileStamp& s = h.file_stamp;
      ok = (f[1] == "0" || f[1] == "1") && ParseNumber(f[2], s.device) &&
           ParseNumber(f[3], s.inode) && ParseNumber(f[4], s.size) &&
           ParseNumber(f[5], s.mtime_ns) && ParseNumber(f[6], s.ctime_ns);
      s.exists = f[1] == "1";
      seen |= 64;
    } else if (key == "saved" && f.size() == 2) {
      ok = ParseNumber(f[1], h.saved_ms);
      seen |= 128;
    } else if (key == "length" && f.size() == 2) {
      ok = ParseNumber(f[1], length);
      seen |= 256;
    }
    if (!ok) {
      return std::nullopt;
    }
  }
  if (seen != 511) {
    return std::nullopt;
  }
  const std::size_t text_start = header_text.size();
  if (length > bytes.size() - text_start || bytes.size() - text_start - length != kTrailerLength) {
    return std::nullopt;
  }
  const std::string_view text = bytes.substr(text_start, length);
  TRecordChecksum sum;
  sum.Add(header_text);
  sum.Add(text);
  if (bytes.substr(text_start + length) != EncodeRecordTrailer(sum.Value())) {
    return std::nullopt;
  }
  record.text = std::string(text);
  return record;
}

}  // namespace torvane
