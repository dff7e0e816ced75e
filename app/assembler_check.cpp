// Checking the assembler path before a run.
#include "app/assembler_check.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStandardPaths>

namespace torvane {
namespace {

QString FromFileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

}  // namespace

QString AssemblerProblem(const std::string& path) {
  if (path.empty()) {
    return QStringLiteral("还没有设置编译器（NASM）的路径。");
  }
  if (path.find('/') == std::string::npos) {
    // A bare name is looked up in PATH, as the run would.
    if (QStandardPaths::findExecutable(FromFileName(path)).isEmpty()) {
      return QStringLiteral("在 PATH 中找不到编译器“%1”。").arg(FromFileName(path));
    }
    return {};
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    return QStringLiteral("编译器“%1”不存在。").arg(FromFileName(path));
  }
  if (S_ISDIR(st.st_mode) || ::access(path.c_str(), X_OK) != 0) {
    return QStringLiteral("编译器“%1”不是可以运行的程序。").arg(FromFileName(path));
  }
  return {};
}

std::string NasmOnPath() {
  return QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("nasm"))).toStdString();
}

}  // namespace torvane
