// The settings file reader/writer: defaults, and writes that change exactly
// one line while every other byte of the file stays.
#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>

#include "platform/file_access.h"
#include "tests/support/small_filesystem.h"

namespace torvane {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir_.path().toStdString() + "/" + name; }
  void Put(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(WriteFileSafely(path, bytes));
  }
  std::string Get(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, &bytes));
    return bytes;
  }
  QTemporaryDir dir_;
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesDefaultAndCreatesNothing) {
  const std::string path = Path("torvane.ini");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("Options", "Complier", ""), "");
  EXPECT_EQ(ini.ReadString("Options", "Complier", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("Options", "Number", 7), 7);
  EXPECT_FALSE(ini.SectionExists("Options"));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));

  Put(path, "");
  EXPECT_EQ(ini.ReadString("Options", "Complier", "x"), "x");
  Put(path, "Complier=/usr/bin/nasm\n");  // no section at all
  EXPECT_EQ(ini.ReadString("Options", "Complier", ""), "");
  Put(path, "[Other]\nComplier=/usr/bin/nasm\n");
  EXPECT_EQ(ini.ReadString("Options", "Complier", ""), "");
  EXPECT_TRUE(ini.SectionExists("other"));
}

TEST_F(IniFileTest, ReadsNamesWithoutCaseAndValuesWithInnerBlanks) {
  const std::string path = Path("a.ini");
  Put(path,
      "; comment=ignored\r\n[Options]\r\n  complier = /opt/my tools/nasm  \r\n"
      "Empty=\r\n[Options]\r\nComplier=second\r\n");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("OPTIONS", "Complier", "?"), "/opt/my tools/nasm");
  EXPECT_EQ(ini.ReadString("Options", "Empty", "?"), "");
  EXPECT_TRUE(ini.ValueExists("Options", "empty"));
  EXPECT_FALSE(ini.ValueExists("Options", "comment"));
  EXPECT_EQ(ini.ReadSection("Options"), (std::vector<std::string>{"complier", "Empty"}));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Options", "Options"}));
}

TEST_F(IniFileTest, WriteReplacesOneLineAndKeepsEveryOtherByte) {
  const std::string path = Path("keep.ini");
  const std::string before =
      "; my settings\r\n[Editor]\r\nFont = Liberation Mono\r\n\r\n[Options]\r\n"
      "Complier=old value\r\nOther=1\r\n\r\n[Tail]\r\nx=y";
  Put(path, before);
  TIniFile ini(path);
  ini.WriteString("options", "COMPLIER", "/home/u/my tools/nasm");
  EXPECT_EQ(Get(path),
            "; my settings\r\n[Editor]\r\nFont = Liberation Mono\r\n\r\n[Options]\r\n"
            "COMPLIER=/home/u/my tools/nasm\r\nOther=1\r\n\r\n[Tail]\r\nx=y");
  EXPECT_EQ(ini.ReadString("Options", "Complier", ""), "/home/u/my tools/nasm");

  // A new key joins its section before the blank separator line; a new
  // section is appended with the file's own line break.
  ini.WriteString("Editor", "Size", "13");
  ini.WriteString("New", "k", "");
  EXPECT_EQ(Get(path),
            "; my settings\r\n[Editor]\r\nFont = Liberation Mono\r\nSize=13\r\n\r\n[Options]\r\n"
            "COMPLIER=/home/u/my tools/nasm\r\nOther=1\r\n\r\n[Tail]\r\nx=y\r\n[New]\r\nk=\r\n");
  ini.WriteString("Tail", "z", "w");
  EXPECT_EQ(ini.ReadString("Tail", "x", ""), "y");
  EXPECT_EQ(ini.ReadString("Tail", "z", ""), "w");
}

TEST_F(IniFileTest, FirstWriteCreatesTheFileWithAnEmptyValue) {
  const std::string path = Path("torvane.ini");
  TIniFile ini(path);
  ini.WriteString("Options", "Complier", "");
  EXPECT_EQ(Get(path), "[Options]\nComplier=\n");
  EXPECT_TRUE(ini.ValueExists("Options", "Complier"));
}

TEST_F(IniFileTest, IntegersSectionsAndErasing) {
  const std::string path = Path("attr.ini");
  TIniFile ini(path);
  ini.WriteInteger("Comment", "Foreground", -16777211);
  ini.WriteInteger("Comment", "Background", 536870911);
  ini.WriteInteger("Number", "Style", 3);
  EXPECT_EQ(ini.ReadInteger("Comment", "Foreground", 0), -16777211);
  EXPECT_EQ(ini.ReadInteger("Comment", "Background", 0), 536870911);
  ini.WriteString("Number", "Bad", "12abc");
  ini.WriteString("Number", "Hex", "$FF");
  ini.WriteString("Number", "Big", "4294967296");
  EXPECT_EQ(ini.ReadInteger("Number", "Bad", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Number", "Hex", -1), 255);
  EXPECT_EQ(ini.ReadInteger("Number", "Big", -1), -1);
  EXPECT_EQ(ini.ReadSection("Number"), (std::vector<std::string>{"Style", "Bad", "Hex", "Big"}));

  ini.DeleteKey("Number", "Bad");
  EXPECT_FALSE(ini.ValueExists("Number", "Bad"));
  ini.EraseSection("comment");
  EXPECT_FALSE(ini.SectionExists("Comment"));
  EXPECT_EQ(Get(path), "[Number]\nStyle=3\nHex=$FF\nBig=4294967296\n");
  ini.EraseSection("missing");  // nothing to do, no error
}

TEST_F(IniFileTest, FailedWriteThrowsTheFixedMessageAndLeavesTheFile) {
  const std::string sub = Path("ro");
  ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
  // As root a read-only file system makes the directory unwritable; otherwise
  // the directory's mode does.
  SmallFileSystem fs(sub, "size=64k");
  if (fs.RootWithoutMount()) {
    GTEST_SKIP() << "running as root without a way to mount a small tmpfs";
  }
  const std::string path = sub + "/torvane.ini";
  Put(path, "[Options]\nComplier=a\n");
  if (fs.mounted()) {
    ASSERT_TRUE(fs.MakeReadOnly());
  } else {
    ASSERT_EQ(chmod(sub.c_str(), 0555), 0);
  }
  TIniFile ini(path);
  try {
    ini.WriteString("Options", "Complier", "b");
    FAIL() << "no error";
  } catch (const EIniFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
  chmod(sub.c_str(), 0755);
  EXPECT_EQ(Get(path), "[Options]\nComplier=a\n");
}

TEST_F(IniFileTest, WriteIntoADirectoryThatDoesNotExistFails) {
  TIniFile ini(Path("nowhere/torvane.ini"));
  EXPECT_THROW(ini.WriteString("Options", "Complier", "x"), EIniFileError);
}

}  // namespace
}  // namespace torvane
