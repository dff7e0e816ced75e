// Reading and writing the [View] keys of the settings file.
#include "app/view_settings.h"

#include "app/settings.h"
#include "platform/ini_file.h"

namespace torvane {

TViewSettings ReadViewSettings(const std::string& directory) {
  TViewSettings settings;
  settings.StatusBar = ReadViewSwitch(directory, kStatusBarKey);
  settings.WordWrap = ReadViewSwitch(directory, kWordWrapKey);
  settings.CodeFolding = ReadViewSwitch(directory, kCodeFoldingKey);
  settings.SpecialChars = ReadViewSwitch(directory, kSpecialCharsKey);
  return settings;
}

bool ReadViewSwitch(const std::string& directory, const TViewSwitchKey& key) {
  const std::string value = ReadViewValue(directory, key.Key, "");
  if (value == "1") {
    return true;
  }
  if (value == "0") {
    return false;
  }
  return key.Default;
}

std::string ReadViewValue(const std::string& directory, std::string_view key,
                          std::string_view default_value) {
  return TIniFile(SettingsFilePath(directory)).ReadString(kViewSection, key, default_value);
}

void WriteViewSwitch(const std::string& directory, const TViewSwitchKey& key, bool on) {
  WriteViewValue(directory, key.Key, on ? "1" : "0");
}

void WriteViewValue(const std::string& directory, std::string_view key, std::string_view value) {
  TIniFile(SettingsFilePath(directory)).WriteString(kViewSection, key, value);
}

}  // namespace torvane
