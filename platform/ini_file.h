// The private-profile settings file: "[section]" headers followed by
// "key=value" lines. Reads give a default for anything missing and create
// nothing; each write changes exactly one line (or adds the section) and keeps
// every other byte of the file as it was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace torvane {

// A write that did not reach the file: "Unable to write to %s".
class EIniFileError : public ESrcError {
 public:
  using ESrcError::ESrcError;
};

// Holds only the file's path: every call reads the file afresh and every
// write goes to the disk at once (through a temporary file and a rename), so
// two objects on the same file never disagree. Section and key names compare
// without regard to ASCII case; blanks around names and values are not part
// of them. Values are raw text: no quoting, no escapes.
class TIniFile {
 public:
  explicit TIniFile(std::string file_name) : file_name_(std::move(file_name)) {}

  const std::string& FileName() const { return file_name_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) const;
  // Decimal with an optional sign, or hexadecimal after "0x" or "$"; anything
  // else, or a number outside 32 bits, gives the default.
  int ReadInteger(std::string_view section, std::string_view key, int default_value) const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  // Key names of one section in file order; section names of the file.
  std::vector<std::string> ReadSection(std::string_view section) const;
  std::vector<std::string> ReadSections() const;

  // Throw EIniFileError when the file cannot be written (or, being there,
  // cannot be read, since rewriting it would lose its other entries).
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);

 private:
  std::string Load() const;
  std::string LoadForUpdate() const;
  void Store(const std::string& bytes) const;

  std::string file_name_;
};

}  // namespace torvane
