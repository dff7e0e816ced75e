// Storing highlighter attributes: the own registry layout, the ini layout,
// the two foreign registry layouts, and the highlighter-wide load and save.
#include <optional>
#include <string_view>
#include <vector>

#include "highlight/custom_highlighter.h"
#include "highlight/highlighter_attributes.h"
#include "platform/color_names.h"
#include "platform/ini_file.h"
#include "platform/registry_store.h"

namespace torvane {

namespace {

constexpr const char* kBackground = "Background";
constexpr const char* kForeground = "Foreground";
constexpr const char* kStyle = "Style";

// An index outside the palette fails the load.
std::optional<TColor> PaletteColor(std::optional<std::int32_t> index) {
  if (!index || *index < 0 || *index > 15) {
    return std::nullopt;
  }
  return kPaletteColors[*index];
}

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 32);
    }
  }
  return out;
}

bool FlagIsTrue(std::string_view text) {
  return text != "0" && UpperAscii(text) != "FALSE";
}

std::vector<std::string_view> SplitAtCommas(std::string_view text, std::size_t fields) {
  std::vector<std::string_view> out(fields);
  for (std::size_t i = 0; i < fields && !text.empty(); ++i) {
    const std::size_t comma = text.find(',');
    out[i] = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return out;
}

struct ForeignStyle {
  TColor Background;
  TColor Foreground;
  TFontStyles Style;
};

// "name"="?,?,BIU,default fg,default bg,fg index,bg index"
std::optional<ForeignStyle> ReadOneValueLayout(TRegistry& registry, const std::string& key_path,
                                               const std::string& name) {
  if (!registry.OpenKeyReadOnly(key_path) || !registry.ValueExists(name)) {
    return std::nullopt;
  }
  const std::string text = registry.ReadString(name);
  const std::vector<std::string_view> f = SplitAtCommas(text, 7);
  ForeignStyle style;
  if (f[4] == "1") {
    style.Background = clWindow;
  } else if (const auto color = PaletteColor(StringToInteger(f[6]))) {
    style.Background = *color;
  } else {
    return std::nullopt;
  }
  if (f[3] == "1") {
    style.Foreground = clWindowText;
  } else if (const auto color = PaletteColor(StringToInteger(f[5]))) {
    style.Foreground = *color;
  } else {
    return std::nullopt;
  }
  const std::string_view flags = f[2];
  style.Style = {};
  if (flags.find('B') != std::string_view::npos) {
    style.Style = style.Style.With(fsBold);
  }
  if (flags.find('I') != std::string_view::npos) {
    style.Style = style.Style.With(fsItalic);
  }
  if (flags.find('U') != std::string_view::npos) {
    style.Style = style.Style.With(fsUnderline);
  }
  return style;
}

// A colour from the palette index `value`, else from the colour text in
// `value` + " New".
std::optional<TColor> ReadForeignColor(TRegistry& registry, const std::string& value) {
  if (registry.ValueExists(value)) {
    return PaletteColor(registry.ReadInteger(value));
  }
  if (registry.ValueExists(value + " New")) {
    return StringToColor(registry.ReadString(value + " New"));
  }
  return std::nullopt;
}

std::optional<ForeignStyle> ReadPerKeyLayout(TRegistry& registry, const std::string& key_path,
                                             const std::string& name) {
  if (!registry.OpenKeyReadOnly(key_path + "\\" + name)) {
    return std::nullopt;
  }
  const std::optional<TColor> foreground = ReadForeignColor(registry, "Foreground Color");
  const std::optional<TColor> background = ReadForeignColor(registry, "Background Color");
  if (!foreground || !background) {
    return std::nullopt;
  }
  const char* const flag_names[] = {"Bold", "Italic", "Underline", "Default Foreground",
                                    "Default Background"};
  bool flags[5];
  for (int i = 0; i < 5; ++i) {
    if (!registry.ValueExists(flag_names[i])) {
      return std::nullopt;
    }
    flags[i] = FlagIsTrue(registry.ReadString(flag_names[i]));
  }
  ForeignStyle style;
  style.Background = flags[4] ? clWindow : *background;
  style.Foreground = flags[3] ? clWindowText : *foreground;
  style.Style = {};
  const TFontStyle styles[] = {fsBold, fsItalic, fsUnderline};
  for (int i = 0; i < 3; ++i) {
    if (flags[i]) {
      style.Style = style.Style.With(styles[i]);
    }
  }
  return style;
}

}  // namespace

bool TSrcHighlighterAttributes::SaveToRegistryKey(TRegistry& registry) const {
  const std::string saved = registry.CurrentPath();
  if (!registry.OpenKey(name_, true)) {
    return false;
  }
  bool written = true;
  try {
    registry.WriteInteger(kBackground, static_cast<int>(background_));
    registry.WriteInteger(kForeground, static_cast<int>(foreground_));
    registry.WriteInteger(kStyle, StyleBits());
  } catch (const ERegistryError&) {
    written = false;  // the store file could not be written
  }
  registry.OpenKey("\\" + saved, false);
  return written;
}

bool TSrcHighlighterAttributes::LoadFromRegistryKey(TRegistry& registry) {
  const std::string saved = registry.CurrentPath();
  if (!registry.OpenKeyReadOnly(name_)) {
    return false;
  }
  // A value of another type than integer is skipped and makes the load fail.
  bool loaded = true;
  const auto read = [&](const char* value, auto apply) {
    if (registry.ValueExists(value)) {
      if (registry.GetDataType(value) == TRegDataType::rdInteger) {
        apply(registry.ReadInteger(value));
      } else {
        loaded = false;
      }
    }
  };
  read(kBackground, [this](int v) { SetBackground(static_cast<TColor>(v)); });
  read(kForeground, [this](int v) { SetForeground(static_cast<TColor>(v)); });
  read(kStyle, [this](int v) { SetStyleBits(v); });
  registry.OpenKeyReadOnly("\\" + saved);
  return loaded;
}

bool TSrcHighlighterAttributes::SaveToIniSection(TIniFile& ini) const {
  try {
    ini.WriteInteger(name_, kBackground, static_cast<int>(background_));
    ini.WriteInteger(name_, kForeground, static_cast<int>(foreground_));
    ini.WriteInteger(name_, kStyle, StyleBits());
  } catch (const EIniFileError&) {
    return false;
  }
  return true;
}

bool TSrcHighlighterAttributes::LoadFromIniSection(TIniFile& ini) {
  if (ini.ReadSection(name_).empty()) {
    return false;
  }
  if (ini.ValueExists(name_, kBackground)) {
    SetBackground(
        static_cast<TColor>(ini.ReadInteger(name_, kBackground, static_cast<int>(background_))));
  }
  if (ini.ValueExists(name_, kForeground)) {
    SetForeground(
        static_cast<TColor>(ini.ReadInteger(name_, kForeground, static_cast<int>(foreground_))));
  }
  if (ini.ValueExists(name_, kStyle)) {
    SetStyleBits(ini.ReadInteger(name_, kStyle, StyleBits()));
  }
  return true;
}

bool TSrcHighlighterAttributes::LoadFromForeignRegistry(TRegistryRoot root,
                                                        const std::string& key_path,
                                                        const std::string& name,
                                                        bool one_value_layout) {
  // Everything is read before anything is set, so a failed load changes
  // nothing.
  std::optional<ForeignStyle> style;
  try {
    TRegistry registry(root);
    style = one_value_layout ? ReadOneValueLayout(registry, key_path, name)
                             : ReadPerKeyLayout(registry, key_path, name);
  } catch (const ESrcError&) {
    return false;
  }
  if (!style) {
    return false;
  }
  SetBackground(style->Background);
  SetForeground(style->Foreground);
  SetStyle(style->Style);
  return true;
}

bool TSrcCustomHighlighter::LoadAttributesFromRegistry(TRegistryRoot root,
                                                       const std::string& key_path) {
  TRegistry registry(root);
  if (!registry.OpenKeyReadOnly(key_path)) {
    return false;
  }
  bool loaded = true;
  for (int i = 0; i < AttributeCount(); ++i) {
    loaded = AttributeAt(i)->LoadFromRegistryKey(registry) && loaded;
  }
  return loaded;
}

bool TSrcCustomHighlighter::SaveAttributesToRegistry(TRegistryRoot root,
                                                     const std::string& key_path) const {
  TRegistry registry(root);
  if (!registry.OpenKey(key_path, true)) {
    return false;
  }
  bool saved = true;
  for (int i = 0; i < AttributeCount(); ++i) {
    saved = AttributeAt(i)->SaveToRegistryKey(registry) && saved;
  }
  return saved;
}

bool TSrcCustomHighlighter::LoadAttributesFromIni(const std::string& file_name) {
  TIniFile ini(file_name);
  bool loaded = true;
  for (int i = 0; i < AttributeCount(); ++i) {
    loaded = AttributeAt(i)->LoadFromIniSection(ini) && loaded;
  }
  return loaded;
}

bool TSrcCustomHighlighter::SaveAttributesToIni(const std::string& file_name) const {
  TIniFile ini(file_name);
  bool saved = true;
  for (int i = 0; i < AttributeCount(); ++i) {
    saved = AttributeAt(i)->SaveToIniSection(ini) && saved;
  }
  return saved;
}

}  // namespace torvane
