// Assembling: path splitting, the argument list, the log's lines, and runs of
// the real NASM (clean, with errors, with hostile file names).
#include "app/assembler.h"

#include <sys/stat.h>

#include "app_fixture.h"
#include "platform/codepage.h"
#include "platform/errors.h"

namespace torvane {
namespace {

constexpr char kNasm[] = "/usr/bin/nasm";

TEST(SplitTest, DirectoryAndExtension) {
  std::string dir = "keep";
  std::string name = "keep";
  EXPECT_TRUE(SplitDirectory("/home/u/src/boot.asm", dir, name));
  EXPECT_EQ(dir, "/home/u/src/");
  EXPECT_EQ(name, "boot.asm");
  EXPECT_FALSE(SplitDirectory("boot.asm", dir, name));
  EXPECT_EQ(dir, "/home/u/src/");  // unchanged without a '/'
  EXPECT_TRUE(SplitDirectory("/boot", dir, name));
  EXPECT_EQ(dir, "/");
  EXPECT_EQ(name, "boot");

  std::string base = "keep";
  std::string ext = "keep";
  EXPECT_TRUE(SplitExtension("a.b.asm", base, ext));
  EXPECT_EQ(base, "a.b");
  EXPECT_EQ(ext, "asm");
  EXPECT_FALSE(SplitExtension("boot", base, ext));
  EXPECT_EQ(base, "a.b");
  EXPECT_TRUE(SplitExtension(".hidden", base, ext));
  EXPECT_EQ(base, "");
  EXPECT_EQ(ext, "hidden");
}

TEST(PlanTest, ArgumentListsForOrdinaryAndOddNames) {
  TAssemblerRun run = PlanAssemblerRun("/usr/bin/nasm", "/home/u/src/boot.asm");
  EXPECT_EQ(run.program, "/usr/bin/nasm");
  EXPECT_EQ(run.arguments, (std::vector<std::string>{"-fbin", "boot.asm", "-lboot.lst",
                                                     "-oboot.bin", "-Zboot.log"}));
  EXPECT_EQ(run.working_directory, "/home/u/src/");
  EXPECT_EQ(run.log_path, "/home/u/src/boot.log");
  EXPECT_EQ(run.binary_path, "/home/u/src/boot.bin");

  run = PlanAssemblerRun("nasm", "/home/u/src/boot");  // no extension
  EXPECT_EQ(run.arguments,
            (std::vector<std::string>{"-fbin", "boot", "-l.lst", "-o.bin", "-Z.log"}));
  EXPECT_EQ(run.log_path, "/home/u/src/.log");

  run = PlanAssemblerRun("nasm", "/s/a.b.asm");
  EXPECT_EQ(run.arguments[2], "-la.b.lst");
  EXPECT_EQ(run.binary_path, "/s/a.b.bin");

  // Names NASM would read as an option or a response file.
  EXPECT_EQ(PlanAssemblerRun("nasm", "/s/-v.asm").arguments[1], "./-v.asm");
  EXPECT_EQ(PlanAssemblerRun("nasm", "/s/@x.asm").arguments[1], "./@x.asm");
  EXPECT_EQ(PlanAssemblerRun("nasm", "/s/-v.asm").arguments[2], "-l-v.lst");

  run = PlanAssemblerRun("", "/my dir/a b;touch x.asm");
  EXPECT_EQ(run.program, "");
  EXPECT_EQ(run.arguments[1], "a b;touch x.asm");
  EXPECT_EQ(run.working_directory, "/my dir/");
}

TEST(LogLinesTest, SplitsAtEveryLineBreakAndDecodes) {
  EXPECT_TRUE(LogLines("").isEmpty());
  EXPECT_EQ(LogLines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(LogLines("a\n"), QStringList{"a"});
  EXPECT_EQ(LogLines("a\n\nb\r\n\r\n"), (QStringList{"a", "", "b", ""}));
  EXPECT_EQ(LogLines("\n"), QStringList{""});
  {
    ScopedCodePage gbk("GBK");
    EXPECT_EQ(LogLines("boot.asm:1: \xB4\xED\xCE\xF3\r\n"),
              QStringList{QStringLiteral("boot.asm:1: 错误")});
  }
  ScopedCodePage utf8("UTF-8");
  EXPECT_EQ(LogLines("x \xE9\xE9\n").size(), 1);  // undecodable bytes still make a line
}

class NasmTest : public AppTest {
 protected:
  void SetUp() override {
    if (access(kNasm, X_OK) != 0) {
      GTEST_SKIP() << "NASM is not installed at " << kNasm;
    }
  }
};

TEST_F(NasmTest, CleanSourceBuildsBinaryAndListingAndShowsCompletion) {
  const std::string source = Path("boot.asm");
  Put(source, "mov ax, 0x1234\r\n");
  const QStringList lines = AssembleFile(kNasm, source);
  EXPECT_EQ(lines, (QStringList{QStringLiteral("编译完成："),
                                QString::fromStdString(source + " --> " + Path("boot.bin"))}));
  EXPECT_EQ(Get(Path("boot.bin")), "\xB8\x34\x12");
  EXPECT_NE(Get(Path("boot.lst")).find("B83412"), std::string::npos);
  EXPECT_FALSE(Exists(Path("boot.log")));
}

TEST_F(NasmTest, ErrorsShowNasmsMessagesAndTheLogIsRemoved) {
  const std::string source = Path("bad.asm");
  Put(source, "mov ax, 1\nfoo bar\n");
  const QStringList lines = AssembleFile(kNasm, source);
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines[0].contains(QStringLiteral("bad.asm:2:"))) << lines[0].toStdString();
  EXPECT_TRUE(lines[0].contains(QStringLiteral("error"))) << lines[0].toStdString();
  EXPECT_FALSE(lines.contains(QStringLiteral("编译完成：")));
  EXPECT_FALSE(Exists(Path("bad.log")));
}

TEST_F(NasmTest, HostileFileNamesAreAssembledAsFilesAndRunNothing) {
  Put(Path("a b;touch x.asm"), "db 1\n");
  EXPECT_EQ(AssembleFile(kNasm, Path("a b;touch x.asm")).value(0), QStringLiteral("编译完成："));
  EXPECT_EQ(Get(Path("a b;touch x.bin")), "\x01");
  EXPECT_FALSE(Exists(Path("x.asm")));
  EXPECT_FALSE(Exists(Path("x")));

  Put(Path("$(touch y).asm"), "db 2\n");
  AssembleFile(kNasm, Path("$(touch y).asm"));
  EXPECT_EQ(Get(Path("$(touch y).bin")), "\x02");
  EXPECT_FALSE(Exists(Path("y")));

  // -v would print NASM's version, @x would read x as more arguments.
  Put(Path("-v.asm"), "db 3\n");
  EXPECT_EQ(AssembleFile(kNasm, Path("-v.asm")).value(0), QStringLiteral("编译完成："));
  EXPECT_EQ(Get(Path("-v.bin")), "\x03");
  Put(Path("@x.asm"), "db 4\n");
  EXPECT_EQ(AssembleFile(kNasm, Path("@x.asm")).value(0), QStringLiteral("编译完成："));
  EXPECT_EQ(Get(Path("@x.bin")), "\x04");
}

TEST_F(NasmTest, NoExtensionAndSeveralDots) {
  Put(Path("boot"), "db 5\n");
  AssembleFile(kNasm, Path("boot"));
  EXPECT_EQ(Get(Path(".bin")), "\x05");
  EXPECT_TRUE(Exists(Path(".lst")));
  EXPECT_FALSE(Exists(Path(".log")));
  Put(Path("a.b.asm"), "db 6\n");
  AssembleFile(kNasm, Path("a.b.asm"));
  EXPECT_EQ(Get(Path("a.b.bin")), "\x06");
}

TEST_F(NasmTest, AssemblerThatCannotRunReportsTheMissingLog) {
  const std::string source = Path("boot.asm");
  Put(source, "db 1\n");
  for (const std::string& assembler :
       {std::string(), Path("missing-nasm"), Path("boot.asm") /* not executable */}) {
    try {
      AssembleFile(assembler, source);
      ADD_FAILURE() << "no error for '" << assembler << "'";
    } catch (const ESrcError& e) {
      EXPECT_EQ(std::string(e.what()),
                "Cannot open file \"" + Path("boot.log") + "\". No such file or directory");
    }
  }
  EXPECT_FALSE(Exists(Path("boot.bin")));
}

TEST_F(NasmTest, LegacyCodePageLogIsDecoded) {
  // A stand-in assembler that writes a GBK message into the -Z file.
  const std::string fake = Path("fake-nasm");
  Put(fake,
      "#!/bin/sh\nfor a; do case \"$a\" in -Z*) printf '\\264\\355\\316\\363\\r\\n' > "
      "\"${a#-Z}\";; "
      "esac; done\n");
  ASSERT_EQ(chmod(fake.c_str(), 0755), 0);
  ScopedCodePage gbk("GBK");
  Put(Path("boot.asm"), "");
  EXPECT_EQ(AssembleFile(fake, Path("boot.asm")), QStringList{QStringLiteral("错误")});
}

}  // namespace
}  // namespace torvane
