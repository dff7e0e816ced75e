// Section [Run] of torvane.ini: which emulators run a program and how. A
// missing file, section or key reads as the default; writing goes through
// the ini writer, so every other line of the file stays as it was.
#pragma once

#include <string>

#include "run/program_kind.h"

namespace torvane {

inline constexpr char kRunSection[] = "Run";
inline constexpr char kDefaultQemu[] = "qemu-system-i386";
inline constexpr char kDefaultDosBox[] = "dosbox";
inline constexpr int kDefaultMemoryMb = 32;
inline constexpr int kMaxMemoryMb = 2048;

struct TRunSettings {
  std::string QemuPath = kDefaultQemu;      // a name without '/' is looked up in PATH
  std::string DosBoxPath = kDefaultDosBox;  // the same
  std::string QemuArguments;                // extra, split as SplitArguments does
  std::string DosBoxArguments;
  int MemoryMb = kDefaultMemoryMb;  // the emulated PC's memory (DOSBox: at most 63)
  bool ShowDisplay = true;          // off: no emulator window, output only in the pane
  TRunKindChoice Kind = rkAuto;

  bool operator==(const TRunSettings&) const = default;
};

// Keys of [Run].
inline constexpr char kQemuKey[] = "Qemu";
inline constexpr char kDosBoxKey[] = "DosBox";
inline constexpr char kQemuArgumentsKey[] = "QemuArguments";
inline constexpr char kDosBoxArgumentsKey[] = "DosBoxArguments";
inline constexpr char kMemoryKey[] = "Memory";
inline constexpr char kDisplayKey[] = "Display";
inline constexpr char kKindKey[] = "Kind";  // auto, boot or com

// An empty path reads as the default program; a memory size outside 1 to
// kMaxMemoryMb, an unknown kind or a display value other than 0 or 1 read as
// their defaults.
TRunSettings ReadRunSettings(const std::string& settings_file);
// Writes the keys whose value differs from what the file holds. Throws
// EIniFileError when the file cannot be written.
void WriteRunSettings(const std::string& settings_file, const TRunSettings& settings);

const char* KindName(TRunKindChoice kind);

}  // namespace torvane
