// Settings file location and the assembler path lookup.
#include "app/settings.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/ini_file.h"

namespace torvane {

std::string SettingsDirectory;

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) {
      return ".";  // the directory is gone; settings then live relative to it
    }
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

std::string SettingsFilePath(const std::string& directory) {
  if (!directory.empty() && directory.back() == '/') {
    return directory + kSettingsFileName;
  }
  return directory + "/" + kSettingsFileName;
}

std::string ReadAssemblerPath(const std::string& directory) {
  return TIniFile(SettingsFilePath(directory)).ReadString(kOptionsSection, kAssemblerKey, "");
}

}  // namespace torvane
