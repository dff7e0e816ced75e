// A client of the emulator's debug stub over a local socket: commands with
// their replies, resuming and waiting for the stop, and the operations the
// debugger is made of (registers, memory, breakpoints at linear addresses,
// a step, a step over calls, interrupts and repeated string instructions).
// Every wait has a deadline, so a stub that stops answering or an emulator
// that dies becomes an EDebugError, never a hang.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "debug/remote_packets.h"
#include "debug/x86_state.h"
#include "platform/errors.h"

namespace torvane {

class EDebugError : public ESrcError {
 public:
  using ESrcError::ESrcError;
};

// How long a command's reply may take before the stub counts as gone.
inline constexpr int kStubReplyTimeoutMs = 3000;

class TStubClient {
 public:
  TStubClient() = default;
  ~TStubClient();
  TStubClient(const TStubClient&) = delete;
  TStubClient& operator=(const TStubClient&) = delete;

  // Connects to the stub's socket, trying again until timeout_ms passed
  // (the emulator makes the socket while it starts).
  void Connect(const std::string& socket_path, int timeout_ms);
  void Close();
  bool Connected() const { return fd_ >= 0; }
  // For a caller that waits for a stop in its own event loop.
  int Descriptor() const { return fd_; }

  // Sends a command and returns its reply.
  std::string Exchange(std::string_view command, int timeout_ms = kStubReplyTimeoutMs);

  // The registers with the mode and segment bases: CR0 from the 'g'
  // reply's slot for it where that slot proved right at connecting (else
  // from the monitor), and in protected mode the bases from the monitor
  // while the selectors or the mode differ from the last time it was asked.
  TX86Registers Registers();
  // A command of the emulator's monitor ("info registers") and its output;
  // empty when the stub passes none on.
  std::string Monitor(std::string_view command);
  // `size` bytes at a linear address (real mode: segment × 16 + offset).
  std::string ReadMemory(std::uint32_t address, std::size_t size);
  void InsertBreakpoint(std::uint32_t address);
  void RemoveBreakpoint(std::uint32_t address);
  const std::set<std::uint32_t>& Breakpoints() const { return breakpoints_; }

  // One instruction; returns when the CPU stopped again.
  void StepInstruction();
  // Starts the CPU; its stop arrives later (WaitStop).
  void Resume();
  bool Running() const { return running_; }
  // The stop of a running CPU if it came within timeout_ms (0: only what
  // has arrived). Throws when the target ended or the connection broke.
  bool WaitStop(int timeout_ms);
  // Stops a running CPU and waits for it to report.
  void Interrupt();
  // Over a call, int or repeated string instruction: runs to the
  // instruction after it (with a breakpoint of its own there when the user
  // has none) and waits up to timeout_ms; otherwise one step. Returns false
  // when the CPU is still running at the deadline (it went on elsewhere);
  // WaitStop or Interrupt then ends the step.
  bool StepOver(int timeout_ms);

 private:
  void SendRaw(std::string_view bytes);
  // Reads until a packet is complete or the deadline passes.
  std::string ReadPacket(int timeout_ms);
  bool ReadSome(int timeout_ms);
  void TakeStop(const std::string& payload);
  void DropTemporaryBreakpoint();
  // Where the 'g' reply's CR0 is in QEMU's i386 layout (after the sixteen
  // shown registers and fs_base, gs_base, k_gs_base).
  static constexpr std::size_t kGReplyCr0 = 19;
  void CheckCr0Slot();

  int fd_ = -1;
  std::string input_;
  bool running_ = false;
  std::set<std::uint32_t> breakpoints_;
  std::optional<std::uint32_t> temporary_;  // a step over's own breakpoint
  bool cr0_in_reply_ = false;               // the 'g' reply's slot agreed with the monitor
  bool monitor_ = false;                    // the monitor answers
  // The segments last read, for these selectors and CR0.
  std::array<std::uint32_t, kX86SegmentCount + 1> segments_key_{};
  std::optional<TX86Segments> segments_;
};

}  // namespace torvane
