// The style of one kind of token (colours and font style), with the values
// its highlighter gave it as defaults, and its storage in registry and ini.
#pragma once

#include <functional>
#include <string>

#include "highlight/notify_event_chain.h"
#include "platform/colors.h"
#include "platform/font_styles.h"

namespace torvane {

class TIniFile;
class TRegistry;
enum class TRegistryRoot;

// The 16-colour palette the foreign registry layouts index into.
extern const TColor kPaletteColors[16];

class TSrcHighlighterAttributes : public TSrcPersistent {
 public:
  explicit TSrcHighlighterAttributes(std::string name) : name_(std::move(name)) {}

  TColor Background() const { return background_; }
  TColor Foreground() const { return foreground_; }
  TFontStyles Style() const { return style_; }
  // The setters notify only when the value changes.
  void SetBackground(TColor value);
  void SetForeground(TColor value);
  void SetStyle(TFontStyles value);

  TColor BackgroundDefault() const { return background_default_; }
  TColor ForegroundDefault() const { return foreground_default_; }
  TFontStyles StyleDefault() const { return style_default_; }
  // A stored form keeps only the properties that differ from their defaults.
  bool IsBackgroundStored() const { return background_ != background_default_; }
  bool IsForegroundStored() const { return foreground_ != foreground_default_; }
  bool IsStyleStored() const { return style_ != style_default_; }

  // The key under which the attribute is stored and looked up.
  const std::string& Name() const { return name_; }

  // Called (with this attribute) after any effective change.
  std::function<void(TSrcHighlighterAttributes*)> OnChange;

  // Copies the name, then the colours and style.
  virtual void CopyFrom(const TSrcHighlighterAttributes& source);
  virtual void NotifyChanged();
  // Reads a style another program stored: one comma-separated value `name`
  // under `key_path` (one_value_layout), or a subkey `name` with one value
  // per property. Every failure gives false.
  virtual bool LoadFromForeignRegistry(TRegistryRoot root, const std::string& key_path,
                                       const std::string& name, bool one_value_layout);
  virtual ~TSrcHighlighterAttributes() = default;

  // Copies whatever differs and notifies once if anything did.
  void CopyColorsAndStyle(const TSrcHighlighterAttributes& source);
  void RememberDefaults();

  // The style as bits 0..3: bold, italic, underline, strike-out.
  int StyleBits() const { return style_.ToInt(); }
  // Sets the style one flag at a time through the setter (up to four
  // notifications).
  void SetStyleBits(int bits);
  // The own registry layout: a subkey Name below the registry's current key
  // with the integers "Background", "Foreground" and "Style".
  bool LoadFromRegistryKey(TRegistry& registry);
  bool SaveToRegistryKey(TRegistry& registry) const;
  // The ini layout: section [Name] with the same three keys as decimals.
  bool LoadFromIniSection(TIniFile& ini);
  bool SaveToIniSection(TIniFile& ini) const;

 private:
  TColor background_ = clNone;
  TColor background_default_ = clNone;
  TColor foreground_ = clNone;
  TColor foreground_default_ = clNone;
  std::string name_;
  TFontStyles style_;
  TFontStyles style_default_;
};

}  // namespace torvane
