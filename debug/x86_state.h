// The CPU state the emulator's stub reports, as the debugger shows it: the
// first sixteen registers of its 'g' reply (eax ecx edx ebx esp ebp esi edi
// eip eflags cs ss ds es fs gs, 32 bits each, little-endian), and the
// instruction-level rules stepping over needs.
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

struct TX86Registers {
  std::array<std::uint32_t, kX86RegisterCount> Values{};

  std::uint32_t operator[](TX86Register r) const { return Values[r]; }
  // Real mode: segment × 16 + offset (what the emulator's breakpoints and
  // the line map's addresses are).
  std::uint32_t LinearIp() const { return (Values[xrCs] & 0xFFFF) * 16 + (Values[xrEip] & 0xFFFF); }
  std::uint32_t LinearSp() const { return (Values[xrSs] & 0xFFFF) * 16 + (Values[xrEsp] & 0xFFFF); }
  friend bool operator==(const TX86Registers&, const TX86Registers&) = default;
};

// From a 'g' reply; nothing when it is shorter than the sixteen registers
// or not hex.
std::optional<TX86Registers> ParseRegisters(std::string_view reply);

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

// Stepping over: when the instruction starting at `code` (16-bit code) is a
// call, a software interrupt (int n, int3, into) or a rep/repne-prefixed
// string instruction, its length, so the caller can run to the instruction
// after it; nothing for every other instruction (one step is then enough)
// or when `code` ends too early to tell.
std::optional<TStepOverInstruction> StepOverInstruction(std::string_view code);

}  // namespace torvane
