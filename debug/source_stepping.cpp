// Source lines to addresses and back, and the stepping loops.
#include "debug/source_stepping.h"

#include <algorithm>
#include <chrono>

namespace torvane {
namespace {

constexpr std::uint32_t kInterruptFlag = 1u << 9;

}  // namespace

TSourceStepping::TSourceStepping(TStubClient& stub, std::shared_ptr<const TListingMap> map,
                                 std::uint32_t load_address)
    : stub_(stub), map_(std::move(map)), load_address_(load_address) {
  for (std::size_t file = 0; file < map_->Files().size(); ++file) {
    if (const std::map<int, TLineCode>* lines = map_->LinesOf(static_cast<int>(file))) {
      for (const auto& [line, code] : *lines) {
        for (const TCodeChunk& chunk : code.Chunks) {
          if (const std::optional<std::uint64_t> address = map_->AddressOf(chunk)) {
            end_ = std::max(end_, *address + chunk.Size);
          }
        }
      }
    }
  }
}

bool TSourceStepping::PastTheEnd(std::uint32_t linear) const {
  // Within a segment's reach after it: further on (the BIOS) is elsewhere.
  const std::int64_t end = static_cast<std::int64_t>(end_) + Delta();
  return end_ > 0 && linear >= end && linear < end + 0x10000;
}

bool TSourceStepping::CodeAsAssembled(TSourcePlace place) {
  const TLineCode* code = map_->CodeAt(place);
  if (code == nullptr) {
    return true;
  }
  for (const TCodeChunk& chunk : code->Chunks) {
    const std::optional<std::uint64_t> address = map_->AddressOf(chunk);
    const std::size_t known = std::min<std::size_t>(
        {chunk.Bytes.size(), static_cast<std::size_t>(chunk.Size), kCodeCompareBytes});
    // Bytes the listing gives before the output's fix-ups (no binary to
    // take them from) are not what memory holds: nothing to compare.
    if (!address || known == 0 || (chunk.Flags & (lbRelocated | lbSegment | lbReserved)) != 0) {
      continue;
    }
    const auto linear = static_cast<std::uint32_t>(static_cast<std::int64_t>(*address) + Delta());
    if (stub_.ReadMemory(linear, known) != std::string_view(chunk.Bytes).substr(0, known)) {
      return false;
    }
  }
  return true;
}

std::int64_t TSourceStepping::Delta() const {
  const std::vector<TListingSection>& sections = map_->Sections();
  const std::uint64_t origin = sections.empty() || !sections[0].Base ? 0 : *sections[0].Base;
  // A program assembled for where it runs (org 0x7C00) needs no move.
  if (origin == load_address_) {
    return 0;
  }
  return static_cast<std::int64_t>(load_address_) - static_cast<std::int64_t>(origin);
}

std::optional<std::uint32_t> TSourceStepping::AddressOfLine(TSourcePlace& place) const {
  const std::map<int, TLineCode>* lines = map_->LinesOf(place.File);
  if (lines == nullptr) {
    return std::nullopt;
  }
  for (auto it = lines->lower_bound(place.Line); it != lines->end(); ++it) {
    for (const TCodeChunk& chunk : it->second.Chunks) {
      const std::optional<std::uint64_t> address = map_->AddressOf(chunk);
      if (address && chunk.Size > 0) {
        place.Line = it->first;
        return static_cast<std::uint32_t>(static_cast<std::int64_t>(*address) + Delta());
      }
    }
  }
  return std::nullopt;
}

std::optional<TSourcePlace> TSourceStepping::PlaceOfAddress(std::uint32_t linear) const {
  const std::int64_t address = static_cast<std::int64_t>(linear) - Delta();
  if (address < 0) {
    return std::nullopt;
  }
  return map_->PlaceOfAddress(static_cast<std::uint64_t>(address));
}

std::optional<TSourcePlace> TSourceStepping::CurrentPlace() {
  return PlaceOfAddress(stub_.Registers().LinearIp());
}

std::optional<TSourcePlace> TSourceStepping::SetBreakpoint(TSourcePlace place) {
  const std::optional<std::uint32_t> address = AddressOfLine(place);
  if (!address) {
    return std::nullopt;
  }
  stub_.InsertBreakpoint(*address);
  return place;
}

void TSourceStepping::ClearBreakpoint(TSourcePlace place) {
  if (const std::optional<std::uint32_t> address = AddressOfLine(place)) {
    stub_.RemoveBreakpoint(*address);
  }
}

void TSourceStepping::StepLine(bool over_calls) {
  const std::optional<TSourcePlace> start = CurrentPlace();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStepTimeMs);
  for (int step = 0; step < kStepLimit && std::chrono::steady_clock::now() < deadline; ++step) {
    const TX86Registers registers = stub_.Registers();
    const std::uint32_t ip = registers.LinearIp();
    const std::string code = stub_.ReadMemory(ip, 16);
    if (IsHalt(code) && (registers[xrEflags] & kInterruptFlag) == 0) {
      return;
    }
    const std::optional<TStepOverInstruction> whole = StepOverInstruction(code, registers.Code32());
    if (whole && (over_calls || !whole->IsCall)) {
      if (!stub_.StepOver(kStepOverTimeoutMs)) {
        stub_.Interrupt();  // it did not come back: stop where it is
        return;
      }
    } else {
      stub_.StepInstruction();
    }
    const std::optional<TSourcePlace> now = CurrentPlace();
    if (!now || !start || *now != *start) {
      return;
    }
    const std::uint32_t after = stub_.Registers().LinearIp();
    if (after == ip || stub_.Breakpoints().count(after) != 0) {
      return;  // a jump to itself, or a breakpoint
    }
  }
}

bool TSourceStepping::HaltsForever() {
  const TX86Registers registers = stub_.Registers();
  return (registers[xrEflags] & kInterruptFlag) == 0 &&
         IsHalt(stub_.ReadMemory(registers.LinearIp(), 16));
}

void TSourceStepping::StepInto() {
  StepLine(false);
}

void TSourceStepping::StepOverLine() {
  StepLine(true);
}

bool TSourceStepping::RunTo(TSourcePlace place, int timeout_ms) {
  const std::optional<std::uint32_t> address = AddressOfLine(place);
  if (!address) {
    return false;
  }
  const bool had = stub_.Breakpoints().count(*address) != 0;
  stub_.InsertBreakpoint(*address);
  stub_.Resume();
  const bool stopped = stub_.WaitStop(timeout_ms);
  if (!had && stopped) {
    stub_.RemoveBreakpoint(*address);
  }
  return stopped;
}

}  // namespace torvane
