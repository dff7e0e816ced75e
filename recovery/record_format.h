// A recovery record: a text header saying whose work it is and how to
// rebuild it (file name, code page, line breaks), the document's bytes as a
// save would write them, and a trailer with a checksum over both. A record
// whose checksum does not match (cut short, overwritten) is never used.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "document/file_format.h"
#include "platform/file_access.h"

namespace torvane {

// The process that keeps a record: its id, when it started (clock ticks
// since boot, so a reused id is not taken for it) and the boot it ran in.
struct TRecoveryOwner {
  int pid = 0;
  std::uint64_t start_ticks = 0;
  std::string boot_id;

  bool operator==(const TRecoveryOwner&) const = default;
};

struct TRecoveryHeader {
  TRecoveryOwner owner;
  std::string file_name;  // file-system bytes; empty for an unnamed document
  std::string code_page;  // the code page the bytes are in
  TSrcEditFileFormat format = sffDos;
  bool final_line_break = false;
  // The file as it was when the document last read or wrote it.
  TFileStamp file_stamp;
  std::int64_t saved_ms = 0;  // when the record was written (ms since 1970)
};

struct TRecoveryRecord {
  TRecoveryHeader header;
  std::string text;
};

inline constexpr int kRecoveryFormatVersion = 1;

// FNV-1a, 64 bits, fed in pieces.
class TRecordChecksum {
 public:
  void Add(std::string_view bytes) {
    for (const char c : bytes) {
      value_ = (value_ ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    }
  }
  std::uint64_t Value() const { return value_; }

 private:
  std::uint64_t value_ = 0xcbf29ce484222325ull;
};

// The header of a record whose text is `text_length` bytes long; the
// checksum covers it and the text.
std::string EncodeRecordHeader(const TRecoveryHeader& header, std::uint64_t text_length);
std::string EncodeRecordTrailer(std::uint64_t checksum);
// Header, text and trailer in one string.
std::string EncodeRecord(const TRecoveryHeader& header, std::string_view text);
// The record in `bytes`, or nothing when they are not a whole, intact
// record of this version. Never throws on any input.
std::optional<TRecoveryRecord> ParseRecord(std::string_view bytes);

// File names as text that survives any byte (lowercase hex).
std::string HexOf(std::string_view bytes);
std::optional<std::string> BytesOfHex(std::string_view hex);

}  // namespace torvane
