// Real runs: boot sectors assembled by nasm, booted by QEMU without a
// display, their serial and port 0xE9 output read live; a .COM program under
// DOSBox with SDL's dummy video driver; stopping ends the whole process group.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>

#include "platform/file_access.h"
#include "platform/live_process.h"
#include "platform/process_runner.h"
#include "run/emulator_command.h"
#include "tests/support/process_state.h"

namespace torvane {
namespace {

std::string Tool(const char* name) {
  return QStandardPaths::findExecutable(QString::fromLatin1(name)).toStdString();
}

class EmulatorRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Tool("nasm").empty()) << "scripts/deps.sh installs nasm";
    ASSERT_FALSE(Tool(kDefaultQemu).empty()) << "scripts/deps.sh installs qemu-system-x86";
  }

  // Assembles `source` with the real nasm into `name` in a folder with
  // blanks and Chinese characters; returns the binary's path.
  std::string Assemble(const std::string& source, const std::string& name) {
    const std::string dir = dir_.path().toStdString() + "/汇编 a;b";
    mkdir(dir.c_str(), 0755);
    const std::string asm_path = dir + "/src.asm";
    EXPECT_TRUE(WriteFileSafely(asm_path, source));
    const std::string binary = dir + "/" + name;
    const TProcessOutcome outcome =
        RunProcess(Tool("nasm"), {"-fbin", asm_path, "-o", binary}, dir);
    EXPECT_EQ(outcome.exit_code, 0);
    return binary;
  }

  void Launch(const TEmulatorCommand& command) {
    process_.OnOutput = [this](const std::string& bytes) {
      for (std::string& line : lines_.Feed(bytes)) {
        output_.push_back(std::move(line));
      }
    };
    process_.OnErrorOutput = [this](const std::string& bytes) { errors_ += bytes; };
    process_.OnFinished = [this](const TLiveProcessEnd& end) {
      end_ = end;
      ++finished_;
    };
    std::string error;
    ASSERT_TRUE(process_.Start(FindProgram(command.Program, std::getenv("PATH")), command.Arguments,
                               command.WorkingDirectory, command.Environment, &error))
        << error;
  }

  TRunSettings Headless() const {
    TRunSettings settings;
    settings.ShowDisplay = false;
    settings.MemoryMb = 4;
    return settings;
  }

  bool Printed(const std::string& line) const {
    return std::find(output_.begin(), output_.end(), line) != output_.end();
  }

  QTemporaryDir dir_;
  TLiveProcess process_;
  TOutputLines lines_;
  std::vector<std::string> output_;
  std::string errors_;
  TLiveProcessEnd end_;
  int finished_ = 0;
};

// Prints `text` through `port_code` (which sends AL), then runs `tail`.
std::string BootSector(const std::string& text, const std::string& port_code,
                       const std::string& tail) {
  return "org 0x7c00\nbits 16\n  xor ax, ax\n  mov ds, ax\n  mov si, msg\n.next:\n  lodsb\n"
         "  test al, al\n  jz .done\n" +
         port_code + "\n  jmp .next\n.done:\n" + tail + "\nmsg: db \"" + text +
         "\", 13, 10, 0\ntimes 510-($-$$) db 0\ndw 0xaa55\n";
}

TEST_F(EmulatorRunTest, PortE9OutputArrivesAndPortF4EndsTheRunWithItsStatus) {
  const std::string image = Assemble(
      BootSector("Hello from port E9", "  out 0xe9, al", "  mov al, 0x10\n  out 0xf4, al\n  hlt"),
      "-启动 $(x),1.bin");
  Launch(PlanQemuRun(Headless(), image, dkFloppy));
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished_ == 1; }, 30000)) << errors_;
  EXPECT_TRUE(Printed("Hello from port E9")) << errors_;
  EXPECT_FALSE(end_.stopped);
  EXPECT_TRUE(end_.normal_exit);
  EXPECT_EQ(end_.exit_code, (0x10 << 1) | 1);  // isa-debug-exit's status
  EXPECT_FALSE(process_.Running());
}

TEST_F(EmulatorRunTest, SerialOutputArrivesLiveAndStopEndsAProgramThatHaltsForever) {
  const std::string image = Assemble(
      BootSector("Serial says hi", "  mov dx, 0x3f8\n  out dx, al", ".halt:\n  hlt\n  jmp .halt"),
      "serial.bin");
  Launch(PlanQemuRun(Headless(), image, dkFloppy));
  const pid_t pid = static_cast<pid_t>(process_.ProcessId());
  ASSERT_TRUE(QTest::qWaitFor([&] { return Printed("Serial says hi"); }, 30000)) << errors_;
  QTest::qWait(100);
  EXPECT_EQ(finished_, 0);  // it halts, it does not end
  EXPECT_TRUE(Running(pid));
  process_.Stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished_ == 1; }, 10000));
  EXPECT_TRUE(end_.stopped);
  EXPECT_FALSE(end_.normal_exit);
  EXPECT_FALSE(Running(pid));  // neither running nor a zombie
}

// A loader that reads the image's second sector with the BIOS and prints the
// text found there; the image is padded to `size` bytes.
std::string Loader(std::int64_t size) {
  return "org 0x7c00\n  xor ax, ax\n  mov ds, ax\n  mov es, ax\n  mov ax, 0x0201\n"
         "  mov cx, 0x0002\n  xor dh, dh\n  mov bx, 0x7e00\n  int 0x13\n  mov si, 0x7e00\n"
         "  jnc .next\n  mov si, failed\n.next:\n  lodsb\n  test al, al\n  jz .done\n"
         "  out 0xe9, al\n  jmp .next\n.done:\n  out 0xf4, al\n  hlt\n"
         "failed: db \"read failed\", 13, 10, 0\ntimes 510-($-$$) db 0\ndw 0xaa55\n"
         "db \"kernel in sector 2\", 13, 10, 0\ntimes " +
         std::to_string(size) + "-($-$$) db 0\n";
}

TEST_F(EmulatorRunTest, LargerImagesBootAsAFloppyOrAHardDiskAndReadTheirNextSector) {
  for (const std::int64_t size : {std::int64_t{1024}, kFloppySize, kFloppySize + 512 * 64}) {
    SCOPED_TRACE(size);
    const std::string image = Assemble(Loader(size), "disk.img");
    ASSERT_EQ(StampOf(image).size, size);
    std::string first;
    ASSERT_TRUE(ReadFileBytes(image, &first));
    const TImageCheck check = CheckImage(pkBootImage, size, first.substr(0, 512), image);
    ASSERT_TRUE(check.Ok) << check.Problem;
    EXPECT_EQ(check.Disk, size <= kFloppySize ? dkFloppy : dkHardDisk);
    output_.clear();
    finished_ = 0;
    Launch(PlanQemuRun(Headless(), image, check.Disk));
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished_ == 1; }, 30000)) << errors_;
    EXPECT_TRUE(Printed("kernel in sector 2")) << (output_.empty() ? errors_ : output_.front());
  }
}

TEST_F(EmulatorRunTest, QemuRefusingItsArgumentsEndsAtOnceWithItsErrorOutput) {
  TRunSettings settings = Headless();
  settings.QemuArguments = "-no-such-option";
  Launch(PlanQemuRun(settings, "/nonexistent.bin", dkFloppy));
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished_ == 1; }, 30000));
  EXPECT_TRUE(end_.normal_exit);
  EXPECT_NE(end_.exit_code, 0);
  EXPECT_NE(errors_.find("no-such-option"), std::string::npos) << errors_;
}

TEST_F(EmulatorRunTest, StopEndsEveryProcessTheProgramStartedAndTheDestructorWaits) {
  Launch({"/bin/sh", {"-c", "sleep 300 & echo $!; wait"}, "", {}, {}, "", ""});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !output_.empty(); }, 10000));
  const pid_t child = static_cast<pid_t>(std::stol(output_.front()));
  const pid_t leader = static_cast<pid_t>(process_.ProcessId());
  EXPECT_TRUE(Running(child));
  process_.Stop();
  process_.WaitForEnd();
  EXPECT_EQ(finished_, 1);
  EXPECT_TRUE(end_.stopped);
  EXPECT_FALSE(Running(leader));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Running(child); }, 5000));
  // A program still running when its object goes is ended with it.
  pid_t second = 0;
  {
    TLiveProcess other;
    std::string error;
    ASSERT_TRUE(other.Start("/bin/sleep", {"300"}, "", {}, &error)) << error;
    second = static_cast<pid_t>(other.ProcessId());
    EXPECT_TRUE(Running(second));
  }
  EXPECT_FALSE(Running(second));
  // A program that cannot be started says why and reports no end.
  TLiveProcess missing;
  std::string error;
  EXPECT_FALSE(missing.Start("/nonexistent/emu", {}, "", {}, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(missing.Running());
}

TEST_F(EmulatorRunTest, DosBoxRunsAComProgramFromTheMountedFolderAndExits) {
  if (Tool(kDefaultDosBox).empty()) {
    GTEST_FAIL() << "scripts/deps.sh installs dosbox";
  }
  const std::string binary = Assemble(
      "org 0x100\n  mov dx, msg\n  mov ah, 9\n  int 0x21\n  mov ax, 0x4c00\n  int 0x21\n"
      "msg: db \"Hello from DOS\", 13, 10, \"$\"\n",
      "hello.bin");
  const std::string dir = binary.substr(0, binary.rfind('/'));
  const TEmulatorCommand command = PlanDosBoxRun(Headless(), dir);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(binary, &bytes));
  ASSERT_TRUE(WriteFileSafely(command.TemporaryFiles[0], bytes));
  ASSERT_TRUE(WriteFileSafely(command.TemporaryFiles[2], DosBoxConfiguration(Headless())));
  Launch(command);
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished_ == 1; }, 60000));
  EXPECT_TRUE(end_.normal_exit);
  std::string output;
  ASSERT_TRUE(ReadFileBytes(command.OutputFile, &output));
  EXPECT_EQ(output, "Hello from DOS\r\n");
}

}  // namespace
}  // namespace torvane
