// The File menu's recently opened files, kept in torvane.ini [Recent] as
// File1 (the newest) to File10. Writing touches only that section's keys.
#pragma once

#include <string>
#include <vector>

namespace torvane {

inline constexpr char kRecentSection[] = "Recent";
inline constexpr int kRecentFileCount = 10;

// The list, newest first; empty and repeated entries are skipped.
std::vector<std::string> ReadRecentFiles(const std::string& directory);
// Puts file_name first (once) and keeps the newest ten. A name with a line
// break or blanks at either end cannot be an ini value and is not kept. Writes only when the list
// changes; throws EIniFileError when the file cannot be written.
void AddRecentFile(const std::string& directory, const std::string& file_name);
void RemoveRecentFile(const std::string& directory, const std::string& file_name);
// Stores the list as File1.. and deletes the keys beyond it.
void WriteRecentFiles(const std::string& directory, const std::vector<std::string>& files);

// The folder of a path (no trailing '/' except for the root); empty without one.
std::string FolderOf(const std::string& path);

}  // namespace torvane
