// QProcess-based runner: a blocking start and an unbounded wait on the
// calling thread, which is what assembling wants.
#include "platform/process_runner.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

namespace torvane {

TProcessOutcome RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& working_directory) {
  TProcessOutcome outcome;
  if (program.empty()) {
    outcome.error = "No program given";
    return outcome;
  }
  QStringList args;
  args.reserve(static_cast<qsizetype>(arguments.size()));
  for (const std::string& a : arguments) {
    args << QFile::decodeName(QByteArray::fromStdString(a));
  }
  QProcess process;
  process.setProgram(QFile::decodeName(QByteArray::fromStdString(program)));
  process.setArguments(args);
  if (!working_directory.empty()) {
    process.setWorkingDirectory(QFile::decodeName(QByteArray::fromStdString(working_directory)));
  }
  process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  process.start(QIODevice::ReadOnly);
  if (!process.waitForStarted(-1)) {
    outcome.error = process.errorString().toStdString();
    return outcome;
  }
  outcome.started = true;
  process.waitForFinished(-1);
  if (process.exitStatus() == QProcess::NormalExit) {
    outcome.exit_code = process.exitCode();
  } else {
    outcome.error = process.errorString().toStdString();
  }
  return outcome;
}

}  // namespace torvane
