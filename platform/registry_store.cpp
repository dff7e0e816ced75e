// The registry stand-in: parsing and writing its file, and the key cursor.
//
// File layout, one section per key and one line per value:
//   [HKEY_CURRENT_USER\Software\Torvane\Comment]
//   "Background"=dword:1fffffff
//   "Foreground Color New"="clRed"
// Strings escape backslash, quote, CR and LF with a backslash.
#include "platform/registry_store.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/file_access.h"

namespace torvane {

namespace {

constexpr const char* kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                      "HKEY_LOCAL_MACHINE", "HKEY_USERS", "HKEY_CURRENT_CONFIG"};

char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) {
      return false;
    }
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

// Reads a quoted string at the start of s; returns the rest after the
// closing quote, or nothing when the text is not a well-formed string.
std::optional<std::string_view> Unquote(std::string_view s, std::string* out) {
  if (s.empty() || s.front() != '"') {
    return std::nullopt;
  }
  out->clear();
  for (std::size_t i = 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      return s.substr(i + 1);
    }
    if (c == '\\' && i + 1 < s.size()) {
      const char e = s[++i];
      *out += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
    } else {
      *out += c;
    }
  }
  return std::nullopt;
}

std::unique_ptr<TRegistryStore>& DefaultStore() {
  static std::unique_ptr<TRegistryStore> store;
  return store;
}

std::string DefaultFileName() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path dir;
  if (config != nullptr && *config != '\0') {
    dir = config;
  } else {
    const char* home = std::getenv("HOME");
    dir = std::filesystem::path(home != nullptr ? home : ".") / ".config";
  }
  return (dir / "torvane" / "registry.ini").string();
}

}  // namespace

bool TRegistryStore::LessIgnoringCase::operator()(const std::string& a,
                                                  const std::string& b) const {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = UpperAscii(a[i]);
    const char y = UpperAscii(b[i]);
    if (x != y) {
      return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
  }
  return a.size() < b.size();
}

TRegistryStore::TRegistryStore(std::string file_name) : file_name_(std::move(file_name)) {
  Reload();
}

TRegistryStore& TRegistryStore::Default() {
  std::unique_ptr<TRegistryStore>& store = DefaultStore();
  if (!store) {
    store = std::make_unique<TRegistryStore>(DefaultFileName());
  }
  return *store;
}

void TRegistryStore::SetDefaultFileName(std::string file_name) {
  DefaultStore() = std::make_unique<TRegistryStore>(std::move(file_name));
}

void TRegistryStore::Reload() {
  keys_.clear();
  std::string bytes;
  if (ReadFileBytes(file_name_, &bytes)) {
    Parse(bytes);
  }
}

const char* TRegistryStore::RootName(TRegistryRoot root) {
  return kRootNames[static_cast<int>(root)];
}

std::string TRegistryStore::NormalizePath(std::string_view path) {
  std::string out;
  std::size_t i = 0;
  while (i < path.size()) {
    const std::size_t end = std::min(path.find('\\', i), path.size());
    if (end > i) {
      if (!out.empty()) {
        out += '\\';
      }
      out.append(path.substr(i, end - i));
    }
    i = end + 1;
  }
  return out;
}

std::string TRegistryStore::FullName(TRegistryRoot root, std::string_view path) {
  const std::string normal = NormalizePath(path);
  return normal.empty() ? std::string(RootName(root)) : std::string(RootName(root)) + "\\" + normal;
}

bool TRegistryStore::KeyExists(TRegistryRoot root, std::string_view path) const {
  return NormalizePath(path).empty() || keys_.count(FullName(root, path)) > 0;
}

bool TRegistryStore::CreateKey(TRegistryRoot root, std::string_view path) {
  const std::string normal = NormalizePath(path);
  if (normal.empty()) {
    return true;  // the root always exists
  }
  const auto saved = keys_;
  bool added = false;
  for (std::size_t end = 0; end != std::string::npos;) {
    end = normal.find('\\', end + 1);
    const std::string name = FullName(root, std::string_view(normal).substr(0, end));
    if (keys_.count(name) == 0) {
      keys_[name].Name = name;
      added = true;
    }
  }
  if (!added) {
    return true;
  }
  if (!Save(nullptr)) {
    keys_ = saved;
    return false;
  }
  return true;
}

const TRegistryStore::Value* TRegistryStore::FindValue(TRegistryRoot root, std::string_view path,
                                                       std::string_view name) const {
  const auto key = keys_.find(FullName(root, path));
  if (key == keys_.end()) {
    return nullptr;
  }
  for (const auto& [value_name, value] : key->second.Values) {
    if (SameName(value_name, name)) {
      return &value;
    }
  }
  return nullptr;
}

void TRegistryStore::SetValue(TRegistryRoot root, std::string_view path, std::string_view name,
                              Value value) {
  const std::string full = FullName(root, path);
  Key& key = keys_[full];
  if (key.Name.empty()) {
    key.Name = full;
  }
  const Key saved = key;
  bool replaced = false;
  for (auto& [value_name, existing] : key.Values) {
    if (SameName(value_name, name)) {
      existing = value;
      replaced = true;
      break;
    }
  }
  if (!replaced) {
    key.Values.emplace_back(std::string(name), std::move(value));
  }
  std::string reason;
  if (!Save(&reason)) {
    key = saved;
    throw ERegistryError(FormatMessage("Unable to write to %s", file_name_.c_str()));
  }
}

std::string TRegistryStore::Serialize() const {
  std::string out;
  for (const auto& [full, key] : keys_) {
    out += "[" + key.Name + "]\n";
    for (const auto& [name, value] : key.Values) {
      out += name.empty() ? std::string("@") : Quote(name);
      out += '=';
      if (value.Type == TRegDataType::rdInteger) {
        char hex[9];
        const auto r = std::to_chars(hex, hex + 8, value.Integer, 16);
        out += "dword:" + std::string(8 - static_cast<std::size_t>(r.ptr - hex), '0') +
               std::string(hex, r.ptr);
      } else {
        out += Quote(value.Text);
      }
      out += '\n';
    }
    out += '\n';
  }
  return out;
}

bool TRegistryStore::Save(std::string* reason) const {
  std::error_code error;
  const std::filesystem::path parent = std::filesystem::path(file_name_).parent_path();
  if (!parent.empty()) {
    std::filesystem::create_directories(parent, error);
  }
  return WriteFileSafely(file_name_, Serialize(), reason);
}

void TRegistryStore::Parse(std::string_view text) {
  Key* current = nullptr;
  while (!text.empty()) {
    const std::size_t eol = std::min(text.find('\n'), text.size());
    const std::string_view line = TrimBlanks(text.substr(0, eol));
    text.remove_prefix(std::min(eol + 1, text.size()));
    if (line.empty() || line.front() == ';') {
      continue;
    }
    if (line.front() == '[' && line.back() == ']') {
      // Only keys under a known root are kept.
      const std::string_view name = line.substr(1, line.size() - 2);
      const std::string_view root = name.substr(0, name.find('\\'));
      current = nullptr;
      for (int r = 0; r < 5; ++r) {
        if (SameName(root, kRootNames[r])) {
          const std::string full = FullName(static_cast<TRegistryRoot>(r),
                                            name.substr(std::min(root.size() + 1, name.size())));
          current = &keys_[full];
          current->Name = full;
        }
      }
      continue;
    }
    if (current == nullptr) {
      continue;
    }
    std::string name;
    std::string_view rest;
    if (line.front() == '@') {
      rest = line.substr(1);
    } else if (auto after = Unquote(line, &name)) {
      rest = *after;
    } else {
      continue;
    }
    rest = TrimBlanks(rest);
    if (rest.empty() || rest.front() != '=') {
      continue;
    }
    rest = TrimBlanks(rest.substr(1));
    Value value;
    if (rest.substr(0, 6) == "dword:") {
      const std::string_view digits = rest.substr(6);
      const auto r =
          std::from_chars(digits.data(), digits.data() + digits.size(), value.Integer, 16);
      if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) {
        continue;
      }
      value.Type = TRegDataType::rdInteger;
    } else if (Unquote(rest, &value.Text)) {
      value.Type = TRegDataType::rdString;
    } else {
      continue;
    }
    current->Values.emplace_back(std::move(name), std::move(value));
  }
}

TRegistry::TRegistry(TRegistryRoot root, TRegistryStore& store) : store_(store), root_(root) {
  store_.Reload();
}

std::string TRegistry::Resolve(std::string_view path) const {
  if (!path.empty() && path.front() == '\\') {
    return TRegistryStore::NormalizePath(path);
  }
  const std::string relative = TRegistryStore::NormalizePath(path);
  if (!open_ || current_path_.empty()) {
    return relative;
  }
  return relative.empty() ? current_path_ : current_path_ + "\\" + relative;
}

bool TRegistry::OpenKey(std::string_view path, bool can_create) {
  const std::string full = Resolve(path);
  if (!store_.KeyExists(root_, full) && !(can_create && store_.CreateKey(root_, full))) {
    return false;
  }
  current_path_ = full;
  open_ = true;
  read_only_ = false;
  return true;
}

bool TRegistry::OpenKeyReadOnly(std::string_view path) {
  const std::string full = Resolve(path);
  if (!store_.KeyExists(root_, full)) {
    return false;
  }
  current_path_ = full;
  open_ = true;
  read_only_ = true;
  return true;
}

void TRegistry::CloseKey() {
  current_path_.clear();
  open_ = false;
  read_only_ = false;
}

bool TRegistry::KeyExists(std::string_view path) const {
  return store_.KeyExists(root_, Resolve(path));
}

bool TRegistry::ValueExists(std::string_view name) const {
  return open_ && store_.FindValue(root_, current_path_, name) != nullptr;
}

TRegDataType TRegistry::GetDataType(std::string_view name) const {
  const TRegistryStore::Value* value =
      open_ ? store_.FindValue(root_, current_path_, name) : nullptr;
  return value != nullptr ? value->Type : TRegDataType::rdUnknown;
}

int TRegistry::ReadInteger(std::string_view name) const {
  const TRegistryStore::Value* value =
      open_ ? store_.FindValue(root_, current_path_, name) : nullptr;
  if (value == nullptr || value->Type != TRegDataType::rdInteger) {
    throw ERegistryError(
        FormatMessage("Registry value \"%s\" is not an integer", std::string(name).c_str()));
  }
  return static_cast<int>(value->Integer);
}

std::string TRegistry::ReadString(std::string_view name) const {
  const TRegistryStore::Value* value =
      open_ ? store_.FindValue(root_, current_path_, name) : nullptr;
  if (value == nullptr || value->Type != TRegDataType::rdString) {
    throw ERegistryError(
        FormatMessage("Registry value \"%s\" is not a string", std::string(name).c_str()));
  }
  return value->Text;
}

void TRegistry::CheckWritable(std::string_view name) const {
  if (!open_ || read_only_) {
    throw ERegistryError(
        FormatMessage("Registry value \"%s\" cannot be written here", std::string(name).c_str()));
  }
}

void TRegistry::WriteInteger(std::string_view name, int value) {
  CheckWritable(name);
  TRegistryStore::Value v;
  v.Type = TRegDataType::rdInteger;
  v.Integer = static_cast<std::uint32_t>(value);
  store_.SetValue(root_, current_path_, name, std::move(v));
}

void TRegistry::WriteString(std::string_view name, std::string_view value) {
  CheckWritable(name);
  TRegistryStore::Value v;
  v.Type = TRegDataType::rdString;
  v.Text = std::string(value);
  store_.SetValue(root_, current_path_, name, std::move(v));
}

}  // namespace torvane
