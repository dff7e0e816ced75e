// One F10 step in the real emulator with what the debugger shows after it:
// the registers, 64 bytes of memory and the current source line. Needs
// nasm and qemu-system-i386.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "debug/source_stepping.h"
#include "debug/stub_client.h"
#include "listing/line_map.h"
#include "platform/process_runner.h"

namespace torvane {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A loop of calls and ordinary lines that never ends.
constexpr char kProgram[] =
    "        org 0x7c00\n"
    "again:  mov ax, 1\n"
    "        call sub1\n"
    "        add ax, bx\n"
    "        int 0x12\n"
    "        jmp again\n"
    "sub1:   mov bx, 2\n"
    "        ret\n"
    "        times 510-($-$$) db 0\n"
    "        dw 0xaa55\n";

// The same loop in 32-bit protected mode, where the mode and segment bases
// are part of every register read.
constexpr char kProtectedProgram[] =
    "        org 0x7c00\n"
    "        cli\n"
    "        xor ax, ax\n"
    "        mov ds, ax\n"
    "        lgdt [gdtr]\n"
    "        mov eax, cr0\n"
    "        or eax, 1\n"
    "        mov cr0, eax\n"
    "        jmp 0x08:pm\n"
    "        bits 32\n"
    "pm:     mov ax, 0x10\n"
    "        mov ss, ax\n"
    "again:  mov eax, 1\n"
    "        call sub1\n"
    "        add eax, ebx\n"
    "        jmp again\n"
    "sub1:   mov ebx, 2\n"
    "        ret\n"
    "gdt:    dq 0, 0x00cf9a000000ffff, 0x00cf92000000ffff\n"
    "gdtr:   dw gdtr - gdt - 1\n"
    "        dd gdt\n"
    "        times 510-($-$$) db 0\n"
    "        dw 0xaa55\n";

void StepOverWithViews(benchmark::State& state, const char* program, int first_line) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/";
  std::ofstream(folder + "p.asm") << program;
  RunProcess("nasm", {"-fbin", "p.asm", "-lp.lst", "-op.bin"}, folder);
  const auto map = std::make_shared<const TListingMap>(
      TListingMap::Build(ReadAll(folder + "p.lst"), folder + "p.asm", folder));
  const std::string socket = folder + "stub";
  TChildProcess qemu("qemu-system-i386",
                     {"-display", "none", "-nodefaults", "-boot", "a", "-drive",
                      "file=" + folder + "p.bin,format=raw,if=floppy", "-S", "-gdb",
                      "unix:" + socket + ",server=on,wait=off"},
                     folder);
  TStubClient stub;
  stub.Connect(socket, 10000);
  TSourceStepping source(stub, map);
  source.SetBreakpoint({0, first_line});
  stub.Resume();
  stub.WaitStop(10000);
  source.ClearBreakpoint({0, first_line});
  for (auto _ : state) {
    source.StepOverLine();
    const TX86Registers registers = stub.Registers();
    benchmark::DoNotOptimize(stub.ReadMemory(registers.LinearSp(), 64));
    benchmark::DoNotOptimize(source.CurrentPlace());
  }
}

void BM_StepOverWithViews(benchmark::State& state) {
  StepOverWithViews(state, kProgram, 2);
}

void BM_StepOverWithViewsProtected(benchmark::State& state) {
  StepOverWithViews(state, kProtectedProgram, 13);
}

BENCHMARK(BM_StepOverWithViews)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_StepOverWithViewsProtected)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace
}  // namespace torvane

BENCHMARK_MAIN();
