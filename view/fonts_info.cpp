// The process-wide font cache and the byte-comparable key of a base font.
#include "view/fonts_info.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <algorithm>
#include <cstring>

#include "platform/codepage.h"

namespace torvane {
namespace {

TheFontsInfoManager* g_instance = nullptr;
int g_generation = 0;

// The character set a font is realised in: the double-byte set of the
// document's code page, else the default set.
std::uint8_t CharsetOfCodePage() {
  switch (CodePage::Current().Kind()) {
    case CodePageKind::ShiftJis:
      return kShiftJisCharset;
    case CodePageKind::Uhc:
      return 129;
    case CodePageKind::Gbk:
      return 134;
    case CodePageKind::Big5:
      return 136;
    default:
      return kDefaultCharset;
  }
}

void Require(bool condition, const char* message) {
  if (!condition) {
    throw EheFontsInfoException(message);
  }
}

}  // namespace

TheFontsInfoManager& FontsInfoManagerInstance() {
  if (g_instance == nullptr) {
    g_instance = new TheFontsInfoManager;
    if (QCoreApplication::instance() != nullptr) {
      qAddPostRoutine(ShutDownFontsInfoManager);
    }
  }
  return *g_instance;
}

void ShutDownFontsInfoManager() {
  // The global is cleared first, so nothing reaches a half-destroyed cache.
  TheFontsInfoManager* instance = g_instance;
  g_instance = nullptr;
  ++g_generation;
  delete instance;
}

int FontsInfoGeneration() {
  return g_generation;
}

TheFontsInfoManager::~TheFontsInfoManager() {
  // Release from the last to the first, as they were built.
  while (!entries_.empty()) {
    entries_.pop_back();
  }
}

void TheFontsInfoManager::BuildBaseLogFont(const QFont& font, TFontRecord& key) {
  key = TFontRecord{};  // no padding, so every byte is now zero
  const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
  key.height = std::max(1, pixels);
  key.weight = font.weight();
  key.charset = CharsetOfCodePage();
  key.pitch_and_family = font.fixedPitch() ? kFixedPitch : 0;
  if (QFontDatabase::isSmoothlyScalable(font.family())) {
    key.pitch_and_family |= kTrueTypeBit;
  }
  const QString family = font.family();
  const int n = std::min<int>(static_cast<int>(family.size()), TFontRecord::kFaceSize - 1);
  for (int i = 0; i < n; ++i) {
    key.face[i] = family[i].unicode();
  }
}

TFontsInfoEntry* TheFontsInfoManager::LookupFontsInfo(const TFontRecord& key) const {
  for (const auto& entry : entries_) {
    if (std::memcmp(&entry->key, &key, sizeof key) == 0) {
      return entry.get();
    }
  }
  return nullptr;
}

std::unique_ptr<TFontsInfoEntry> TheFontsInfoManager::BuildFontsInfo(const QFont& font,
                                                                     const TFontRecord& key) {
  auto entry = std::make_unique<TFontsInfoEntry>();
  entry->base_font = font;
  entry->key = key;
  entry->is_true_type = (key.pitch_and_family & kTrueTypeBit) != 0;
  const QRawFont raw = QRawFont::fromFont(font);
  // U+4E00 and U+3042: the first ideograph and a kana, present in every CJK font.
  entry->is_dbcs = raw.supportsCharacter(0x4E00u) || raw.supportsCharacter(0x3042u);
  return entry;
}

TFontsInfoEntry* TheFontsInfoManager::AcquireFontsInfo(const QFont& font) {
  TFontRecord key;
  BuildBaseLogFont(font, key);
  TFontsInfoEntry* entry = LookupFontsInfo(key);
  if (entry != nullptr && key.face[TFontRecord::kFaceSize - 2] != 0 &&
      entry->base_font.family() != font.family()) {
    // A face name too long for the key: equal keys are not yet equal fonts.
    entry = nullptr;
    for (const auto& e : entries_) {
      if (std::memcmp(&e->key, &key, sizeof key) == 0 && e->base_font.family() == font.family()) {
        entry = e.get();
        break;
      }
    }
  }
  if (entry == nullptr) {
    entries_.push_back(BuildFontsInfo(font, key));
    entry = entries_.back().get();
  }
  ++entry->reference_count;
  return entry;
}

void TheFontsInfoManager::DropFontsInfo(TFontsInfoEntry* entry) {
  Require(entry != nullptr, "DropFontsInfo: no entry given.");
  if (entry->handle_use_count >= entry->reference_count) {
    throw EheFontsInfoException("Call DeactivateFontsInfo before calling this.");
  }
  if (entry->reference_count < 2) {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [entry](const auto& e) { return e.get() == entry; });
    Require(it != entries_.end(), "DropFontsInfo: the entry is not in the cache.");
    entries_.erase(it);
  } else {
    --entry->reference_count;
  }
}

void TheFontsInfoManager::ActivateFontsInfo(TFontsInfoEntry* entry) {
  Require(entry != nullptr, "ActivateFontsInfo: no entry given.");
  ++entry->handle_use_count;
}

void TheFontsInfoManager::DeactivateFontsInfo(TFontsInfoEntry* entry) {
  Require(entry != nullptr && entry->handle_use_count > 0,
          "DeactivateFontsInfo: the entry is not active.");
  if (--entry->handle_use_count == 0) {
    for (TStyleFontData& slot : entry->styles) {
      slot.handle.reset();
    }
  }
}

}  // namespace torvane
