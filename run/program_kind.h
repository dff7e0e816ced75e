// Which kind of program an assembled binary is: a boot sector or disk image
// that a PC emulator boots, or a DOS .COM program that runs under DOS; and
// whether the image can run at all (boot signature, size limits).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

enum TProgramKind { pkBootImage, pkDosCom };

// The [Run] choice: found from the source and the binary, or fixed.
enum TRunKindChoice { rkAuto, rkBootImage, rkDosCom };

// The address of the source's first `org` (also `[org ...]`), when it is a
// plain number NASM would read (decimal, 0x/0h prefix, h suffix, $ prefix);
// -1 when there is none or it is no plain number. Comments and strings are
// skipped.
std::int64_t SourceOrigin(std::string_view source);

// A source that starts at 0x100 is a .COM program, unless its binary is a
// boot sector after all (ends its first 512 bytes with 55 AA); everything
// else is booted. first_sector: the binary's first bytes (512 or fewer).
TProgramKind ChooseProgramKind(TRunKindChoice choice, std::string_view source,
                               std::string_view first_sector);

// Sizes the emulators accept.
inline constexpr std::int64_t kBootSectorSize = 512;
inline constexpr std::int64_t kFloppySize = 1474560;  // 1.44 MB
// A raw hard-disk image; larger ones are not worth booting from an editor.
inline constexpr std::int64_t kMaxDiskImageSize = std::int64_t{2} << 30;
inline constexpr std::int64_t kMaxComSize = 65536 - 256 - 2;  // the segment less PSP and stack

enum TDiskKind { dkFloppy, dkHardDisk };

struct TImageCheck {
  bool Ok = false;
  TDiskKind Disk = dkFloppy;
  std::string Problem;  // UTF-8, for the user, when not Ok
};

// Whether a binary of `size` bytes starting with first_sector can run as
// `kind`; display_name names it in the message. A boot image needs 55 AA at
// bytes 511 and 512; up to a floppy's size it is a floppy, above that a hard
// disk.
TImageCheck CheckImage(TProgramKind kind, std::int64_t size, std::string_view first_sector,
                       const std::string& display_name);

}  // namespace torvane
