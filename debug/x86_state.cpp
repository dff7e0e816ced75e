// Registers, flags and the instructions stepped over as a whole.
#include "debug/x86_state.h"

#include "debug/remote_packets.h"

namespace torvane {

std::optional<TX86Registers> ParseRegisters(std::string_view reply) {
  if (reply.size() < kX86RegisterCount * 8) {
    return std::nullopt;
  }
  TX86Registers registers;
  for (int i = 0; i < kX86RegisterCount; ++i) {
    const std::optional<std::uint32_t> value =
        LittleEndianHex(reply.substr(static_cast<std::size_t>(i) * 8, 8));
    if (!value) {
      return std::nullopt;
    }
    registers.Values[static_cast<std::size_t>(i)] = *value;
  }
  return registers;
}

std::optional<TX86Segments> ParseMonitorRegisters(std::string_view text) {
  const auto hex_at = [&](std::size_t at, std::size_t digits) -> std::optional<std::uint32_t> {
    if (at + digits > text.size()) {
      return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < digits; ++k) {
      const char c = text[at + k];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) {
        return std::nullopt;
      }
      value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
  };
  const std::size_t cr0_at = text.find("CR0=");
  if (cr0_at == std::string_view::npos) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> cr0 = hex_at(cr0_at + 4, 8);
  if (!cr0) {
    return std::nullopt;
  }
  TX86Segments segments;
  segments.Cr0 = *cr0;
  static const char* const kLines[kX86SegmentCount] = {
      "CS =", "SS =", "DS =", "ES =", "FS =", "GS ="};
  for (int k = 0; k < kX86SegmentCount; ++k) {
    // "CS =0008 00000000 ffffffff 00cf9a00" at a line's start
    std::size_t at = text.find(kLines[k]);
    while (at != std::string_view::npos && at > 0 && text[at - 1] != '\n') {
      at = text.find(kLines[k], at + 1);
    }
    if (at == std::string_view::npos) {
      return std::nullopt;
    }
    const std::size_t fields = at + 4;
    const std::optional<std::uint32_t> base = hex_at(fields + 5, 8);
    const std::optional<std::uint32_t> flags = hex_at(fields + 23, 8);
    if (!base || !flags) {
      return std::nullopt;
    }
    segments.Bases[static_cast<std::size_t>(k)] = *base;
    const bool big = ((*flags >> 22) & 1) != 0;
    if (k == xrCs - xrCs) {
      segments.Code32 = big;
    } else if (k == xrSs - xrCs) {
      segments.Stack32 = big;
    }
  }
  return segments;
}

std::string RegisterName(TX86Register r, bool wide) {
  static const char* const kNames[] = {"AX", "CX",    "DX", "BX", "SP", "BP", "SI", "DI",
                                       "IP", "FLAGS", "CS", "SS", "DS", "ES", "FS", "GS"};
  const std::string name = kNames[r];
  return wide && r <= xrEflags ? "E" + name : name;
}

std::string FlagNames(std::uint32_t flags) {
  static const struct {
    int Bit;
    const char* Name;
  } kFlags[] = {{0, "CF"}, {2, "PF"}, {4, "AF"},  {6, "ZF"}, {7, "SF"},
                {8, "TF"}, {9, "IF"}, {10, "DF"}, {11, "OF"}};
  std::string out;
  for (const auto& flag : kFlags) {
    if ((flags >> flag.Bit) & 1) {
      if (!out.empty()) {
        out += ' ';
      }
      out += flag.Name;
    }
  }
  return out;
}

std::vector<TX86Register> ChangedRegisters(const TX86Registers& before,
                                           const TX86Registers& after) {
  std::vector<TX86Register> changed;
  for (int i = 0; i < kX86RegisterCount; ++i) {
    if (before.Values[static_cast<std::size_t>(i)] != after.Values[static_cast<std::size_t>(i)]) {
      changed.push_back(static_cast<TX86Register>(i));
    }
  }
  return changed;
}

namespace {

// Bytes a ModRM byte and what follows it take in 16- or 32-bit addressing.
std::optional<int> ModRmLength(std::string_view code, std::size_t at, bool address32) {
  if (at >= code.size()) {
    return std::nullopt;
  }
  const auto modrm = static_cast<unsigned char>(code[at]);
  const int mod = modrm >> 6;
  const int rm = modrm & 7;
  if (mod == 3) {
    return 1;
  }
  if (!address32) {
    if (mod == 0) {
      return rm == 6 ? 3 : 1;
    }
    return mod == 1 ? 2 : 3;
  }
  int length = 1;
  if (rm == 4) {  // a SIB byte
    if (at + 1 >= code.size()) {
      return std::nullopt;
    }
    ++length;
    if (mod == 0 && (static_cast<unsigned char>(code[at + 1]) & 7) == 5) {
      return length + 4;
    }
  }
  if (mod == 0) {
    return rm == 5 ? length + 4 : length;
  }
  return length + (mod == 1 ? 1 : 4);
}

}  // namespace

bool IsHalt(std::string_view code) {
  std::size_t at = 0;
  while (at < code.size() && at < 15) {
    const auto b = static_cast<unsigned char>(code[at]);
    const bool prefix = b == 0x66 || b == 0x67 || b == 0xF2 || b == 0xF3 || b == 0xF0 ||
                        b == 0x26 || b == 0x2E || b == 0x36 || b == 0x3E || b == 0x64 || b == 0x65;
    if (!prefix) {
      return b == 0xF4;
    }
    ++at;
  }
  return false;
}

std::optional<TStepOverInstruction> StepOverInstruction(std::string_view code, bool code32) {
  // 0x66 and 0x67 switch to the size the code segment does not default to.
  bool operand32 = code32;
  bool address32 = code32;
  bool repeated = false;
  std::size_t at = 0;
  // Prefixes (at most the 15 bytes an instruction may take).
  for (; at < code.size() && at < 15; ++at) {
    const auto b = static_cast<unsigned char>(code[at]);
    if (b == 0x66) {
      operand32 = !code32;
    } else if (b == 0x67) {
      address32 = !code32;
    } else if (b == 0xF2 || b == 0xF3) {
      repeated = true;
    } else if (b == 0x26 || b == 0x2E || b == 0x36 || b == 0x3E || b == 0x64 || b == 0x65 ||
               b == 0xF0) {
      // segment overrides and lock
    } else {
      break;
    }
  }
  if (at >= code.size()) {
    return std::nullopt;
  }
  const auto op = static_cast<unsigned char>(code[at]);
  const int after = static_cast<int>(at) + 1;
  switch (op) {
    case 0xE8:  // call near relative
      return TStepOverInstruction{after + (operand32 ? 4 : 2), true};
    case 0x9A:  // call far absolute
      return TStepOverInstruction{after + (operand32 ? 6 : 4), true};
    case 0xCD:  // int n
      return TStepOverInstruction{after + 1, false};
    case 0xCC:  // int3
    case 0xCE:  // into
      return TStepOverInstruction{after, false};
    case 0xFF: {  // call near or far indirect: /2 and /3
      if (at + 1 >= code.size()) {
        return std::nullopt;
      }
      const int reg = (static_cast<unsigned char>(code[at + 1]) >> 3) & 7;
      if (reg != 2 && reg != 3) {
        return std::nullopt;
      }
      const std::optional<int> modrm = ModRmLength(code, at + 1, address32);
      if (!modrm) {
        return std::nullopt;
      }
      return TStepOverInstruction{after + *modrm, true};
    }
    default:
      break;
  }
  const bool string_op =
      (op >= 0xA4 && op <= 0xA7) || (op >= 0xAA && op <= 0xAF) || (op >= 0x6C && op <= 0x6F);
  if (repeated && string_op) {
    return TStepOverInstruction{after, false};
  }
  return std::nullopt;
}

}  // namespace torvane
