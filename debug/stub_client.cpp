// The debug stub's client: sockets, deadlines, commands.
#include "debug/stub_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace torvane {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 0));
}

std::string HexNumber(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace

TStubClient::~TStubClient() {
  Close();
}

void TStubClient::Connect(const std::string& socket_path, int timeout_ms) {
  Close();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socket_path.size() >= sizeof address.sun_path) {
    throw EDebugError("调试接口的套接字路径太长：" + socket_path);
  }
  std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      throw EDebugError(std::string("无法建立调试连接：") + std::strerror(errno));
    }
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
      fd_ = fd;
      break;
    }
    close(fd);
    if (RemainingMs(deadline) == 0) {
      throw EDebugError("模拟器的调试接口没有在 " + std::to_string((timeout_ms + 999) / 1000) +
                        " 秒内应答");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // The stub stops the CPU before anything runs; ask why, which also
  // checks it speaks.
  const std::string reply = Exchange("?");
  if (!ParseStopReply(reply)) {
    Close();
    throw EDebugError("模拟器的调试接口回答了无法理解的内容：" + reply);
  }
  CheckCr0Slot();
}

void TStubClient::CheckCr0Slot() {
  // The stub's register numbering has changed between versions, so the
  // slot is trusted only when it says what the monitor says.
  const std::string reply = Exchange("g");
  const std::optional<TX86Segments> told = ParseMonitorRegisters(Monitor("info registers"));
  monitor_ = told.has_value();
  const std::size_t at = kGReplyCr0 * 8;
  const std::optional<std::uint32_t> slot =
      reply.size() >= at + 8 ? LittleEndianHex(std::string_view(reply).substr(at, 8))
                             : std::nullopt;
  cr0_in_reply_ = told && slot && *slot == told->Cr0;
}

std::string TStubClient::Monitor(std::string_view command) {
  std::string packet = "qRcmd,";
  packet += ToHex(command);
  std::string reply = Exchange(packet);
  // The output comes as "O" packets (hex text), then OK.
  std::string out;
  while (reply.size() > 1 && reply[0] == 'O' && reply != "OK") {
    if (const std::optional<std::string> text = FromHex(std::string_view(reply).substr(1))) {
      out += *text;
    }
    reply = ReadPacket(kStubReplyTimeoutMs);
  }
  return out;
}

void TStubClient::Close() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
  input_.clear();
  running_ = false;
  breakpoints_.clear();
  temporary_.reset();
  cr0_in_reply_ = false;
  monitor_ = false;
  segments_.reset();
}

void TStubClient::SendRaw(std::string_view bytes) {
  if (fd_ < 0) {
    throw EDebugError("调试连接已断开");
  }
  while (!bytes.empty()) {
    const ssize_t written = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      Close();
      throw EDebugError("调试连接已断开");
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

bool TStubClient::ReadSome(int timeout_ms) {
  pollfd entry{fd_, POLLIN, 0};
  const int ready = poll(&entry, 1, timeout_ms);
  if (ready < 0 && errno == EINTR) {
    return false;
  }
  if (ready <= 0) {
    return false;
  }
  char buffer[4096];
  const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
  if (got <= 0) {
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
      return false;
    }
    Close();
    throw EDebugError("模拟器已结束，调试连接已断开");
  }
  input_.append(buffer, static_cast<std::size_t>(got));
  return true;
}

std::string TStubClient::ReadPacket(int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    bool bad = false;
    if (std::optional<std::string> payload = TakePacket(input_, &bad)) {
      SendRaw("+");
      return *payload;
    }
    if (bad) {
      SendRaw("-");  // the stub sends it again
      continue;
    }
    if (fd_ < 0) {
      throw EDebugError("调试连接已断开");
    }
    if (!ReadSome(RemainingMs(deadline)) && RemainingMs(deadline) == 0) {
      throw EDebugError("模拟器的调试接口没有在 " + std::to_string((timeout_ms + 999) / 1000) +
                        " 秒内应答");
    }
  }
}

std::string TStubClient::Exchange(std::string_view command, int timeout_ms) {
  if (running_) {
    throw EDebugError("程序正在运行，先让它停下");
  }
  SendRaw(FramePacket(command));
  return ReadPacket(timeout_ms);
}

TX86Registers TStubClient::Registers() {
  const std::string reply = Exchange("g");
  std::optional<TX86Registers> registers = ParseRegisters(reply);
  if (!registers) {
    throw EDebugError("模拟器没有给出寄存器：" + reply.substr(0, 40));
  }
  if (!monitor_) {
    return *registers;  // no way to tell the mode: real mode, as it starts
  }
  std::uint32_t cr0 = 0;
  bool fresh = false;
  if (cr0_in_reply_) {
    cr0 = LittleEndianHex(std::string_view(reply).substr(kGReplyCr0 * 8, 8)).value_or(0);
  } else {
    segments_ = ParseMonitorRegisters(Monitor("info registers"));
    cr0 = segments_ ? segments_->Cr0 : 0;
    fresh = true;
  }
  registers->Protected = (cr0 & 1) != 0;
  if (!registers->Protected) {
    registers->Segments.Cr0 = cr0;
    return *registers;
  }
  std::array<std::uint32_t, kX86SegmentCount + 1> key{};
  for (int k = 0; k < kX86SegmentCount; ++k) {
    key[static_cast<std::size_t>(k)] = registers->Values[static_cast<std::size_t>(xrCs + k)];
  }
  key[kX86SegmentCount] = cr0;
  if (!fresh && (!segments_ || key != segments_key_)) {
    segments_ = ParseMonitorRegisters(Monitor("info registers"));
  }
  segments_key_ = key;
  if (segments_) {
    registers->Segments = *segments_;
  }
  registers->Segments.Cr0 = cr0;
  return *registers;
}

std::string TStubClient::ReadMemory(std::uint32_t address, std::size_t size) {
  std::string out;
  // Replies are bounded by the stub's packet size: read in pieces.
  constexpr std::size_t kPiece = 1024;
  while (out.size() < size) {
    const std::size_t piece = std::min(kPiece, size - out.size());
    std::string command = "m";
    command += HexNumber(address + out.size());
    command += ',';
    command += HexNumber(piece);
    const std::string reply = Exchange(command);
    const std::optional<std::string> bytes = FromHex(reply);
    if (!bytes || bytes->empty() || (reply.size() == 3 && reply[0] == 'E')) {
      throw EDebugError("无法读取地址 " + HexNumber(address + out.size()) + " 处的内存");
    }
    out += *bytes;
  }
  out.resize(size);
  return out;
}

void TStubClient::InsertBreakpoint(std::uint32_t address) {
  if (breakpoints_.count(address) != 0) {
    return;
  }
  if (temporary_ != address) {
    const std::string reply = Exchange("Z0," + HexNumber(address) + ",1");
    if (reply != "OK") {
      throw EDebugError("无法在地址 " + HexNumber(address) + " 设置断点");
    }
  } else {
    temporary_.reset();  // the user's now
  }
  breakpoints_.insert(address);
}

void TStubClient::RemoveBreakpoint(std::uint32_t address) {
  if (breakpoints_.erase(address) == 0) {
    return;
  }
  Exchange("z0," + HexNumber(address) + ",1");
}

void TStubClient::TakeStop(const std::string& payload) {
  const std::optional<TStopReply> stop = ParseStopReply(payload);
  if (!stop) {
    return;  // console output and other notes while running
  }
  if (stop->Ended) {
    Close();
    throw EDebugError("模拟器已结束");
  }
  running_ = false;
  DropTemporaryBreakpoint();
}

void TStubClient::DropTemporaryBreakpoint() {
  if (temporary_ && !running_) {
    const std::uint32_t address = *temporary_;
    temporary_.reset();
    Exchange("z0," + HexNumber(address) + ",1");
  }
}

void TStubClient::StepInstruction() {
  if (running_) {
    throw EDebugError("程序正在运行，先让它停下");
  }
  SendRaw(FramePacket("s"));
  running_ = true;
  if (!WaitStop(kStubReplyTimeoutMs)) {
    Interrupt();
  }
}

void TStubClient::Resume() {
  if (running_) {
    return;
  }
  // Off a breakpoint at the current instruction first, or it stops there
  // again at once; not off a hlt with interrupts off, whose step the stub
  // never reports (the CPU stays there either way).
  if (!breakpoints_.empty()) {
    const TX86Registers registers = Registers();
    const std::uint32_t ip = registers.LinearIp();
    const bool interrupts = (registers[xrEflags] & (1u << 9)) != 0;
    if (breakpoints_.count(ip) != 0 && (interrupts || !IsHalt(ReadMemory(ip, 16)))) {
      StepInstruction();
    }
  }
  SendRaw(FramePacket("c"));
  running_ = true;
}

bool TStubClient::WaitStop(int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (running_) {
    bool bad = false;
    if (std::optional<std::string> payload = TakePacket(input_, &bad)) {
      SendRaw("+");
      TakeStop(*payload);
      continue;
    }
    if (bad) {
      SendRaw("-");
      continue;
    }
    if (fd_ < 0) {
      throw EDebugError("调试连接已断开");
    }
    if (!ReadSome(RemainingMs(deadline)) && RemainingMs(deadline) == 0) {
      return false;
    }
  }
  return true;
}

void TStubClient::Interrupt() {
  if (!running_) {
    return;
  }
  SendRaw(std::string_view("\x03", 1));
  if (!WaitStop(kStubReplyTimeoutMs)) {
    throw EDebugError("模拟器的调试接口没有在 " + std::to_string(kStubReplyTimeoutMs / 1000) +
                      " 秒内停下程序");
  }
}

bool TStubClient::StepOver(int timeout_ms) {
  const TX86Registers registers = Registers();
  const std::uint32_t ip = registers.LinearIp();
  const std::optional<TStepOverInstruction> whole =
      StepOverInstruction(ReadMemory(ip, 16), registers.Code32());
  // One step first: it leaves a breakpoint at the current instruction, and
  // often (a repeat with nothing left to do) it is the whole instruction.
  StepInstruction();
  if (!whole) {
    return true;
  }
  const std::uint32_t next = ip + static_cast<std::uint32_t>(whole->Length);
  const std::uint32_t now = Registers().LinearIp();
  if (now == next || breakpoints_.count(now) != 0) {
    return true;  // done, or at a breakpoint inside what it called
  }
  if (breakpoints_.count(next) == 0) {
    const std::string reply = Exchange("Z0," + HexNumber(next) + ",1");
    if (reply != "OK") {
      throw EDebugError("无法在地址 " + HexNumber(next) + " 设置断点");
    }
    temporary_ = next;
  }
  Resume();
  return WaitStop(timeout_ms);
}

}  // namespace torvane
