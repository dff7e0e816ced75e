// Building NASM's argument list and reading its log back. The argument list
// goes to the process runner as it is: no shell sees it, so blanks and shell
// characters in file names are harmless.
#include "app/assembler.h"

#include <QFile>
#include <cerrno>
#include <cstring>

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
  run.listing_path = directory + base_name + ".lst";
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

std::string ProductThatIsTheSource(const TAssemblerRun& run, const std::string& source_path) {
  const TFileStamp source = StampOf(source_path);
  for (const std::string* product : {&run.listing_path, &run.binary_path, &run.log_path}) {
    if (*product == source_path) {
      return *product;
    }
    // A link (symbolic or hard) to the source is the source as well.
    const TFileStamp stamp = StampOf(*product);
    if (source.exists && stamp.exists && stamp.device == source.device &&
        stamp.inode == source.inode) {
      return *product;
    }
  }
  return {};
}

QString CancelledRunText() {
  return QStringLiteral("编译已取消。");
}

namespace {

QString FromFileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

[[noreturn]] void ThrowLogOpenError(const std::string& log_path, const std::string& reason) {
  throw ESrcError(FormatMessage("Cannot open file \"%s\". %s", log_path.c_str(), reason.c_str()));
}

}  // namespace

QStringList AssembleFile(const std::string& assembler_path, const std::string& source_path,
                         const std::function<void(TChildProcess&)>& while_running) {
  const TAssemblerRun run = PlanAssemblerRun(assembler_path, source_path);
  const std::string clash = ProductThatIsTheSource(run, source_path);
  if (!clash.empty()) {
    throw ESrcError(
        QStringLiteral("没有编译：编译器要生成的文件“%1”就是源程序文件本身，"
                       "编译会覆盖或删除它。请把源程序另存为扩展名为 .asm 的文件后再编译。")
            .arg(FromFileName(clash))
            .toStdString());
  }
  // A log already there belongs to an earlier run (or to the user): it is
  // this run's only if the assembler has written it by the time it ends.
  const TFileStamp old_log = StampOf(run.log_path);
  auto written_by_this_run = [&] {
    const TFileStamp log = StampOf(run.log_path);
    return log.exists && !(log == old_log);
  };
  TChildProcess child(run.program, run.arguments, run.working_directory);
  if (!child.Started()) {
    ThrowLogOpenError(run.log_path, std::strerror(ENOENT));
  }
  if (while_running) {
    while_running(child);
  }
  const TProcessOutcome outcome = child.Wait(static_cast<bool>(while_running));
  if (outcome.cancelled) {
    if (written_by_this_run()) {
      RemoveFile(run.log_path);  // half a log says nothing
    }
    return {CancelledRunText()};
  }
  if (!written_by_this_run()) {
    ThrowLogOpenError(run.log_path, std::strerror(ENOENT));
  }

  std::string bytes;
  std::string reason;
  if (!ReadFileBytes(run.log_path, &bytes, &reason)) {
    ThrowLogOpenError(run.log_path, reason);
  }
  QStringList lines = LogLines(bytes);
  if (lines.isEmpty()) {
    lines << QStringLiteral("编译完成：")
          << QStringLiteral("%1 --> %2")
                 .arg(FromFileName(source_path), FromFileName(run.binary_path));
  }
  RemoveFile(run.log_path);  // a log that cannot be removed is no reason to fail
  return lines;
}

}  // namespace torvane
