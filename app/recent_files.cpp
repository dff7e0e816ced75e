// Reading and writing the [Recent] list of the settings file.
#include "app/recent_files.h"

#include <algorithm>
#include <cctype>

#include "app/settings.h"
#include "platform/ini_file.h"

namespace torvane {
namespace {

std::string KeyOf(int index) {
  return "File" + std::to_string(index + 1);
}

}  // namespace

std::vector<std::string> ReadRecentFiles(const std::string& directory) {
  const TIniFile ini(SettingsFilePath(directory));
  std::vector<std::string> files;
  for (int i = 0; i < kRecentFileCount; ++i) {
    std::string name = ini.ReadString(kRecentSection, KeyOf(i), "");
    if (!name.empty() && std::find(files.begin(), files.end(), name) == files.end()) {
      files.push_back(std::move(name));
    }
  }
  return files;
}

void WriteRecentFiles(const std::string& directory, const std::vector<std::string>& files) {
  TIniFile ini(SettingsFilePath(directory));
  const int count = std::min(static_cast<int>(files.size()), kRecentFileCount);
  for (int i = 0; i < count; ++i) {
    if (ini.ReadString(kRecentSection, KeyOf(i), "") != files[static_cast<std::size_t>(i)]) {
      ini.WriteString(kRecentSection, KeyOf(i), files[static_cast<std::size_t>(i)]);
    }
  }
  for (int i = count; i < kRecentFileCount; ++i) {
    if (ini.ValueExists(kRecentSection, KeyOf(i))) {
      ini.DeleteKey(kRecentSection, KeyOf(i));
    }
  }
}

void AddRecentFile(const std::string& directory, const std::string& file_name) {
  // The ini file takes a value up to the line's end, blanks around it cut.
  if (file_name.empty() || file_name.find_first_of("\r\n") != std::string::npos ||
      std::isspace(static_cast<unsigned char>(file_name.front())) != 0 ||
      std::isspace(static_cast<unsigned char>(file_name.back())) != 0) {
    return;
  }
  std::vector<std::string> files = ReadRecentFiles(directory);
  if (!files.empty() && files.front() == file_name) {
    return;
  }
  files.erase(std::remove(files.begin(), files.end(), file_name), files.end());
  files.insert(files.begin(), file_name);
  if (files.size() > static_cast<std::size_t>(kRecentFileCount)) {
    files.resize(kRecentFileCount);
  }
  WriteRecentFiles(directory, files);
}

void RemoveRecentFile(const std::string& directory, const std::string& file_name) {
  std::vector<std::string> files = ReadRecentFiles(directory);
  const auto end = std::remove(files.begin(), files.end(), file_name);
  if (end != files.end()) {
    files.erase(end, files.end());
    WriteRecentFiles(directory, files);
  }
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return {};
  }
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace torvane
