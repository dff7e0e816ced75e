// The process runner: arguments arrive one by one whatever they contain, the
// working directory and environment are passed on, nothing runs through a shell.
#include "platform/process_runner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/file_access.h"

namespace torvane {
namespace {

class ProcessRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A program that records its working directory, one argument per line
    // and one environment variable.
    script_ = dir_.path().toStdString() + "/record";
    ASSERT_TRUE(WriteFileSafely(script_,
                                "#!/bin/sh\npwd > record.txt\nprintf '%s\\n' \"$@\" >> record.txt\n"
                                "echo \"$TORVANE_PROBE\" >> record.txt\nexit 3\n"));
    ASSERT_EQ(chmod(script_.c_str(), 0755), 0);
  }
  std::string Record() {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(dir_.path().toStdString() + "/record.txt", &bytes));
    return bytes;
  }
  QTemporaryDir dir_;
  std::string script_;
};

TEST_F(ProcessRunnerTest, ArgumentsReachTheProgramUnchanged) {
  setenv("TORVANE_PROBE", "inherited", 1);
  const std::string dir = dir_.path().toStdString();
  const TProcessOutcome outcome =
      RunProcess(script_, {"-fbin", "a b;touch x.asm", "$(touch y)", "'q\"", ""}, dir);
  unsetenv("TORVANE_PROBE");
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exit_code, 3);
  EXPECT_EQ(Record(), dir + "\n-fbin\na b;touch x.asm\n$(touch y)\n'q\"\n\ninherited\n");
  EXPECT_FALSE(QFile::exists(dir_.filePath("x.asm")));
  EXPECT_FALSE(QFile::exists(dir_.filePath("y")));
}

TEST_F(ProcessRunnerTest, ProgramsThatCannotStartAreReported) {
  const std::string dir = dir_.path().toStdString();
  EXPECT_FALSE(RunProcess("", {"-fbin"}, dir).started);
  EXPECT_FALSE(RunProcess(dir + "/missing", {}, dir).started);
  const std::string plain = dir + "/not-executable";
  ASSERT_TRUE(WriteFileSafely(plain, "#!/bin/sh\n"));
  const TProcessOutcome outcome = RunProcess(plain, {}, dir);
  EXPECT_FALSE(outcome.started);
  EXPECT_FALSE(outcome.error.empty());
  EXPECT_FALSE(RunProcess(script_, {}, dir + "/no-such-dir").started);
}

TEST_F(ProcessRunnerTest, ProgramWithoutSlashIsSearchedInPath) {
  const TProcessOutcome outcome = RunProcess("true", {}, dir_.path().toStdString());
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exit_code, 0);
}

}  // namespace
}  // namespace torvane
