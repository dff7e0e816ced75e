// The debugger's protocol, x86 rules and source stepping; the stepping
// against the real QEMU, its debug stub on a local socket, running boot
// sectors assembled by the real nasm.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <random>
#include <thread>

#include "debug/remote_packets.h"
#include "debug/source_stepping.h"
#include "debug/stub_client.h"
#include "debug/x86_state.h"
#include "listing/line_map.h"
#include "nasm_listing.h"
#include "platform/process_runner.h"

namespace torvane {
namespace {

TEST(RemotePackets, FramesDecodeWhateverWayTheyArriveAndBadSumsAreAskedAgain) {
  EXPECT_EQ(FramePacket("g"), "$g#67");
  std::mt19937 rng(20261208);
  for (int round = 0; round < 300; ++round) {
    std::string payload;
    for (int n = static_cast<int>(rng() % 40); n > 0; --n) {
      payload += "0123456789abcdefTOK;:,"[rng() % 22];
    }
    // Acknowledgements and noise before it; the bytes arrive in pieces.
    const std::string wire = "+-+" + FramePacket(payload) + "$x";
    std::string input;
    std::optional<std::string> got;
    for (std::size_t at = 0; at < wire.size() && !got;) {
      const std::size_t piece = 1 + rng() % 5;
      input += wire.substr(at, piece);
      at += piece;
      got = TakePacket(input);
    }
    ASSERT_TRUE(got.has_value()) << payload;
    EXPECT_EQ(*got, payload);
  }
  // Escapes and runs ("0* " is 0 and three more copies).
  std::string input = "$}]0* a#00";
  unsigned sum = 0;
  for (const char c : std::string("}]0* a")) {
    sum += static_cast<unsigned char>(c);
  }
  input.replace(input.size() - 2, 2, ToHex(std::string(1, static_cast<char>(sum & 255))));
  EXPECT_EQ(TakePacket(input), std::optional<std::string>("}0000a"));
  bool bad = false;
  input = "$OK#00";
  EXPECT_EQ(TakePacket(input, &bad), std::nullopt);
  EXPECT_TRUE(bad);
  EXPECT_TRUE(input.empty());
  EXPECT_EQ(LittleEndianHex("34120000"), 0x1234u);
  EXPECT_EQ(FromHex("3g"), std::nullopt);
  EXPECT_TRUE(ParseStopReply("T05thread:01;")->Stopped);
  EXPECT_TRUE(ParseStopReply("W00")->Ended);
  EXPECT_EQ(ParseStopReply("OK"), std::nullopt);
}

TEST(X86State, RegistersFlagsAndTheInstructionsSteppedOverWhole) {
  std::string reply;
  for (std::uint32_t i = 0; i < 16; ++i) {
    reply += ToHex(std::string{static_cast<char>(i + 1), 0, 0, 0});
  }
  const std::optional<TX86Registers> r = ParseRegisters(reply + "ffff");
  ASSERT_TRUE(r);
  EXPECT_EQ((*r)[xrEax], 1u);
  EXPECT_EQ(r->LinearIp(), 11u * 16 + 9);
  EXPECT_EQ(ParseRegisters(reply.substr(8)), std::nullopt);
  EXPECT_EQ(FlagNames(0x246), "PF ZF IF");
  EXPECT_EQ(RegisterName(xrEip, true), "EIP");
  EXPECT_EQ(RegisterName(xrCs, true), "CS");
  TX86Registers after = *r;
  after.Values[xrEbx] = 9;
  EXPECT_EQ(ChangedRegisters(*r, after), std::vector<TX86Register>{xrEbx});
  struct Case {
    std::string Code;
    int Length;  // 0: not stepped over whole
    bool IsCall;
  };
  const Case cases[] = {
      {"\xE8\x09\x00", 3, true},
      {"\x66\xE8\x01\x00\x00\x00", 6, true},
      {"\x9A\x00\x00\x00\x10", 5, true},
      {"\xCD\x10", 2, false},
      {"\xCC", 1, false},
      {"\xF3\xAA", 2, false},
      {"\xF3\x26\xA5", 3, false},
      {"\xFF\xD3", 2, true},  // call bx
      {"\xFF\x16\x34\x12", 4, true},
      {"\xFF\x57\x02", 3, true},
      {"\xFF\x1E\x00\x10", 4, true},
      {"\x67\xFF\x14\x24", 4, true},
      {"\xFF\xE3", 0, false},
      {"\xB8\x34\x12", 0, false},
      {"\xF3\x90", 0, false},
      {"\xEB\xFE", 0, false},
      {"\xFF", 0, false},
      {"", 0, false},
  };
  for (const Case& c : cases) {
    const std::optional<TStepOverInstruction> got = StepOverInstruction(c.Code);
    EXPECT_EQ(got ? got->Length : 0, c.Length) << ToHex(c.Code);
    if (got) {
      EXPECT_EQ(got->IsCall, c.IsCall) << ToHex(c.Code);
    }
  }
  // 32-bit code: the sizes the prefixes switch from are the other way round.
  const Case cases32[] = {
      {"\xE8\x01\x00\x00\x00", 5, true},
      {"\x66\xE8\x01\x00", 4, true},
      {"\x9A\x00\x00\x00\x10\x08\x00", 7, true},
      {"\xFF\x14\x24", 3, true},
      {"\xFF\x15\x00\x10\x00\x00", 6, true},
      {"\x67\xFF\x16\x34\x12", 5, true},
      {"\xCD\x80", 2, false},
      {"\xB8\x78\x56\x34\x12", 0, false},
  };
  EXPECT_TRUE(IsHalt("\xF4"));
  EXPECT_TRUE(IsHalt("\x66\xF4"));
  EXPECT_FALSE(IsHalt("\xF5"));
  EXPECT_FALSE(IsHalt(""));
  for (const Case& c : cases32) {
    const std::optional<TStepOverInstruction> got = StepOverInstruction(c.Code, true);
    EXPECT_EQ(got ? got->Length : 0, c.Length) << ToHex(c.Code);
  }
  // In protected mode addresses are the descriptor's base + offset, and
  // in real mode selector × 16 whatever the monitor said.
  TX86Registers p = *r;
  p.Protected = true;
  p.Segments.Bases = {0x10000, 0x20000, 0, 0, 0, 0};
  p.Values[xrEip] = 0x12345;
  p.Values[xrEsp] = 0x10;
  EXPECT_EQ(p.LinearIp(), 0x10000u + 0x2345);
  p.Segments.Code32 = true;
  EXPECT_EQ(p.LinearIp(), 0x10000u + 0x12345);
  EXPECT_EQ(p.LinearSp(), 0x20010u);
  p.Protected = false;
  EXPECT_EQ(p.LinearIp(), 11u * 16 + 0x2345);
}

TEST(X86State, TheMonitorsRegistersGiveModeBasesAndSizes) {
  const std::string real =
      "EAX=00000000 EBX=00000000 ECX=00000000 EDX=00000663\r\n"
      "EIP=0000fff0 EFL=00000002 [-------] CPL=0 II=0 A20=1 SMM=0 HLT=0\r\n"
      "ES =0000 00000000 0000ffff 00009300\r\n"
      "CS =f000 ffff0000 0000ffff 00009b00\r\n"
      "SS =0000 00000000 0000ffff 00009300\r\n"
      "DS =0000 00000000 0000ffff 00009300\r\n"
      "FS =0000 00000000 0000ffff 00009300\r\n"
      "GS =0000 00000000 0000ffff 00009300\r\n"
      "CR0=60000010 CR2=00000000 CR3=00000000 CR4=00000000\r\n";
  const std::optional<TX86Segments> at_reset = ParseMonitorRegisters(real);
  ASSERT_TRUE(at_reset);
  EXPECT_EQ(at_reset->Cr0, 0x60000010u);
  EXPECT_EQ(at_reset->Bases[0], 0xFFFF0000u);
  EXPECT_FALSE(at_reset->Code32);
  std::string flat = real;
  flat.replace(flat.find("CS =f000 ffff0000 0000ffff 00009b00"), 35,
               "CS =0008 00400000 ffffffff 00cf9a00 DPL=0 CS32 [-R-]");
  flat.replace(flat.find("SS =0000 00000000 0000ffff 00009300"), 35,
               "SS =0010 00000000 ffffffff 00cf9300 DPL=0 DS   [-WA]");
  flat.replace(flat.find("CR0=60000010"), 12, "CR0=00000011");
  const std::optional<TX86Segments> flat_mode = ParseMonitorRegisters(flat);
  ASSERT_TRUE(flat_mode);
  EXPECT_EQ(flat_mode->Cr0, 0x11u);
  EXPECT_EQ(flat_mode->Bases[0], 0x400000u);
  EXPECT_TRUE(flat_mode->Code32);
  EXPECT_TRUE(flat_mode->Stack32);
  // Cut short anywhere, or without CR0: nothing, never a wrong mode.
  for (std::size_t cut = 0; cut < flat.size(); cut += 7) {
    const std::optional<TX86Segments> part = ParseMonitorRegisters(flat.substr(0, cut));
    EXPECT_TRUE(!part || flat.substr(0, cut).find("CR0=00000011") != std::string::npos) << cut;
  }
  EXPECT_EQ(ParseMonitorRegisters("unknown command"), std::nullopt);
}

// Line numbers of kBoot and kHelper below.
const std::string kBoot =
    "        org 0x7c00\n"       // 1
    "        bits 16\n"          // 2
    "start:  xor ax, ax\n"       // 3
    "        mov es, ax\n"       // 4
    "        mov ax, 0x1234\n"   // 5
    "        call sub1\n"        // 6
    "        int 0x10\n"         // 7
    "        mov cx, 3\n"        // 8
    "        mov di, buffer\n"   // 9
    "        mov al, 'z'\n"      // 10
    "        rep stosb\n"        // 11
    "        call helper\n"      // 12
    "\n"                         // 13
    "halt:   jmp halt\n"         // 14
    "sub1:   mov bx, 5\n"        // 15
    "        ret\n"              // 16
    "%include \"helper.inc\"\n"  // 17
    "buffer: times 4 db 0\n"     // 18
    "        times 510-($-$$) db 0\n"
    "        dw 0xaa55\n";
const std::string kHelper =
    "helper:\n"            // 1
    "        mov dx, 7\n"  // 2
    "        ret\n";       // 3

struct Debuggee {
  QTemporaryDir dir;
  testing::TAssembled assembled;
  std::shared_ptr<const TListingMap> map;
  std::unique_ptr<TChildProcess> qemu;
  TStubClient stub;
  std::unique_ptr<TSourceStepping> source;

  explicit Debuggee(const std::map<std::string, std::string>& files = {{"boot.asm", kBoot},
                                                                       {"helper.inc", kHelper}}) {
    assembled = testing::Assemble(dir, files, "boot.asm");
    map = std::make_shared<const TListingMap>(TListingMap::Build(
        assembled.listing, assembled.source, assembled.directory, assembled.binary, true));
    Start();
  }

  void Start() {
    const std::string socket = dir.path().toStdString() + "/stub";
    std::remove(socket.c_str());
    qemu = std::make_unique<TChildProcess>(
        "qemu-system-i386",
        std::vector<std::string>{"-display", "none", "-nodefaults", "-no-reboot", "-boot", "a",
                                 "-drive",
                                 "file=" + assembled.directory + "boot.bin,format=raw,if=floppy",
                                 "-S", "-gdb", "unix:" + socket + ",server=on,wait=off"},
        assembled.directory);
    stub.Connect(socket, 10000);
    source = std::make_unique<TSourceStepping>(stub, map);
  }

  int Line() {
    const std::optional<TSourcePlace> place = source->CurrentPlace();
    return place ? place->Line : 0;
  }
  std::uint32_t Reg(TX86Register r) { return stub.Registers()[r] & 0xFFFF; }
};

TEST(SourceStepping, BreakpointsStepsAndMemoryInTheRealEmulator) {
  Debuggee d;
  ASSERT_TRUE(d.assembled.ok) << d.assembled.log;
  ASSERT_TRUE(d.qemu->Started());
  // A breakpoint on line 3 stops there; a line without code moves on.
  EXPECT_EQ(d.source->SetBreakpoint({0, 3}), (TSourcePlace{0, 3}));
  EXPECT_EQ(d.source->SetBreakpoint({0, 13}), (TSourcePlace{0, 14}));
  d.source->ClearBreakpoint({0, 13});
  d.stub.Resume();
  ASSERT_TRUE(d.stub.WaitStop(10000));
  EXPECT_EQ(d.Line(), 3);
  EXPECT_EQ(d.stub.Registers().LinearIp(), 0x7C00u);
  // The memory at 0x7C00 is the binary.
  EXPECT_EQ(d.stub.ReadMemory(0x7C00, 512), d.assembled.binary);
  // F11 line by line: AX after mov ax, 0x1234.
  d.source->StepInto();
  d.source->StepInto();
  EXPECT_EQ(d.Line(), 5);
  d.source->StepInto();
  EXPECT_EQ(d.Reg(xrEax), 0x1234u);
  EXPECT_EQ(d.Line(), 6);
  // F11 goes into the call, F10 steps over the next call and int 0x10.
  d.source->StepInto();
  EXPECT_EQ(d.Line(), 15);
  d.source->StepInto();
  d.source->StepInto();
  EXPECT_EQ(d.Line(), 7);
  d.source->StepOverLine();
  EXPECT_EQ(d.Line(), 8);
  // A repeated string instruction is one step.
  d.source->StepOverLine();
  d.source->StepOverLine();
  d.source->StepOverLine();
  EXPECT_EQ(d.Line(), 11);
  d.source->StepOverLine();
  EXPECT_EQ(d.Line(), 12);
  EXPECT_EQ(d.Reg(xrEcx), 0u);
  TSourcePlace buffer{0, 18};
  const std::optional<std::uint32_t> buffer_at = d.source->AddressOfLine(buffer);
  ASSERT_TRUE(buffer_at);
  EXPECT_EQ(d.stub.ReadMemory(*buffer_at, 4), std::string("zzz\0", 4));
  // A breakpoint in the included file.
  const int helper = d.map->FindFile(d.assembled.directory + "helper.inc");
  ASSERT_GE(helper, 0);
  EXPECT_EQ(d.source->SetBreakpoint({helper, 1}), (TSourcePlace{helper, 2}));
  d.stub.Resume();
  ASSERT_TRUE(d.stub.WaitStop(5000));
  EXPECT_EQ(d.source->CurrentPlace(), (TSourcePlace{helper, 2}));
  d.source->ClearBreakpoint({helper, 2});
  // Run to a line; a step on a line that jumps to itself comes back.
  EXPECT_TRUE(d.source->RunTo({0, 14}, 5000));
  EXPECT_EQ(d.Line(), 14);
  EXPECT_EQ(d.Reg(xrEdx), 7u);
  d.source->StepOverLine();
  EXPECT_EQ(d.Line(), 14);
  // Running without end: an interrupt stops it.
  d.stub.Resume();
  EXPECT_FALSE(d.stub.WaitStop(100));
  d.stub.Interrupt();
  EXPECT_EQ(d.Line(), 14);

  // Stop and start again: the program starts from the beginning.
  d.stub.Close();
  d.qemu.reset();
  d.Start();
  d.source->SetBreakpoint({0, 5});
  d.stub.Resume();
  ASSERT_TRUE(d.stub.WaitStop(10000));
  EXPECT_EQ(d.Line(), 5);

  // The emulator killed under the debugger: an error, not a hang.
  d.stub.Resume();
  d.qemu->Cancel();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(
      {
        d.stub.WaitStop(5000);
        d.stub.Registers();
      },
      EDebugError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  EXPECT_FALSE(d.stub.Connected());
}

// Switches to protected mode with flat segments and goes on in 32-bit code.
const std::string kProtected =
    "        org 0x7c00\n"             // 1
    "        bits 16\n"                // 2
    "start:  cli\n"                    // 3
    "        xor ax, ax\n"             // 4
    "        mov ds, ax\n"             // 5
    "        lgdt [gdtr]\n"            // 6
    "        mov eax, cr0\n"           // 7
    "        or eax, 1\n"              // 8
    "        mov cr0, eax\n"           // 9
    "        jmp 0x08:pm\n"            // 10
    "        bits 32\n"                // 11
    "pm:     mov ax, 0x10\n"           // 12
    "        mov ds, ax\n"             // 13
    "        mov ss, ax\n"             // 14
    "        mov eax, 0x12345678\n"    // 15
    "        call sub32\n"             // 16
    "halt:   hlt\n"                    // 17
    "sub32:  mov ebx, 7\n"             // 18
    "        ret\n"                    // 19
    "gdt:    dq 0\n"                   // 20
    "        dq 0x00cf9a000000ffff\n"  // 21
    "        dq 0x00cf92000000ffff\n"  // 22
    "gdtr:   dw gdtr - gdt - 1\n"      // 23
    "        dd gdt\n"                 // 24
    "        times 510-($-$$) db 0\n"
    "        dw 0xaa55\n";

TEST(SourceStepping, ProtectedModeLinesAndRegistersThrough32BitCode) {
  Debuggee d({{"boot.asm", kProtected}});
  ASSERT_TRUE(d.assembled.ok) << d.assembled.log;
  d.source->SetBreakpoint({0, 9});
  d.stub.Resume();
  ASSERT_TRUE(d.stub.WaitStop(10000));
  EXPECT_FALSE(d.stub.Registers().Protected);
  // After mov cr0 the CPU is in protected mode with the real-mode code
  // segment still loaded; the far jump loads the flat 32-bit one.
  d.source->StepInto();
  EXPECT_EQ(d.Line(), 10);
  EXPECT_TRUE(d.stub.Registers().Protected);
  EXPECT_FALSE(d.stub.Registers().Code32());
  d.source->StepInto();
  EXPECT_EQ(d.Line(), 12);
  const TX86Registers flat = d.stub.Registers();
  EXPECT_TRUE(flat.Code32());
  EXPECT_EQ(flat[xrCs], 8u);
  EXPECT_EQ(flat.Base(xrCs), 0u);
  d.source->StepInto();
  d.source->StepInto();
  d.source->StepInto();
  EXPECT_EQ(d.Line(), 15);
  d.source->StepInto();
  EXPECT_EQ(d.Line(), 16);
  EXPECT_EQ(d.stub.Registers()[xrEax], 0x12345678u);
  EXPECT_TRUE(d.stub.Registers().Segments.Stack32);
  // F10 over a 32-bit call (five bytes) lands on the next line.
  d.source->StepOverLine();
  EXPECT_EQ(d.Line(), 17);
  EXPECT_EQ(d.stub.Registers()[xrEbx], 7u);
  EXPECT_TRUE(d.source->CodeAsAssembled({0, 17}));
  EXPECT_TRUE(d.source->CodeAsAssembled({0, 10}));
  // A hlt with interrupts off (cli on line 3) would never report a step:
  // the step does not try.
  EXPECT_TRUE(d.source->HaltsForever());
  const auto start = std::chrono::steady_clock::now();
  d.source->StepInto();
  d.source->StepOverLine();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(d.Line(), 17);
  // Going on from a breakpoint on that hlt does not wait for its step.
  d.source->SetBreakpoint({0, 17});
  d.stub.Resume();
  d.stub.WaitStop(100);
  d.stub.Interrupt();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(d.Line(), 17);
  // Without the binary the far jump's listed bytes are those before the
  // fix-up: not taken for an overwrite.
  const auto unfixed = std::make_shared<const TListingMap>(
      TListingMap::Build(d.assembled.listing, d.assembled.source, d.assembled.directory));
  EXPECT_TRUE(TSourceStepping(d.stub, unfixed).CodeAsAssembled({0, 10}));
  EXPECT_FALSE(d.source->PastTheEnd(d.stub.Registers().LinearIp()));
}

TEST(SourceStepping, CodeTheProgramWroteOverAndSteppingPastTheEnd) {
  const std::string program =
      "        org 0x7c00\n"                // 1
      "start:  xor ax, ax\n"                // 2
      "        mov ds, ax\n"                // 3
      "        mov bx, ax\n"                // 4
      "        mov si, ax\n"                // 5
      "        mov byte [patch+1], 0x99\n"  // 6
      "patch:  mov ax, 0x1234\n"            // 7
      "        mov cx, 1\n"                 // 8
      "        times 510-($-$$) db 0\n"     // 9
      "        dw 0xaa55\n";                // 10
  Debuggee d({{"boot.asm", program}});
  ASSERT_TRUE(d.assembled.ok) << d.assembled.log;
  d.source->SetBreakpoint({0, 6});
  d.stub.Resume();
  ASSERT_TRUE(d.stub.WaitStop(10000));
  EXPECT_TRUE(d.source->CodeAsAssembled({0, 7}));
  d.source->StepInto();
  EXPECT_EQ(d.Line(), 7);
  EXPECT_FALSE(d.source->CodeAsAssembled({0, 7}));
  EXPECT_TRUE(d.source->CodeAsAssembled({0, 8}));
  d.source->StepInto();
  EXPECT_EQ(d.Reg(xrEax), 0x1299u);  // what memory held, not the source
  // On through the padding (one line) and the signature (whose bytes may
  // be part of the padding's last instruction), then off the end.
  d.source->StepOverLine();
  EXPECT_EQ(d.Line(), 9);
  for (int step = 0; step < 3 && d.Line() != 0; ++step) {
    EXPECT_FALSE(d.source->PastTheEnd(d.stub.Registers().LinearIp()));
    d.source->StepOverLine();
  }
  EXPECT_EQ(d.Line(), 0);
  EXPECT_TRUE(d.source->PastTheEnd(d.stub.Registers().LinearIp()));
  EXPECT_FALSE(d.source->PastTheEnd(0x7C00 - 2));
  EXPECT_FALSE(d.source->PastTheEnd(0xFFFF0));
}

// A stub of a version whose register reply has no CR0 where QEMU 7.2 has
// it (or whose monitor does not answer): answers from a thread.
class FakeStub {
 public:
  FakeStub(const std::string& path, bool monitor) : monitor_(monitor) {
    listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    listen(listener_, 1);
    thread_ = std::thread([this] { Serve(); });
  }
  ~FakeStub() {
    thread_.join();
    close(listener_);
  }
  int monitor_calls = 0;

 private:
  void Serve() {
    const int fd = accept(listener_, nullptr, nullptr);
    std::string input;
    char buffer[512];
    for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
      input.append(buffer, static_cast<std::size_t>(got));
      while (const std::optional<std::string> command = TakePacket(input)) {
        std::string reply;
        if (*command == "?") {
          reply = FramePacket("S05");
        } else if (*command == "g") {
          std::string values;
          for (std::uint32_t v : {0u, 0u,    0u,    0u,    0u,    0u,    0u, 0u, 0x7C19u, 2u,
                                  8u, 0x10u, 0x10u, 0x10u, 0x10u, 0x10u, 0u, 0u, 0u,      0u}) {
            values +=
                ToHex(std::string{static_cast<char>(v & 255), static_cast<char>(v >> 8), 0, 0});
          }
          reply = FramePacket(values);
        } else if (command->starts_with("qRcmd,") && monitor_) {
          ++monitor_calls;
          reply = FramePacket("O" + ToHex("CS =0008 00100000 ffffffff 00cf9a00\r\n"
                                          "SS =0010 00000000 ffffffff 00cf9300\r\n"
                                          "DS =0010 00000000 ffffffff 00cf9300\r\n")) +
                  FramePacket("O" + ToHex("ES =0010 00000000 ffffffff 00cf9300\r\n"
                                          "FS =0010 00000000 ffffffff 00cf9300\r\n"
                                          "GS =0010 00000000 ffffffff 00cf9300\r\n"
                                          "CR0=00000011 CR2=00000000\r\n")) +
                  FramePacket("OK");
        } else {
          reply = FramePacket("");
        }
        send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
      }
    }
    close(fd);
  }
  bool monitor_;
  int listener_ = -1;
  std::thread thread_;
};

TEST(SourceStepping, WithoutCr0InTheReplyTheMonitorSaysTheModeAndWithoutAMonitorItIsReal) {
  for (const bool monitor : {true, false}) {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/stub";
    FakeStub fake(path, monitor);
    TStubClient stub;
    stub.Connect(path, 2000);
    const TX86Registers first = stub.Registers();
    const TX86Registers second = stub.Registers();
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.Protected, monitor);
    EXPECT_EQ(first.LinearIp(), monitor ? 0x100000u + 0x7C19 : 8u * 16 + 0x7C19);
    EXPECT_EQ(first.Code32(), monitor);
    stub.Close();
    // One call at connecting, then one a register read: the slot is not used.
    EXPECT_EQ(fake.monitor_calls, monitor ? 3 : 0);
  }
}

TEST(SourceStepping, AStubThatNeverAnswersIsAnErrorWithinItsTime) {
  QTemporaryDir dir;
  TStubClient stub;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(stub.Connect(dir.path().toStdString() + "/none", 300), EDebugError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_THROW(stub.Registers(), EDebugError);
}

}  // namespace
}  // namespace torvane
