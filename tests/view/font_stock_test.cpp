// The font cache and font stocks: sharing of entries, keys, style handles
// and the errors for misuse.
#include "view/font_stock.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QRawFont>
#include <cstring>
#include <memory>

#include "drawer_test_support.h"
#include "view/fonts_info.h"

namespace torvane {
namespace {

using test::EditorFont;

TEST(FontsInfoTest, EqualFontsShareOneEntryWhateverTheirDecoration) {
  TheFontsInfoManager& manager = FontsInfoManagerInstance();
  const int before = manager.EntryCount();
  QFont plain = EditorFont(17);
  QFont decorated = plain;
  decorated.setItalic(true);
  decorated.setUnderline(true);
  decorated.setStrikeOut(true);
  QFont bold = plain;
  bold.setBold(true);
  {
    TheFontStock first(&plain);
    {
      TheFontStock second(&decorated);
      EXPECT_EQ(first.Entry(), second.Entry());
      EXPECT_EQ(first.Entry()->reference_count, 2);
      EXPECT_EQ(manager.EntryCount(), before + 1);
      // The weight is part of the key: a bold base font is its own entry.
      TheFontStock heavy(&bold);
      EXPECT_NE(heavy.Entry(), first.Entry());
      EXPECT_EQ(manager.EntryCount(), before + 2);
    }
    EXPECT_EQ(manager.EntryCount(), before + 1);
    EXPECT_EQ(first.Entry()->reference_count, 1);
    EXPECT_EQ(first.Entry()->key.italic, 0);
  }
  EXPECT_EQ(manager.EntryCount(), before);
}

TEST(FontsInfoTest, KeyIgnoresLeftoverBytesAfterTheFaceName) {
  TFontRecord dirty;
  std::memset(static_cast<void*>(&dirty), 0xAB, sizeof dirty);
  TheFontsInfoManager::BuildBaseLogFont(EditorFont(), dirty);
  TFontRecord clean;
  TheFontsInfoManager::BuildBaseLogFont(EditorFont(), clean);
  EXPECT_EQ(std::memcmp(&dirty, &clean, sizeof clean), 0);
  EXPECT_EQ(clean.height, 18);
  EXPECT_EQ(clean.face[0], u'C');
  EXPECT_EQ(clean.face[11], u'\0');

  // A face longer than the record keeps its first characters only, and the
  // terminator is always there.
  QFont long_name(QString(100, QChar(u'x')));
  long_name.setPixelSize(12);
  TFontRecord truncated;
  TheFontsInfoManager::BuildBaseLogFont(long_name, truncated);
  EXPECT_EQ(truncated.face[TFontRecord::kFaceSize - 1], u'\0');
  // Two such names that differ only past the key's end are still two fonts.
  QFont other_name(QString(99, QChar(u'x')) + u'y');
  other_name.setPixelSize(12);
  TheFontStock first(&long_name);
  TheFontStock second(&other_name);
  TheFontStock third(&long_name);
  EXPECT_NE(first.Entry(), second.Entry());
  EXPECT_EQ(first.Entry(), third.Entry());
}

TEST(FontsInfoTest, DroppingAnEntryInUseIsRefused) {
  TheFontsInfoManager& manager = FontsInfoManagerInstance();
  const QFont font = EditorFont(15);
  TFontsInfoEntry* entry = manager.AcquireFontsInfo(font);
  manager.ActivateFontsInfo(entry);
  try {
    manager.DropFontsInfo(entry);
    FAIL() << "no error";
  } catch (const EheFontsInfoException& e) {
    EXPECT_STREQ(e.what(), "Call DeactivateFontsInfo before calling this.");
  }
  manager.DeactivateFontsInfo(entry);
  manager.DropFontsInfo(entry);
  EXPECT_THROW(manager.DropFontsInfo(nullptr), EheFontsInfoException);
}

TEST(FontsInfoTest, StocksOutlivingTheCacheLetGoQuietly) {
  const QFont font = EditorFont(19);
  auto stock = std::make_unique<TheFontStock>(&font);
  ShutDownFontsInfoManager();
  stock.reset();  // its entry went with the cache: nothing to release
  TheFontStock fresh(&font);
  EXPECT_EQ(fresh.Entry()->reference_count, 1);
  EXPECT_GT(fresh.CellWidth(), 0);
}

TEST(FontStockTest, StylesAreCreatedOnceAndMeasured) {
  const QFont font = EditorFont();
  TheFontStock stock(&font);
  TheFontStock other(&font);
  stock.SelectStyle({});
  const TStyleFont* regular = &stock.CurrentFont();
  EXPECT_EQ(stock.CellWidth(), QFontMetrics(regular->Font()).horizontalAdvance(QChar(u'M')));
  EXPECT_EQ(stock.CellHeight(), QFontMetrics(regular->Font()).height());
  // Not a double-byte font: no wide width is measured at all.
  EXPECT_EQ(stock.WideCellWidth(), 0);

  stock.SelectStyle({fsBold});
  EXPECT_TRUE(stock.CurrentFont().Font().bold());
  const TStyleFont* bold = &stock.CurrentFont();
  stock.SelectStyle({fsBold});
  EXPECT_EQ(&stock.CurrentFont(), bold);
  // Another user of the same font gets the very same handle.
  other.SelectStyle({fsBold});
  EXPECT_EQ(&other.CurrentFont(), bold);
  EXPECT_EQ(stock.Entry()->handle_use_count, 2);

  // Handles go when their last user lets go, and come back when needed.
  stock.ReleaseStyleHandles();
  other.ReleaseStyleHandles();
  EXPECT_EQ(stock.Entry()->handle_use_count, 0);
  EXPECT_EQ(stock.StyleData().handle, nullptr);
  stock.SelectStyle({fsBold});
  EXPECT_NE(stock.StyleData().handle, nullptr);
  EXPECT_TRUE(stock.CurrentFont().Font().bold());
  other.ReleaseStyleHandles();  // not a user any more: nothing to undo
  EXPECT_EQ(stock.Entry()->handle_use_count, 1);
}

TEST(FontStockTest, MissingFontIsRefusedAndChangesNothing) {
  const QFont font = EditorFont();
  TheFontStock stock(&font);
  const TFontsInfoEntry* entry = stock.Entry();
  try {
    stock.SetBaseFont(nullptr);
    FAIL() << "no error";
  } catch (const EheFontStockException& e) {
    EXPECT_STREQ(e.what(), "SetBaseFont: 'Value' must be specified.");
  }
  EXPECT_EQ(stock.Entry(), entry);
  EXPECT_THROW(TheFontStock{nullptr}, EheFontStockException);
}

TEST(FontStockTest, WideWidthOnlyForJapaneseDoubleByteFonts) {
  QFont cjk(QStringLiteral("WenQuanYi Micro Hei"));
  cjk.setPixelSize(16);
  {
    TheFontStock stock(&cjk);
    EXPECT_TRUE(stock.Entry()->is_dbcs);
    EXPECT_EQ(stock.WideCellWidth(), kUnknownWidth);
  }
  // A Japanese code page makes it a Japanese font, but its kana (16 px)
  // are not clearly wider than its proportional 'M' (14 px): still unknown.
  ScopedCodePage japanese("CP932");
  {
    TheFontStock stock(&cjk);
    EXPECT_EQ(stock.Entry()->key.charset, kShiftJisCharset);
    EXPECT_EQ(stock.WideCellWidth(), kUnknownWidth);
  }
  // The fixed-pitch face has half-width Latin, so its kana width is known.
  QFont mono(QStringLiteral("WenQuanYi Micro Hei Mono"));
  mono.setPixelSize(16);
  TheFontStock stock(&mono);
  EXPECT_EQ(stock.WideCellWidth(), 16);
  EXPECT_GT(2 * stock.WideCellWidth(), 3 * stock.CellWidth());
}

TEST(FontStockTest, FontWithoutAnMIsMeasuredByItsAverageWidth) {
  // CJK only, no Latin; scripts/deps.sh installs it (fonts-droid-fallback).
  const QString family = QStringLiteral("Droid Sans Fallback");
  QFont symbols(family);
  symbols.setPixelSize(20);
  if (QFontInfo(symbols).family() != family) {
    GTEST_SKIP() << "font \"" << family.toStdString()
                 << "\" is not installed (package fonts-droid-fallback)";
  }
  ASSERT_FALSE(QRawFont::fromFont(symbols).supportsCharacter(QChar(u'M')));
  TheFontStock stock(&symbols);
  EXPECT_EQ(stock.CellWidth(), QFontMetrics(stock.CurrentFont().Font()).averageCharWidth());
}

}  // namespace
}  // namespace torvane
