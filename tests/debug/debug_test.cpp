// The debugger's protocol, x86 rules and source stepping; the stepping
// against the real QEMU, its debug stub on a local socket, running boot
// sectors assembled by the real nasm.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <random>

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

  Debuggee() {
    assembled = testing::Assemble(dir, {{"boot.asm", kBoot}, {"helper.inc", kHelper}}, "boot.asm");
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
