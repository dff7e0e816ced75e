// The CPU state the emulator's stub reports, as the debugger shows it: the
// first sixteen registers of its 'g' reply (eax ecx edx ebx esp ebp esi edi
// eip eflags cs ss ds es fs gs, 32 bits each, little-endian), CR0 and the
// segment bases (which the 'g' reply lacks; the emulator's monitor says
// them), and the instruction-level rules stepping over needs.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

enum TX86Register {
  xrEax,
  xrEcx,
  xrEdx,
  xrEbx,
  xrEsp,
  xrEbp,
  xrEsi,
  xrEdi,
  xrEip,
  xrEflags,
  xrCs,
  xrSs,
  xrDs,
  xrEs,
  xrFs,
  xrGs,
  kX86RegisterCount
};

inline constexpr int kX86SegmentCount = 6;  // cs ss ds es fs gs, in register order

// What a protected-mode program's segments are: the bases and sizes come
// from descriptors, not from the selectors.
struct TX86Segments {
  std::uint32_t Cr0 = 0;
  std::array<std::uint32_t, kX86SegmentCount> Bases{};
  bool Code32 = false;   // the code segment's default size is 32 bits
  bool Stack32 = false;  // the stack segment's is
  friend bool operator==(const TX86Segments&, const TX86Segments&) = default;
};

struct TX86Registers {
  std::array<std::uint32_t, kX86RegisterCount> Values{};
  // Protected mode (CR0.PE) with its segments; in real mode the bases are
  // the selectors × 16 and the sizes 16 bits.
  bool Protected = false;
  TX86Segments Segments;

  std::uint32_t operator[](TX86Register r) const { return Values[r]; }
  // Where a segment starts (xrCs … xrGs).
  std::uint32_t Base(TX86Register segment) const {
    return Protected ? Segments.Bases[segment - xrCs] : (Values[segment] & 0xFFFF) * 16;
  }
  // segment base + offset (what the emulator's breakpoints and the line
  // map's addresses are); real mode: segment × 16 + offset.
  std::uint32_t LinearIp() const {
    return Base(xrCs) + (Protected && Segments.Code32 ? Values[xrEip] : Values[xrEip] & 0xFFFF);
  }
  std::uint32_t LinearSp() const {
    return Base(xrSs) + (Protected && Segments.Stack32 ? Values[xrEsp] : Values[xrEsp] & 0xFFFF);
  }
  bool Code32() const { return Protected && Segments.Code32; }
  friend bool operator==(const TX86Registers&, const TX86Registers&) = default;
};

// From a 'g' reply; nothing when it is shorter than the sixteen registers
// or not hex.
std::optional<TX86Registers> ParseRegisters(std::string_view reply);

// From the monitor's "info registers": CR0, the bases of CS … GS and the
// default sizes of code and stack ("CS =0008 00000000 ffffffff 00cf9a00":
// selector, base, limit, flags with D/B at bit 22). Nothing without CR0.
std::optional<TX86Segments> ParseMonitorRegisters(std::string_view text);

// "AX", "IP", "CS"; with `wide` the 32-bit names ("EAX", "EIP").
std::string RegisterName(TX86Register r, bool wide);

// The flags set in `flags`, named as debuggers show them: "CF ZF IF".
std::string FlagNames(std::uint32_t flags);

// The registers whose values differ between two stops.
std::vector<TX86Register> ChangedRegisters(const TX86Registers& before, const TX86Registers& after);

// An instruction a step over runs as a whole.
struct TStepOverInstruction {
  int Length = 0;       // bytes, prefixes included
  bool IsCall = false;  // a call (else a software interrupt or a repeat)
};

// Stepping over: when the instruction starting at `code` (16-bit code, or
// 32-bit with `code32`) is a call, a software interrupt (int n, int3, into) or a rep/repne-prefixed
// string instruction, its length, so the caller can run to the instruction
// after it; nothing for every other instruction (one step is then enough)
// or when `code` ends too early to tell.
// Whether the instruction starting at `code` is hlt (prefixes skipped).
bool IsHalt(std::string_view code);

std::optional<TStepOverInstruction> StepOverInstruction(std::string_view code, bool code32 = false);

}  // namespace torvane
