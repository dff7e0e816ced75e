// The program's one setting, the assembler path, in "torvane.ini" in the
// directory that was current at start-up.
#pragma once

#include <string>

namespace torvane {

// The window title of an unnamed document and the first half of a named one.
inline constexpr char DefaultTitle[] = "Torvane-2011-11";

inline constexpr char kSettingsFileName[] = "torvane.ini";
inline constexpr char kOptionsSection[] = "Options";
inline constexpr char kAssemblerKey[] = "Complier";

// The current directory when the main window was created (no trailing '/'
// except for the root). Set by the main window's start-up, read by the
// settings dialog.
extern std::string SettingsDirectory;

// The current directory as the start-up step records it.
std::string CurrentDirectory();
// <directory>/torvane.ini
std::string SettingsFilePath(const std::string& directory);
// Options/Complier of that directory's settings file; empty when the file,
// the section or the key is missing. Reading creates nothing.
std::string ReadAssemblerPath(const std::string& directory);

}  // namespace torvane
