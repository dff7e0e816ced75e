// QProcess-based runner: a start that is checked at once and an unbounded
// wait, either blocking or inside a local event loop.
#include "platform/process_runner.h"

#include <signal.h>
#include <unistd.h>

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStringList>

namespace torvane {

TChildProcess::TChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& working_directory) {
  if (program.empty()) {
    outcome_.error = "No program given";
    return;
  }
  QStringList args;
  args.reserve(static_cast<qsizetype>(arguments.size()));
  for (const std::string& a : arguments) {
    args << QFile::decodeName(QByteArray::fromStdString(a));
  }
  process_ = std::make_unique<QProcess>();
  process_->setProgram(QFile::decodeName(QByteArray::fromStdString(program)));
  process_->setArguments(args);
  if (!working_directory.empty()) {
    process_->setWorkingDirectory(QFile::decodeName(QByteArray::fromStdString(working_directory)));
  }
  process_->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
  process_->setStandardInputFile(QProcess::nullDevice());
  process_->setStandardOutputFile(QProcess::nullDevice());
  process_->setStandardErrorFile(QProcess::nullDevice());
  // Runs in the child between fork and exec; setpgid is safe there.
  process_->setChildProcessModifier([] { ::setpgid(0, 0); });
  process_->start(QIODevice::ReadOnly);
  if (!process_->waitForStarted(-1)) {
    outcome_.error = process_->errorString().toStdString();
    return;
  }
  outcome_.started = true;
}

TChildProcess::~TChildProcess() {
  if (process_ && process_->state() != QProcess::NotRunning) {
    Cancel();
    process_->waitForFinished(-1);
  }
}

TProcessOutcome TChildProcess::Wait(bool handle_events) {
  if (!outcome_.started) {
    return outcome_;
  }
  if (process_->state() != QProcess::NotRunning) {
    if (handle_events) {
      QEventLoop loop;
      QObject::connect(process_.get(), &QProcess::finished, &loop, &QEventLoop::quit);
      // Cancel kills the program; its end then quits the loop.
      loop.exec();
    }
    process_->waitForFinished(-1);
  }
  if (!outcome_.cancelled && process_->exitStatus() == QProcess::NormalExit) {
    outcome_.exit_code = process_->exitCode();
  } else if (!outcome_.cancelled) {
    outcome_.error = process_->errorString().toStdString();
  }
  return outcome_;
}

void TChildProcess::Cancel() {
  if (!process_ || process_->state() == QProcess::NotRunning) {
    return;
  }
  outcome_.cancelled = true;
  const qint64 pid = process_->processId();
  if (pid > 0) {
    ::kill(-static_cast<pid_t>(pid), SIGKILL);
  }
  process_->kill();
}

TProcessOutcome RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& working_directory) {
  TChildProcess child(program, arguments, working_directory);
  return child.Wait(false);
}

}  // namespace torvane
