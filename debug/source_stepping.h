// Debugging by source line: breakpoints on lines, a step to the next line
// (into or over calls), running to a line, and where the CPU is in the
// source, all through the line map. The map's addresses are those of the
// listing (its first section starts at the `org`); the program runs where
// it was loaded (a boot sector at 0x7C00), so a linear address is the
// map's address moved by load address - org.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "debug/stub_client.h"
#include "listing/line_map.h"

namespace torvane {

// Where a boot sector runs.
inline constexpr std::uint32_t kBootLoadAddress = 0x7C00;

class TSourceStepping {
 public:
  TSourceStepping(TStubClient& stub, std::shared_ptr<const TListingMap> map,
                  std::uint32_t load_address = kBootLoadAddress);

  // The linear address of a line's first byte of code; a line without code
  // moves to the next line of its file that has some (`place` then says
  // which). Nothing when no line from there on has code.
  std::optional<std::uint32_t> AddressOfLine(TSourcePlace& place) const;
  // The line whose code holds a linear address.
  std::optional<TSourcePlace> PlaceOfAddress(std::uint32_t linear) const;
  // The line the CPU stands on now (nothing outside the program's code).
  std::optional<TSourcePlace> CurrentPlace();
  // A linear address shortly after the last byte the program assembled to
  // (the CPU ran past the end of its code), not as far as the BIOS.
  bool PastTheEnd(std::uint32_t linear) const;
  // Whether the memory holds the bytes the listing gives for a line's code
  // (a program that wrote over its code no longer matches its source). Up
  // to kCodeCompareBytes of each of its chunks; true when nothing is known.
  bool CodeAsAssembled(TSourcePlace place);
  static constexpr std::size_t kCodeCompareBytes = 64;

  // A breakpoint on `place` (moved to the next line with code, which the
  // returned place says); nothing when no line there has code.
  std::optional<TSourcePlace> SetBreakpoint(TSourcePlace place);
  void ClearBreakpoint(TSourcePlace place);

  // One source line: instructions run until the CPU is on another line
  // (an instruction of the same line again counts as the same line, so a
  // repeat or a macro's lines are one step). Into calls; interrupts and
  // repeated string instructions are stepped over, as the BIOS has no source.
  void StepInto();
  // As StepInto, over calls too.
  void StepOverLine();
  // The CPU stands on a hlt with interrupts off: it would never go on, so
  // a step does not try (the emulator would not report the step at all).
  bool HaltsForever();
  // Runs to `place` (or the next line with code) or the next breakpoint;
  // false when the CPU is still running after timeout_ms.
  bool RunTo(TSourcePlace place, int timeout_ms);

  // How many instructions and how long a step may take before it gives up
  // (a line that loops without end stays the current line).
  static constexpr int kStepLimit = 100000;
  static constexpr int kStepTimeMs = 2000;
  // How long a call or an interrupt stepped over may run.
  static constexpr int kStepOverTimeoutMs = 3000;

 private:
  void StepLine(bool over_calls);
  std::int64_t Delta() const;

  TStubClient& stub_;
  std::shared_ptr<const TListingMap> map_;
  std::uint32_t load_address_;
  std::uint64_t end_ = 0;  // the map's first address after all code
};

}  // namespace torvane
