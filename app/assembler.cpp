// Building NASM's argument list and reading its log back. The argument list
// goes to the process runner as it is: no shell sees it, so blanks and shell
// characters in file names are harmless.
#include "app/assembler.h"

#include <QFile>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/file_access.h"
#include "platform/process_runner.h"

namespace torvane {

bool SplitDirectory(const std::string& path, std::string& directory, std::string& file_name) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return false;
  }
  directory = path.substr(0, slash + 1);
  file_name = path.substr(slash + 1);
  return true;
}

bool SplitExtension(const std::string& name, std::string& base_name, std::string& extension) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) {
    return false;
  }
  base_name = name.substr(0, dot);
  extension = name.substr(dot + 1);
  return true;
}

TAssemblerRun PlanAssemblerRun(const std::string& assembler_path, const std::string& source_path) {
  std::string directory;
  std::string file_name;
  std::string base_name;
  std::string extension;
  SplitDirectory(source_path, directory, file_name);
  SplitExtension(file_name, base_name, extension);

  TAssemblerRun run;
  run.program = assembler_path;
  std::string source_argument = file_name;
  if (!file_name.empty() && (file_name.front() == '-' || file_name.front() == '@')) {
    source_argument = "./" + file_name;
  }
  run.arguments = {"-fbin", source_argument, "-l" + base_name + ".lst", "-o" + base_name + ".bin",
                   "-Z" + base_name + ".log"};
  run.working_directory = directory;
  run.log_path = directory + base_name + ".log";
  run.binary_path = directory + base_name + ".bin";
  return run;
}

QStringList LogLines(const std::string& log_bytes) {
  const QString text = DecodeText(log_bytes);
  QStringList lines;
  qsizetype start = 0;
  qsizetype i = 0;
  while (i < text.size()) {
    const QChar c = text[i];
    if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
      ++i;
      continue;
    }
    lines << text.mid(start, i - start);
    i +=
        (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ? 2 : 1;
    start = i;
  }
  if (start < text.size()) {
    lines << text.mid(start);
  }
  return lines;
}

QStringList AssembleFile(const std::string& assembler_path, const std::string& source_path) {
  const TAssemblerRun run = PlanAssemblerRun(assembler_path, source_path);
  // Whether it started or not shows in the log: a run that never started
  // leaves none, and that is reported below.
  RunProcess(run.program, run.arguments, run.working_directory);

  std::string bytes;
  std::string reason;
  if (!ReadFileBytes(run.log_path, &bytes, &reason)) {
    throw ESrcError(
        FormatMessage("Cannot open file \"%s\". %s", run.log_path.c_str(), reason.c_str()));
  }
  QStringList lines = LogLines(bytes);
  if (lines.isEmpty()) {
    lines << QStringLiteral("编译完成：")
          << QStringLiteral("%1 --> %2")
                 .arg(QFile::decodeName(QByteArray::fromStdString(source_path)),
                      QFile::decodeName(QByteArray::fromStdString(run.binary_path)));
  }
  RemoveFile(run.log_path);  // a log that cannot be removed is no reason to fail
  return lines;
}

}  // namespace torvane
