// The process runner: arguments arrive one by one whatever they contain, the
// working directory and environment are passed on, nothing runs through a shell.
#include "platform/process_runner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>

#include "platform/file_access.h"
#include "tests/support/process_state.h"

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

TEST_F(ProcessRunnerTest, CancelEndsTheProgramAndWhatItStartedWhileEventsFlow) {
  const std::string dir = dir_.path().toStdString();
  const std::string script = dir + "/forever";
  ASSERT_TRUE(WriteFileSafely(script, "#!/bin/sh\nsleep 1000 &\necho $! > child.pid\nwait\n"));
  ASSERT_EQ(chmod(script.c_str(), 0755), 0);
  TChildProcess child(script, {}, dir);
  ASSERT_TRUE(child.Started());
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    ++ticks;  // the caller's events are handled during the wait
    std::string pid;
    if ((ReadFileBytes(dir + "/child.pid", &pid) && !pid.empty()) || ticks > 1500) {
      child.Cancel();
    }
  });
  timer.start(20);
  const TProcessOutcome outcome = child.Wait(true);
  timer.stop();
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_GT(ticks, 0);
  std::string pid_text;
  ASSERT_TRUE(ReadFileBytes(dir + "/child.pid", &pid_text));
  const pid_t grandchild = std::atoi(pid_text.c_str());
  ASSERT_GT(grandchild, 0);
  for (int i = 0; i < 200 && Running(grandchild); ++i) {
    usleep(10000);
  }
  EXPECT_FALSE(Running(grandchild));
  child.Cancel();  // after the end: nothing happens
}

}  // namespace
}  // namespace torvane
