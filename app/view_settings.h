// The 查看 menu's switches as kept in torvane.ini, section [View]. Each switch
// is one key; a missing file, section or key reads as the switch's default,
// and writing one switch changes only its own line of the file.
#pragma once

#include <string>
#include <string_view>

namespace torvane {

inline constexpr char kViewSection[] = "View";

// One boolean key of [View]: stored as "1" or "0"; any other value reads as
// the default.
struct TViewSwitchKey {
  const char* Key;
  bool Default;
};

inline constexpr TViewSwitchKey kStatusBarKey{"StatusBar", false};
inline constexpr TViewSwitchKey kWordWrapKey{"WordWrap", false};
inline constexpr TViewSwitchKey kCodeFoldingKey{"CodeFolding", false};
inline constexpr TViewSwitchKey kSpecialCharsKey{"ShowSpecialChars", false};

// The switches read at start-up. A new switch adds a field here and a line
// in ReadViewSettings; a value of another kind reads its own key of [View]
// through ReadViewValue.
struct TViewSettings {
  bool StatusBar = kStatusBarKey.Default;
  bool WordWrap = kWordWrapKey.Default;
  bool CodeFolding = kCodeFoldingKey.Default;
  bool SpecialChars = kSpecialCharsKey.Default;
};

TViewSettings ReadViewSettings(const std::string& directory);
bool ReadViewSwitch(const std::string& directory, const TViewSwitchKey& key);
std::string ReadViewValue(const std::string& directory, std::string_view key,
                          std::string_view default_value);
// Throw EIniFileError when the file cannot be written.
void WriteViewSwitch(const std::string& directory, const TViewSwitchKey& key, bool on);
void WriteViewValue(const std::string& directory, std::string_view key, std::string_view value);

}  // namespace torvane
