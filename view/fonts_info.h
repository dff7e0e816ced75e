// The process-wide font cache: one entry per distinct base font, keyed by a
// plain record compared byte for byte, holding the created style variants
// that every editor with that font shares.
#pragma once

#include <QFont>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/errors.h"
#include "view/style_font.h"

namespace torvane {

class EheFontsInfoException : public ESrcError {
 public:
  using ESrcError::ESrcError;
};

// The identity of a base font. Italic, underline and strike-out are always
// cleared, so fonts that differ only in those share an entry; the weight is
// kept. Everything after the face name's terminating zero is zero, so that
// equal fonts give equal bytes.
struct TFontRecord {
  static constexpr int kFaceSize = 64;  // characters, the terminator included

  std::int32_t height = 0;  // pixels
  std::int32_t weight = 0;  // 100..900, 400 regular, 700 bold
  std::uint8_t italic = 0;
  std::uint8_t underline = 0;
  std::uint8_t strike_out = 0;
  std::uint8_t charset = 0;
  std::uint8_t pitch_and_family = 0;  // pitch in bits 0-1, kTrueTypeBit
  std::uint8_t reserved[3] = {0, 0, 0};
  char16_t face[kFaceSize] = {};
};
static_assert(std::has_unique_object_representations_v<TFontRecord>,
              "the key is compared byte for byte, so it must have no padding");

inline constexpr std::uint8_t kFixedPitch = 1;
inline constexpr std::uint8_t kTrueTypeBit = 4;
inline constexpr std::uint8_t kDefaultCharset = 1;
inline constexpr std::uint8_t kShiftJisCharset = 128;
// A width nobody measured.
inline constexpr int kUnknownWidth = std::numeric_limits<std::int32_t>::max();

struct TStyleFontData {
  std::unique_ptr<TStyleFont> handle;  // created on first use, shared by all stocks
  int cell_width = 0;                  // advance of a one-cell character
  int wide_cell_width = 0;             // advance of a two-cell character, if known
  int cell_height = 0;
};

struct TFontsInfoEntry {
  int reference_count = 0;   // stocks holding the entry
  int handle_use_count = 0;  // stocks currently using the style handles
  QFont base_font;
  TFontRecord key;
  bool is_dbcs = false;  // the font has double-byte (CJK) glyphs
  bool is_true_type = false;
  std::array<TStyleFontData, 16> styles;  // indexed by TFontStyles::ToInt()
};

class TheFontsInfoManager {
 public:
  TheFontsInfoManager() = default;
  ~TheFontsInfoManager();
  TheFontsInfoManager(const TheFontsInfoManager&) = delete;
  TheFontsInfoManager& operator=(const TheFontsInfoManager&) = delete;

  TFontsInfoEntry* AcquireFontsInfo(const QFont& font);
  void DropFontsInfo(TFontsInfoEntry* entry);
  void ActivateFontsInfo(TFontsInfoEntry* entry);
  void DeactivateFontsInfo(TFontsInfoEntry* entry);
  TFontsInfoEntry* LookupFontsInfo(const TFontRecord& key) const;

  // The key of a font: face, pixel height, weight, pitch and charset.
  static void BuildBaseLogFont(const QFont& font, TFontRecord& key);
  int EntryCount() const { return static_cast<int>(entries_.size()); }

 private:
  std::unique_ptr<TFontsInfoEntry> BuildFontsInfo(const QFont& font, const TFontRecord& key);

  std::vector<std::unique_ptr<TFontsInfoEntry>> entries_;  // in order of creation
};

// The one manager, created on first use and freed when the application
// object goes away (fonts must not outlive Qt's font database).
TheFontsInfoManager& FontsInfoManagerInstance();
// Frees the manager and every entry now. Users still holding entries must
// compare FontsInfoGeneration() with the one they acquired in and forget
// their entries when it moved on.
void ShutDownFontsInfoManager();
int FontsInfoGeneration();

}  // namespace torvane
