// A hierarchical key/value store standing in for the system registry: root
// keys, backslash-separated key paths, and integer and string values, kept in
// one ini-style file (by default $XDG_CONFIG_HOME/torvane/registry.ini).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace torvane {

// A value that is missing or of the wrong type, a write to a key that is not
// open for writing, or a file that cannot be written.
class ERegistryError : public ESrcError {
 public:
  using ESrcError::ESrcError;
};

enum class TRegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

enum class TRegDataType { rdUnknown, rdString, rdInteger };

// The contents of one store file. Key paths and value names compare without
// regard to ASCII case, as the system's registry does.
class TRegistryStore {
 public:
  struct Value {
    TRegDataType Type = TRegDataType::rdUnknown;
    std::uint32_t Integer = 0;  // rdInteger
    std::string Text;           // rdString
  };

  explicit TRegistryStore(std::string file_name);

  // The process-wide store on $XDG_CONFIG_HOME (or ~/.config).
  static TRegistryStore& Default();
  // Points the process-wide store at another file (tests); no TRegistry on
  // the old default store may be alive then.
  static void SetDefaultFileName(std::string file_name);

  const std::string& FileName() const { return file_name_; }
  // Re-reads the file; a missing or unreadable file gives an empty store.
  void Reload();

  // Full key names: the root's name, a backslash and the path ("" = the root).
  bool KeyExists(TRegistryRoot root, std::string_view path) const;
  // Creates the key and its parents and writes the file; false when the file
  // cannot be written (the store is then as it was).
  bool CreateKey(TRegistryRoot root, std::string_view path);
  const Value* FindValue(TRegistryRoot root, std::string_view path, std::string_view name) const;
  // Stores a value in an existing key and writes the file; raises
  // ERegistryError "Unable to write to %s" when the file cannot be written.
  void SetValue(TRegistryRoot root, std::string_view path, std::string_view name, Value value);

  // The file's text, for tests that look at the layout.
  std::string Serialize() const;

  // Normalises a key path: no empty components, no leading or trailing "\".
  static std::string NormalizePath(std::string_view path);
  static const char* RootName(TRegistryRoot root);

 private:
  struct Key {
    std::string Name;  // as first written
    std::vector<std::pair<std::string, Value>> Values;
  };
  struct LessIgnoringCase {
    bool operator()(const std::string& a, const std::string& b) const;
  };

  static std::string FullName(TRegistryRoot root, std::string_view path);
  void Parse(std::string_view text);
  bool Save(std::string* reason) const;

  std::string file_name_;
  std::map<std::string, Key, LessIgnoringCase> keys_;  // by full name
};

// A cursor on the store: a root key and an open current key, as the
// registry's access object works.
class TRegistry {
 public:
  explicit TRegistry(TRegistryRoot root = TRegistryRoot::CurrentUser,
                     TRegistryStore& store = TRegistryStore::Default());

  TRegistryRoot RootKey() const { return root_; }
  // A path starting with "\" is absolute; any other is relative to the
  // current key. OpenKey creates missing keys when asked to.
  bool OpenKey(std::string_view path, bool can_create);
  bool OpenKeyReadOnly(std::string_view path);
  void CloseKey();
  // The current key's path below the root, without a leading "\".
  const std::string& CurrentPath() const { return current_path_; }
  bool HasCurrentKey() const { return open_; }

  bool KeyExists(std::string_view path) const;
  bool ValueExists(std::string_view name) const;
  TRegDataType GetDataType(std::string_view name) const;
  // Raise ERegistryError when the value is missing or of another type.
  int ReadInteger(std::string_view name) const;
  std::string ReadString(std::string_view name) const;
  // Raise ERegistryError when no key is open for writing or the file cannot
  // be written. Integers are stored as 32-bit words.
  void WriteInteger(std::string_view name, int value);
  void WriteString(std::string_view name, std::string_view value);

 private:
  std::string Resolve(std::string_view path) const;
  void CheckWritable(std::string_view name) const;

  TRegistryStore& store_;
  TRegistryRoot root_;
  std::string current_path_;
  bool open_ = false;
  bool read_only_ = false;
};

}  // namespace torvane
