// The run model without any emulator: the source's origin, the kind of
// program, the image checks, argument lists, [Run] and output lines.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <algorithm>
#include <random>

#include "platform/file_access.h"
#include "run/emulator_command.h"
#include "run/program_kind.h"
#include "run/run_settings.h"

namespace torvane {
namespace {

unsigned Seed() {
  const char* seed = std::getenv("TORVANE_RANDOM_SEED");
  return seed != nullptr ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 20261208u;
}

// The number in one of NASM's notations.
std::string Notation(std::int64_t value, int style, std::mt19937& rng) {
  char hex[32];
  std::snprintf(hex, sizeof hex, (rng() % 2) != 0 ? "%llx" : "%llX",
                static_cast<unsigned long long>(value));
  switch (style) {
    case 0:
      return std::to_string(value);
    case 1:
      return std::string((rng() % 2) != 0 ? "0x" : "0X") + hex;
    case 2:
      return std::string("0h") + hex;
    case 3:
      return std::string("0") + hex + ((rng() % 2) != 0 ? "h" : "H");
    case 4:
      return std::string("$0") + hex;
    default:
      return std::to_string(value) + "d";
  }
}

TEST(SourceOrigin, FirstOrgInAnyNotationCaseAndBracketsBehindOtherLines) {
  std::mt19937 rng(Seed());
  const std::vector<std::string> before = {"; org 0x100 is in a comment\n",
                                           "  db 'org 5', 0 ; a string\n",
                                           "organize: mov ax, 1\n",
                                           "bits 16\r\n",
                                           "\n",
                                           "%define ORG_HERE 1\n"};
  for (int round = 0; round < 400; ++round) {
    const std::int64_t value = (rng() % 3 == 0) ? 0x100 : rng() % 0x10000;
    std::string source;
    for (int i = rng() % 4; i > 0; --i) {
      source += before[rng() % before.size()];
    }
    std::string keyword = "org";
    for (char& c : keyword) {
      c = (rng() % 2) != 0 ? static_cast<char>(std::toupper(c)) : c;
    }
    const std::string operand = Notation(value, static_cast<int>(rng() % 6), rng);
    std::string line = (rng() % 2) != 0 ? std::string(rng() % 3, ' ') + keyword + " " + operand
                                        : "[" + keyword + " " + operand + "]";
    if (rng() % 2 != 0) {
      line += "  ; start\t";
    }
    source += line + ((rng() % 2) != 0 ? "\r\n" : "\n") + "org 0x7c00\nmov ax, 0x100\n";
    ASSERT_EQ(SourceOrigin(source), value) << source;
    const TProgramKind kind = ChooseProgramKind(rkAuto, source, "");
    EXPECT_EQ(kind, value == 0x100 ? pkDosCom : pkBootImage) << source;
  }
  for (const char* none : {"", "mov ax, 1\n", "; org 0x100\n", "organ 0x100\n", "org\n",
                           "org label\n", "org 0x100 + 2\n", "db \"org 0x100\"\n"}) {
    EXPECT_EQ(SourceOrigin(none), -1) << none;
    EXPECT_EQ(ChooseProgramKind(rkAuto, none, ""), pkBootImage) << none;
  }
}

TEST(ProgramKind, TheSettingDecidesAndABootSignatureWinsOverOrg100) {
  std::string sector(512, '\0');
  sector[510] = '\x55';
  sector[511] = '\xAA';
  EXPECT_EQ(ChooseProgramKind(rkAuto, "org 100h\n", sector), pkBootImage);
  EXPECT_EQ(ChooseProgramKind(rkAuto, "org 100h\n", std::string(512, '\x90')), pkDosCom);
  EXPECT_EQ(ChooseProgramKind(rkDosCom, "org 0x7c00\n", sector), pkDosCom);
  EXPECT_EQ(ChooseProgramKind(rkBootImage, "org 0x100\n", ""), pkBootImage);
}

TEST(CheckImage, SignatureSizesAndDiskKinds) {
  std::string sector(512, '\0');
  const std::string name = "/tmp/启动 a.bin";
  const TImageCheck unsigned_sector = CheckImage(pkBootImage, 512, sector, name);
  EXPECT_FALSE(unsigned_sector.Ok);
  EXPECT_NE(unsigned_sector.Problem.find(name), std::string::npos);
  EXPECT_NE(unsigned_sector.Problem.find("55 AA"), std::string::npos);
  EXPECT_NE(unsigned_sector.Problem.find("00 00"), std::string::npos);
  sector[510] = '\x55';
  sector[511] = '\xAA';
  struct Case {
    std::int64_t size;
    bool ok;
    TDiskKind disk;
  };
  for (const Case& c :
       {Case{512, true, dkFloppy}, Case{kFloppySize, true, dkFloppy},
        Case{kFloppySize + 1, true, dkHardDisk}, Case{kMaxDiskImageSize, true, dkHardDisk},
        Case{kMaxDiskImageSize + 1, false, dkFloppy}, Case{0, false, dkFloppy}}) {
    const TImageCheck check = CheckImage(pkBootImage, c.size, sector, name);
    EXPECT_EQ(check.Ok, c.ok) << c.size;
    EXPECT_EQ(check.Problem.empty(), c.ok) << c.size;
    if (c.ok) {
      EXPECT_EQ(check.Disk, c.disk) << c.size;
    }
  }
  const TImageCheck short_image = CheckImage(pkBootImage, 100, sector.substr(0, 100), name);
  EXPECT_FALSE(short_image.Ok);
  EXPECT_NE(short_image.Problem.find("100"), std::string::npos);
  // A .COM program needs no signature, but has to fit its segment.
  EXPECT_TRUE(CheckImage(pkDosCom, 7, "\xb4\x4c\xcd\x21", name).Ok);
  EXPECT_TRUE(CheckImage(pkDosCom, kMaxComSize, "", name).Ok);
  EXPECT_FALSE(CheckImage(pkDosCom, kMaxComSize + 1, "", name).Ok);
  EXPECT_FALSE(CheckImage(pkDosCom, 0, "", name).Ok);
}

// Quotes an argument the way SplitArguments reads it back.
std::string Quote(const std::string& argument, std::mt19937& rng) {
  if (argument.find('\'') == std::string::npos && rng() % 2 != 0) {
    return "'" + argument + "'";
  }
  std::string quoted = "\"";
  for (const char c : argument) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
    }
    quoted += c;
  }
  return quoted + "\"";
}

TEST(SplitArguments, QuotedArgumentsComeBackAsTheyWere) {
  std::mt19937 rng(Seed());
  const std::vector<std::string> pieces = {"a", "-s", " ", "\"", "'", "\\", "$(rm x)",
                                           ";", "中", ",", "\t", "=", "*"};
  for (int round = 0; round < 500; ++round) {
    std::vector<std::string> arguments(rng() % 5);
    std::string text = std::string(rng() % 2, ' ');
    for (std::string& argument : arguments) {
      for (int i = rng() % 4; i > 0; --i) {
        argument += pieces[rng() % pieces.size()];
      }
      text += Quote(argument, rng) + std::string(1 + rng() % 2, (rng() % 2) != 0 ? ' ' : '\t');
    }
    ASSERT_EQ(SplitArguments(text), arguments) << text;
  }
  EXPECT_EQ(SplitArguments(R"(-s  -S "a b" 'c d' e\ f g"h i"j "")"),
            (std::vector<std::string>{"-s", "-S", "a b", "c d", "e f", "gh ij", ""}));
  EXPECT_TRUE(SplitArguments("  \t ").empty());
}

TEST(FindProgram, ExecutableRegularFilesOnlyFromPathOrAsGiven) {
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  ASSERT_TRUE(WriteFileSafely(d + "/emu", "#!/bin/sh\n"));
  ASSERT_EQ(chmod((d + "/emu").c_str(), 0755), 0);
  ASSERT_TRUE(WriteFileSafely(d + "/plain", "x"));
  ASSERT_EQ(mkdir((d + "/folder").c_str(), 0755), 0);
  EXPECT_EQ(FindProgram("emu", "/nonexistent::" + d), d + "/emu");
  EXPECT_EQ(FindProgram("emu", "/nonexistent"), "");
  EXPECT_EQ(FindProgram("plain", d), "");
  EXPECT_EQ(FindProgram("folder", d), "");
  EXPECT_EQ(FindProgram(d + "/emu", ""), d + "/emu");
  EXPECT_EQ(FindProgram(d + "/plain", d), "");
  EXPECT_EQ(FindProgram("", d), "");
}

TEST(PlanQemuRun, ImageNamesReachQemuAsOneValueWithCommasDoubled) {
  TRunSettings settings;
  settings.ShowDisplay = false;
  settings.MemoryMb = 4;
  settings.QemuArguments = "-cpu 486 \"-name\" 'x y'";
  const std::string image = "/tmp/a b/-启动;$(x),c.bin";
  const TEmulatorCommand floppy = PlanQemuRun(settings, image, dkFloppy, {"-s", "-S"});
  const std::vector<std::string>& a = floppy.Arguments;
  EXPECT_EQ(floppy.Program, "qemu-system-i386");
  EXPECT_EQ(floppy.PackageName, "qemu-system-x86");
  auto after = [&](const std::string& option) {
    const auto it = std::find(a.begin(), a.end(), option);
    return it == a.end() || it + 1 == a.end() ? std::string("<none>") : *(it + 1);
  };
  EXPECT_EQ(after("-display"), "none");
  EXPECT_EQ(after("-m"), "4");
  EXPECT_EQ(after("-drive"), "file=/tmp/a b/-启动;$(x),,c.bin,format=raw,index=0,if=floppy");
  EXPECT_EQ(after("-boot"), "order=a");
  EXPECT_EQ(after("-cpu"), "486");
  EXPECT_EQ(after("-name"), "x y");
  ASSERT_GE(a.size(), 2u);
  EXPECT_EQ(a[a.size() - 2], "-s");  // the caller's come last
  EXPECT_EQ(a.back(), "-S");
  settings.ShowDisplay = true;
  const TEmulatorCommand disk = PlanQemuRun(settings, "/x.img", dkHardDisk);
  EXPECT_EQ(std::count(disk.Arguments.begin(), disk.Arguments.end(), "-display"), 0);
  EXPECT_NE(std::find(disk.Arguments.begin(), disk.Arguments.end(),
                      "file=/x.img,format=raw,index=0,if=ide"),
            disk.Arguments.end());
}

TEST(PlanDosBoxRun, MountsTheFolderFromItsWorkingDirectoryAndRedirects) {
  TRunSettings settings;
  settings.ShowDisplay = false;
  settings.DosBoxArguments = "-fullscreen";
  const TEmulatorCommand c = PlanDosBoxRun(settings, "/tmp/源 $x");
  EXPECT_EQ(c.Program, "dosbox");
  EXPECT_EQ(c.PackageName, "dosbox");
  EXPECT_EQ(c.WorkingDirectory, "/tmp/源 $x/");
  EXPECT_EQ(c.OutputFile, "/tmp/源 $x/~TVRUN.OUT");
  EXPECT_EQ(c.TemporaryFiles,
            (std::vector<std::string>{"/tmp/源 $x/~TVRUN.COM", "/tmp/源 $x/~TVRUN.OUT",
                                      "/tmp/源 $x/~TVRUN.CNF"}));
  const std::vector<std::string> tail = {
      "-c", "mount c .", "-c", "c:", "-c", "~TVRUN.COM > ~TVRUN.OUT", "-c", "exit"};
  ASSERT_GE(c.Arguments.size(), tail.size());
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), c.Arguments.end() - tail.size()));
  EXPECT_NE(std::find(c.Arguments.begin(), c.Arguments.end(), "-fullscreen"), c.Arguments.end());
  EXPECT_EQ(c.Environment.size(), 2u);
  settings.ShowDisplay = true;
  EXPECT_TRUE(PlanDosBoxRun(settings, "/tmp").Environment.empty());
  settings.MemoryMb = 512;
  EXPECT_NE(DosBoxConfiguration(settings).find("memsize=63\n"), std::string::npos);
}

TEST(RunSettings, DefaultsRoundTripsAndOtherBytesKept) {
  QTemporaryDir dir;
  const std::string file = dir.path().toStdString() + "/torvane.ini";
  EXPECT_EQ(ReadRunSettings(file), TRunSettings());
  EXPECT_FALSE(StampOf(file).exists);  // reading creates nothing
  const std::string other = "; mine\r\n[Options]\r\nComplier=/usr/bin/nasm\r\n[View]\r\nX=1\r\n";
  ASSERT_TRUE(WriteFileSafely(file, other));
  WriteRunSettings(file, TRunSettings());  // nothing differs: nothing written
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(file, &bytes));
  EXPECT_EQ(bytes, other);
  std::mt19937 rng(Seed());
  for (int round = 0; round < 16; ++round) {
    TRunSettings s;
    s.QemuPath = (rng() % 2) != 0 ? "/opt/q emu/qemu" : kDefaultQemu;
    s.DosBoxPath = (rng() % 2) != 0 ? "/usr/games/dosbox" : kDefaultDosBox;
    s.QemuArguments = (rng() % 2) != 0 ? "-s -S \"a b\"" : "";
    s.DosBoxArguments = (rng() % 2) != 0 ? "-fullscreen" : "";
    s.MemoryMb = 1 + static_cast<int>(rng() % kMaxMemoryMb);
    s.ShowDisplay = rng() % 2 != 0;
    s.Kind = static_cast<TRunKindChoice>(rng() % 3);
    WriteRunSettings(file, s);
    ASSERT_EQ(ReadRunSettings(file), s) << round;
  }
  ASSERT_TRUE(ReadFileBytes(file, &bytes));
  EXPECT_EQ(bytes.substr(0, other.size()), other);
  ASSERT_TRUE(WriteFileSafely(
      file, "[Run]\nQemu=\nMemory=0\nDisplay=yes\nKind=exe\nDosBox=\nQemuArguments= -s \n"));
  TRunSettings expected;
  expected.QemuArguments = "-s";
  EXPECT_EQ(ReadRunSettings(file), expected);
}

TEST(OutputLines, ChunksGiveTheLinesOfTheWholeAndControlsAreDropped) {
  std::mt19937 rng(Seed());
  const std::string alphabet = std::string("ab \t\r\n\x01\x1b\x7f") + "中";
  for (int round = 0; round < 300; ++round) {
    std::string stream;
    for (int i = rng() % 60; i > 0; --i) {
      stream += alphabet[rng() % alphabet.size()];
    }
    TOutputLines whole;
    std::vector<std::string> expected = whole.Feed(stream);
    expected.push_back(whole.TakeRest());
    TOutputLines chunked;
    std::vector<std::string> got;
    for (std::size_t at = 0; at < stream.size();) {
      const std::size_t n = 1 + rng() % 7;
      for (std::string& line : chunked.Feed(std::string_view(stream).substr(at, n))) {
        got.push_back(line);
      }
      at += n;
    }
    got.push_back(chunked.TakeRest());
    ASSERT_EQ(got, expected);
    for (const std::string& line : got) {
      for (const char c : line) {
        ASSERT_TRUE(c == '\t' || static_cast<unsigned char>(c) >= 0x20);
        ASSERT_NE(c, '\x7f');
      }
    }
  }
  TOutputLines lines;
  EXPECT_EQ(lines.Feed("one\r\ntwo\nthree\rfour"),
            (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(lines.Feed("\n"), std::vector<std::string>{"four"});
  EXPECT_EQ(lines.Feed("\x1b[0mx\r"), std::vector<std::string>{"[0mx"});
  EXPECT_EQ(lines.Feed("\n"), std::vector<std::string>{});
}

TEST(RunTexts, MessagesNameTheProgramThePackageAndTheStatus) {
  const std::string missing = MissingEmulatorMessage("/opt/qemu", "qemu-system-x86");
  EXPECT_NE(missing.find("/opt/qemu"), std::string::npos);
  EXPECT_NE(missing.find("sudo apt install qemu-system-x86"), std::string::npos);
  EXPECT_EQ(RunEndText(false, true, 33), "运行结束，退出状态：33");
  EXPECT_EQ(RunEndText(true, false, -1), "运行已停止。");
  EXPECT_EQ(RunEndText(false, false, -1), "运行结束：模拟器异常终止。");
}

}  // namespace
}  // namespace torvane
