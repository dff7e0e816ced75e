// The remote debugging protocol's framing, without any I/O: a packet is
// "$payload#cc" (cc the payload's byte sum modulo 256, two hex digits),
// '}' escapes '#', '$', '}' and '*' in binary data by XOR 0x20, and a
// reply may compress runs as "x*n" (n - 29 more copies of x).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace torvane {

// "$payload#cc" for a payload of plain characters.
std::string FramePacket(std::string_view payload);

// Takes the first whole packet out of `input` (bytes received so far):
// '+' and '-' acknowledgements and noise before a '$' are dropped. Returns
// the decoded payload (runs expanded) or nothing while the packet is not
// complete. `bad_checksum` is set (and the packet dropped) when its sum
// does not match, so the caller can ask for it again.
std::optional<std::string> TakePacket(std::string& input, bool* bad_checksum = nullptr);

// Hex text of bytes ("b83412") and back; nothing on odd length or a
// non-hex character.
std::string ToHex(std::string_view bytes);
std::optional<std::string> FromHex(std::string_view hex);
// A little-endian value from its hex bytes ("34120000" -> 0x1234).
std::optional<std::uint32_t> LittleEndianHex(std::string_view hex);

// "T05thread:01;" and "S05": a stop. "W00"/"X09": the target ended.
struct TStopReply {
  bool Stopped = false;  // T or S: the CPU stopped (breakpoint, step, interrupt)
  bool Ended = false;    // W or X: the target is gone
  int Signal = 0;
};
std::optional<TStopReply> ParseStopReply(std::string_view payload);

}  // namespace torvane
