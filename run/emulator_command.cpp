// Argument lists for QEMU and DOSBox, and the texts around a run.
#include "run/emulator_command.h"

#include <sys/stat.h>
#include <unistd.h>

namespace torvane {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// QEMU's option syntax ends a value at a comma; a doubled comma is one.
std::string QemuOptionValue(const std::string& value) {
  std::string escaped;
  for (const char c : value) {
    escaped += c;
    if (c == ',') {
      escaped += ',';
    }
  }
  return escaped;
}

}  // namespace

std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> arguments;
  std::string current;
  bool in_argument = false;
  char quote = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else if (c == '\\' && quote == '"' && i + 1 < text.size() &&
                 (text[i + 1] == '"' || text[i + 1] == '\\')) {
        current += text[++i];
      } else {
        current += c;
      }
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (in_argument) {
        arguments.push_back(current);
        current.clear();
        in_argument = false;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
      in_argument = true;
    } else if (c == '\\' && i + 1 < text.size()) {
      current += text[++i];
      in_argument = true;
    } else {
      current += c;
      in_argument = true;
    }
  }
  if (in_argument) {
    arguments.push_back(current);
  }
  return arguments;
}

std::string FindProgram(const std::string& program, const std::string& path_variable) {
  if (program.empty()) {
    return {};
  }
  if (program.find('/') != std::string::npos) {
    return IsExecutableFile(program) ? program : std::string();
  }
  std::size_t start = 0;
  while (start <= path_variable.size()) {
    std::size_t end = path_variable.find(':', start);
    if (end == std::string::npos) {
      end = path_variable.size();
    }
    std::string directory = path_variable.substr(start, end - start);
    if (directory.empty()) {
      directory = ".";  // an empty PATH entry is the current directory
    }
    const std::string candidate = directory + "/" + program;
    if (IsExecutableFile(candidate)) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

TEmulatorCommand PlanQemuRun(const TRunSettings& settings, const std::string& image_path,
                             TDiskKind disk, const std::vector<std::string>& caller_arguments) {
  TEmulatorCommand command;
  command.Program = settings.QemuPath;
  command.PackageName = "qemu-system-x86";
  std::vector<std::string>& a = command.Arguments;
  if (!settings.ShowDisplay) {
    a.insert(a.end(), {"-display", "none"});
  }
  a.insert(
      a.end(),
      {"-m", std::to_string(settings.MemoryMb), "-no-reboot", "-nic", "none", "-monitor", "none",
       // One output for the serial port and port 0xE9, in the
       // order the program writes them.
       "-chardev", "stdio,id=torvane-out,mux=on,signal=off", "-serial", "chardev:torvane-out",
       "-device", "isa-debugcon,iobase=0xe9,chardev=torvane-out", "-device",
       "isa-debug-exit,iobase=0xf4,iosize=0x04"});
  const bool floppy = disk == dkFloppy;
  a.insert(a.end(), {"-drive",
                     "file=" + QemuOptionValue(image_path) +
                         ",format=raw,index=0,if=" + (floppy ? "floppy" : "ide"),
                     "-boot", floppy ? "order=a" : "order=c"});
  for (std::string& extra : SplitArguments(settings.QemuArguments)) {
    a.push_back(std::move(extra));
  }
  a.insert(a.end(), caller_arguments.begin(), caller_arguments.end());
  return command;
}

TEmulatorCommand PlanDosBoxRun(const TRunSettings& settings, const std::string& source_directory) {
  TEmulatorCommand command;
  command.Program = settings.DosBoxPath;
  command.PackageName = "dosbox";
  std::string directory = source_directory;
  if (directory.empty()) {
    directory = ".";
  }
  if (directory.back() != '/') {
    directory += '/';
  }
  command.WorkingDirectory = directory;
  command.OutputFile = directory + kDosOutputName;
  command.TemporaryFiles = {directory + kDosProgramName, directory + kDosOutputName,
                            directory + kDosConfigName};
  std::vector<std::string>& a = command.Arguments;
  a.insert(a.end(), {"-conf", kDosConfigName, "-noautoexec"});
  for (std::string& extra : SplitArguments(settings.DosBoxArguments)) {
    a.push_back(std::move(extra));
  }
  a.insert(a.end(), {"-c", "mount c .", "-c", "c:", "-c",
                     std::string(kDosProgramName) + " > " + kDosOutputName, "-c", "exit"});
  if (!settings.ShowDisplay) {
    command.Environment = {{"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "dummy"}};
  }
  return command;
}

std::string DosBoxConfiguration(const TRunSettings& settings) {
  const int memory = settings.MemoryMb < 1 ? 1 : (settings.MemoryMb > 63 ? 63 : settings.MemoryMb);
  return "[sdl]\nfullscreen=false\n[dosbox]\nmemsize=" + std::to_string(memory) +
         "\n[cpu]\ncycles=max\n[mixer]\nnosound=true\n[speaker]\npcspeaker=false\n"
         "[midi]\nmpu401=none\nmididevice=none\n";
}

std::string MissingEmulatorMessage(const std::string& program, const std::string& package) {
  return "找不到模拟器“" + program + "”，或它不能执行。它由 Debian 软件包 " + package +
         " 提供，可以用 sudo apt install " + package + " 安装；也可以在“运行设置…”中填写它的路径。";
}

std::string RunStartText(const std::string& binary_path, const std::string& emulator) {
  return "开始运行：" + binary_path + "（" + emulator + "）";
}

std::string RunEndText(bool stopped, bool normal_exit, int exit_code) {
  if (stopped) {
    return "运行已停止。";
  }
  if (!normal_exit) {
    return "运行结束：模拟器异常终止。";
  }
  return "运行结束，退出状态：" + std::to_string(exit_code);
}

std::vector<std::string> TOutputLines::Feed(std::string_view bytes) {
  std::vector<std::string> lines;
  for (const char c : bytes) {
    if (c == '\n') {
      if (!after_cr_) {
        lines.push_back(std::move(rest_));
        rest_.clear();
      }
      after_cr_ = false;
      continue;
    }
    after_cr_ = false;
    if (c == '\r') {
      lines.push_back(std::move(rest_));
      rest_.clear();
      after_cr_ = true;
    } else if (c == '\t' || static_cast<unsigned char>(c) >= 0x20) {
      if (c != 0x7f) {
        rest_ += c;
      }
    }
  }
  return lines;
}

std::string TOutputLines::TakeRest() {
  std::string rest = std::move(rest_);
  rest_.clear();
  return rest;
}

}  // namespace torvane
