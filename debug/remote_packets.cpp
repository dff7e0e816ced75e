// Framing of the remote debugging protocol.
#include "debug/remote_packets.h"

namespace torvane {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

constexpr char kHexDigits[] = "0123456789abcdef";

}  // namespace

std::string FramePacket(std::string_view payload) {
  unsigned sum = 0;
  for (const char c : payload) {
    sum += static_cast<unsigned char>(c);
  }
  std::string out;
  out.reserve(payload.size() + 4);
  out += '$';
  out += payload;
  out += '#';
  out += kHexDigits[(sum >> 4) & 15];
  out += kHexDigits[sum & 15];
  return out;
}

std::optional<std::string> TakePacket(std::string& input, bool* bad_checksum) {
  if (bad_checksum != nullptr) {
    *bad_checksum = false;
  }
  const std::size_t start = input.find('$');
  if (start == std::string::npos) {
    input.clear();  // acknowledgements and noise
    return std::nullopt;
  }
  const std::size_t hash = input.find('#', start + 1);
  if (hash == std::string::npos || input.size() < hash + 3) {
    input.erase(0, start);
    return std::nullopt;
  }
  const std::string_view raw(input.data() + start + 1, hash - start - 1);
  unsigned sum = 0;
  for (const char c : raw) {
    sum += static_cast<unsigned char>(c);
  }
  const int high = HexDigit(input[hash + 1]);
  const int low = HexDigit(input[hash + 2]);
  const bool sum_ok =
      high >= 0 && low >= 0 && static_cast<unsigned>(high * 16 + low) == (sum & 255);
  std::string payload;
  if (sum_ok) {
    payload.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
      const char c = raw[i];
      if (c == '}' && i + 1 < raw.size()) {
        payload += static_cast<char>(raw[++i] ^ 0x20);
      } else if (c == '*' && i + 1 < raw.size() && !payload.empty()) {
        const int more = static_cast<unsigned char>(raw[++i]) - 29;
        if (more > 0) {
          payload.append(static_cast<std::size_t>(more), payload.back());
        }
      } else {
        payload += c;
      }
    }
  }
  input.erase(0, hash + 3);
  if (!sum_ok) {
    if (bad_checksum != nullptr) {
      *bad_checksum = true;
    }
    return std::nullopt;
  }
  return payload;
}

std::string ToHex(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 15];
  }
  return out;
}

std::optional<std::string> FromHex(std::string_view hex) {
  if (hex.size() % 2 != 0) {
    return std::nullopt;
  }
  std::string out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]);
    const int low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) {
      return std::nullopt;
    }
    out += static_cast<char>(high * 16 + low);
  }
  return out;
}

std::optional<std::uint32_t> LittleEndianHex(std::string_view hex) {
  const std::optional<std::string> bytes = FromHex(hex);
  if (!bytes || bytes->empty() || bytes->size() > 4) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  for (std::size_t i = bytes->size(); i-- > 0;) {
    value = (value << 8) | static_cast<unsigned char>((*bytes)[i]);
  }
  return value;
}

std::optional<TStopReply> ParseStopReply(std::string_view payload) {
  if (payload.size() < 3) {
    return std::nullopt;
  }
  const std::optional<std::string> code = FromHex(payload.substr(1, 2));
  if (!code) {
    return std::nullopt;
  }
  TStopReply reply;
  reply.Signal = static_cast<unsigned char>((*code)[0]);
  switch (payload[0]) {
    case 'T':
    case 'S':
      reply.Stopped = true;
      return reply;
    case 'W':
    case 'X':
      reply.Ended = true;
      return reply;
    default:
      return std::nullopt;
  }
}

}  // namespace torvane
