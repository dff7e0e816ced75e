// The difference lists of a key table and their ini form.
#include "editor/key_strokes_store.h"

#include <charconv>
#include <string>
#include <string_view>

#include "platform/ini_file.h"

namespace torvane {

namespace {

constexpr std::string_view kAddedSection = "AddedKeystrokes";
constexpr std::string_view kRemovedSection = "RemovedKeystrokes";

// True when `other` binds the entry's shortcut pair (first match) to the same command.
bool HasSameBinding(const TSrcEditKeyStrokes& other, const TSrcEditKeyStroke& entry) {
  const int found = other.FindShortcutPair(entry.ShortCut(), entry.ShortCut2());
  return found >= 0 && other[found].Command() == entry.Command();
}

void AppendCopy(TSrcEditKeyStrokes& keys, const TSrcEditKeyStroke& entry) {
  keys.AddBinding(entry.Command(), entry.Key(), entry.Shift(), entry.Key2(), entry.Shift2());
}

void WriteSection(TIniFile& ini, std::string_view section, const TSrcEditKeyStrokes& keys) {
  ini.EraseSection(section);
  for (int i = 0; i < keys.Count(); ++i) {
    const TSrcEditKeyStroke& entry = keys[i];
    const std::string value = CommandToText(entry.Command()) + "," +
                              std::to_string(entry.ShortCut()) + "," +
                              std::to_string(entry.ShortCut2());
    ini.WriteString(section, "Item" + std::to_string(i), value);
  }
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

// A decimal number of at most 16 bits, nothing else.
bool ParseUint16(std::string_view text, std::uint16_t& out) {
  text = Trimmed(text);
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, out);
  return !text.empty() && error == std::errc() && ptr == end;
}

// "<command>,<shortcut>,<shortcut2>"; the command is a name or a number.
bool ParseEntry(std::string_view value, TSrcEditKeyStroke& entry) {
  const std::size_t comma1 = value.find(',');
  if (comma1 == std::string_view::npos) {
    return false;
  }
  const std::size_t comma2 = value.find(',', comma1 + 1);
  if (comma2 == std::string_view::npos) {
    return false;
  }
  const std::string_view name = Trimmed(value.substr(0, comma1));
  TSrcEditorCommand command = 0;
  if (const auto named = NameToCommand(name)) {
    command = *named;
  } else if (!ParseUint16(name, command)) {
    return false;
  }
  TShortCut shortcut = 0;
  TShortCut shortcut2 = 0;
  if (!ParseUint16(value.substr(comma1 + 1, comma2 - comma1 - 1), shortcut) ||
      !ParseUint16(value.substr(comma2 + 1), shortcut2)) {
    return false;
  }
  entry.SetCommand(command);
  entry.SetShortCut(shortcut);  // free-standing: no duplicate test
  entry.SetShortCut2(shortcut2);
  return true;
}

TSrcEditKeyStrokes ReadSection(const TIniFile& ini, std::string_view section) {
  TSrcEditKeyStrokes keys;
  for (const std::string& key : ini.ReadSection(section)) {
    const std::string value = ini.ReadString(section, key, "");
    TSrcEditKeyStroke entry;
    if (!ParseEntry(value, entry)) {
      throw ESrcKeyError(FormatMessage("Invalid keystroke value %s", value.c_str()));
    }
    AppendCopy(keys, entry);
  }
  return keys;
}

}  // namespace

TSrcKeystrokeChanges KeystrokeChanges(const TSrcEditKeyStrokes& keys,
                                      const TSrcEditKeyStrokes& reference) {
  TSrcKeystrokeChanges changes;
  for (int i = 0; i < keys.Count(); ++i) {
    if (!HasSameBinding(reference, keys[i])) {
      AppendCopy(changes.Added, keys[i]);
    }
  }
  for (int i = 0; i < reference.Count(); ++i) {
    if (!HasSameBinding(keys, reference[i])) {
      AppendCopy(changes.Removed, reference[i]);
    }
  }
  return changes;
}

void ApplyKeystrokeChanges(TSrcEditKeyStrokes& keys, const TSrcKeystrokeChanges& changes) {
  for (int i = 0; i < changes.Added.Count(); ++i) {
    AppendCopy(keys, changes.Added[i]);
  }
  for (int i = 0; i < changes.Removed.Count(); ++i) {
    const TSrcEditKeyStroke& removed = changes.Removed[i];
    const int found = keys.FindShortcutPair(removed.ShortCut(), removed.ShortCut2());
    if (found >= 0 && keys[found].Command() == removed.Command()) {
      keys.Delete(found);
    }
  }
}

void SaveKeystrokes(TIniFile& ini, const TSrcEditKeyStrokes& keys,
                    const TSrcEditKeyStrokes& reference) {
  const TSrcKeystrokeChanges changes = KeystrokeChanges(keys, reference);
  WriteSection(ini, kAddedSection, changes.Added);
  WriteSection(ini, kRemovedSection, changes.Removed);
}

void LoadKeystrokes(const TIniFile& ini, TSrcEditKeyStrokes& keys) {
  TSrcKeystrokeChanges changes;
  changes.Added = ReadSection(ini, kAddedSection);
  changes.Removed = ReadSection(ini, kRemovedSection);
  ApplyKeystrokeChanges(keys, changes);
}

}  // namespace torvane
