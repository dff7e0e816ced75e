// The text drawer rendered into images: characters in their cells, styles,
// wide and undecodable characters, the secondary font, colours and nesting.
#include "view/text_drawer.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "drawer_test_support.h"
#include "platform/codepage.h"

namespace torvane {
namespace {

using test::EditorFont;
using test::InkIn;
using test::InkSpan;
using test::WhiteImage;

constexpr int kLeft = 10;

TFontRecord KeyOf(const QFont& font) {
  TFontRecord key;
  TheFontsInfoManager::BuildBaseLogFont(font, key);
  return key;
}
constexpr int kTop = 5;

class TextDrawerTest : public ::testing::Test {
 protected:
  TextDrawerTest() : font_(EditorFont()), drawer_({fsBold}, &font_) {
    drawer_.SetForeground(clBlack);
    drawer_.SetBackground(clWhite);
  }

  // Draws text at cell 0 and returns the image.
  QImage Draw(std::string_view text, TFontStyles style = {}, int options = kEtoClipped) {
    QImage image = WhiteImage();
    QPainter painter(&image);
    drawer_.AttachDC(&painter);
    drawer_.SelectStyle(style);
    drawer_.CellTextOut(kLeft, kTop, options, Row(0, 20), text);
    drawer_.DetachDC();
    return image;
  }
  // The cells [first, last) of the row, full height.
  QRect Cells(int first, int last) const {
    const int w = drawer_.GridWidth();
    return QRect(kLeft + first * w, 0, (last - first) * w, 60);
  }
  QRect Row(int first, int last) const {
    const int w = drawer_.GridWidth();
    return QRect(kLeft + first * w, kTop, (last - first) * w, drawer_.GridHeight());
  }

  QFont font_;
  TheTextDrawer drawer_;
};

TEST_F(TextDrawerTest, GridComesFromTheMeasuringStyle) {
  const TheFontStock& stock = drawer_.FontStock();
  EXPECT_GT(drawer_.GridWidth(), 0);
  EXPECT_GT(drawer_.GridHeight(), 0);
  EXPECT_EQ(drawer_.MeasureStyle(), TFontStyles{fsBold});
  // The drawer stands on the font's own style after construction.
  EXPECT_EQ(stock.CurrentStyle(), TFontStyles{});
  EXPECT_EQ(drawer_.Foreground(), clBlack);
  TheTextDrawer fresh({}, &font_);
  EXPECT_EQ(fresh.Foreground(), clWindowText);
  EXPECT_EQ(fresh.Background(), clWindow);
}

TEST_F(TextDrawerTest, EveryCharacterInkStaysInItsCell) {
  const QImage image = Draw("M.MiW");
  for (int cell = 0; cell < 5; ++cell) {
    EXPECT_GT(InkIn(image, Cells(cell, cell + 1).adjusted(1, 0, -1, 0)), 0) << "cell " << cell;
  }
  const auto [left, right] = InkSpan(image);
  EXPECT_GE(left, kLeft);
  EXPECT_LT(right, kLeft + 5 * drawer_.GridWidth());
  // Blanks keep their cells: the W after three blanks lands in cell 4.
  const QImage spaced = Draw("M   W");
  EXPECT_EQ(InkIn(spaced, Cells(1, 4).adjusted(1, 0, -1, 0)), 0);
  EXPECT_GT(InkIn(spaced, Cells(4, 5)), 0);
}

TEST_F(TextDrawerTest, BoldRunIsHeavierInTheSameCells) {
  const QImage regular = Draw("mov eax");
  const QImage bold = Draw("mov eax", {fsBold});
  EXPECT_GT(InkIn(bold, Cells(0, 7)), InkIn(regular, Cells(0, 7)) * 11 / 10);
  EXPECT_EQ(InkIn(bold, Cells(7, 30)), 0);
  EXPECT_EQ(InkIn(bold, Cells(3, 4).adjusted(1, 0, -1, 0)), 0);  // the blank
  EXPECT_GE(InkSpan(bold).first, kLeft);
}

TEST_F(TextDrawerTest, WideCharactersTakeTwoCellsInUtf8AndGbk) {
  const std::string utf8 =
      "a\xE4\xB8\xAD"
      "b";  // a, U+4E2D, b
  const std::string gbk =
      "a\xD6\xD0"
      "b";
  for (const auto& [page, text] : {std::pair{"UTF-8", utf8}, std::pair{"GBK", gbk}}) {
    SCOPED_TRACE(page);
    ScopedCodePage scoped(page);
    const QImage image = Draw(text);
    EXPECT_GT(InkIn(image, Cells(0, 1)), 0);
    EXPECT_GT(InkIn(image, Cells(1, 2)), 0);
    EXPECT_GT(InkIn(image, Cells(2, 3)), 0);
    EXPECT_GT(InkIn(image, Cells(3, 4)), 0);  // b after the two cells
    EXPECT_EQ(InkIn(image, Cells(4, 30)), 0);
    EXPECT_EQ(image, Draw(text));  // the cached glyphs draw the same again
  }
}

TEST_F(TextDrawerTest, SameBytesDecodeAfresh) {
  // Glyphs are cached by bytes; the cache must follow the code page.
  const std::string bytes = "\xD6\xD0";
  const QImage as_utf8 = Draw(bytes);  // two undecodable bytes
  QImage as_gbk;
  {
    ScopedCodePage gbk("GBK");
    as_gbk = Draw(bytes);
  }
  EXPECT_NE(as_utf8, as_gbk);
  EXPECT_EQ(as_gbk, Draw("\xE4\xB8\xAD"));  // the same ideograph in UTF-8
  EXPECT_EQ(as_utf8, Draw(bytes));
}

TEST_F(TextDrawerTest, UndecodableBytesDrawOneReplacementCellEach) {
  const QImage image = Draw(
      "a\xFF\xFE"
      "b");
  EXPECT_GT(InkIn(image, Cells(1, 2)), 0);
  EXPECT_GT(InkIn(image, Cells(2, 3)), 0);
  EXPECT_GT(InkIn(image, Cells(3, 4)), 0);
  EXPECT_EQ(InkIn(image, Cells(4, 30)), 0);
  // A multi-byte character cut off at the end of the text is one cell too.
  const QImage cut = Draw("ab\xE4\xB8");
  EXPECT_GT(InkIn(cut, Cells(2, 3)), 0);
  EXPECT_EQ(InkIn(cut, Cells(4, 30)), 0);
}

TEST_F(TextDrawerTest, OpaqueFillsTheRectangleAndClippingKeepsInkInside) {
  QImage image = WhiteImage();
  QPainter painter(&image);
  drawer_.AttachDC(&painter);
  drawer_.SetBackground(clYellow);
  drawer_.SetForeground(clBlue);
  const QRect rect = Row(0, 3);
  drawer_.CellTextOut(kLeft, kTop, kEtoOpaque | kEtoClipped, rect, "MMMMMMMM");
  drawer_.DetachDC();
  EXPECT_EQ(image.pixelColor(rect.topLeft()), QColor(255, 255, 0));
  EXPECT_EQ(image.pixelColor(rect.bottomRight()), QColor(255, 255, 0));
  EXPECT_EQ(InkIn(image, QRect(rect.right() + 1, 0, 400, 60)), 0);
  EXPECT_EQ(InkIn(image, QRect(0, 0, rect.left(), 60)), 0);
  // The text colour is the foreground, even after the caller drew a line
  // with a pen of its own: some pixel is pure blue, none red.
  drawer_.AttachDC(&painter);
  painter.setPen(QPen(Qt::red, 1, Qt::DotLine));
  drawer_.CellTextOut(kLeft, kTop, kEtoOpaque | kEtoClipped, rect, "MMMMMMMM");
  drawer_.DetachDC();
  painter.end();
  bool blue = false;
  for (int x = rect.left(); x <= rect.right(); ++x) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
      blue = blue || image.pixelColor(x, y) == QColor(0, 0, 255);
      EXPECT_NE(image.pixelColor(x, y), QColor(255, 0, 0));
    }
  }
  EXPECT_TRUE(blue);
}

TEST_F(TextDrawerTest, UnderlineRunsUnderBlanksToo) {
  const QImage image = Draw("a   b", {fsUnderline});
  for (int cell = 0; cell < 5; ++cell) {
    EXPECT_GT(InkIn(image, Cells(cell, cell + 1)), 0) << "cell " << cell;
  }
  const QImage plain = Draw("a   b");
  EXPECT_EQ(InkIn(plain, Cells(2, 3)), 0);
}

TEST_F(TextDrawerTest, SpacingArrayGrowsInStepsOf64AndIsReleasedWithTheGrid) {
  QImage image = WhiteImage();
  QPainter painter(&image);
  drawer_.AttachDC(&painter);
  EXPECT_EQ(drawer_.SpacingArrayLength(), 0);
  drawer_.CellTextOut(0, 0, 0, image.rect(), std::string(130, 'x'));
  EXPECT_EQ(drawer_.SpacingArrayLength(), 192);
  drawer_.CellTextOut(0, 0, 0, image.rect(), std::string(100, 'x'));
  EXPECT_EQ(drawer_.SpacingArrayLength(), 192);
  drawer_.CellTextOut(0, 0, 0, image.rect(), std::string(64, 'x'));
  EXPECT_EQ(drawer_.SpacingArrayLength(), 192);
  drawer_.SetMeasureStyle({});
  EXPECT_EQ(drawer_.SpacingArrayLength(), 0);
  drawer_.CellTextOut(0, 0, 0, image.rect(), std::string(64, 'x'));
  EXPECT_EQ(drawer_.SpacingArrayLength(), 128);
  drawer_.SetBaseFont(&font_);
  EXPECT_EQ(drawer_.SpacingArrayLength(), 0);
  drawer_.DetachDC();
}

TEST_F(TextDrawerTest, SecondaryFontDrawsMultiByteRunsFittedToTheCells) {
  drawer_.SetUnicodeFontName(QStringLiteral("WenQuanYi Micro Hei"));
  EXPECT_EQ(drawer_.UnicodeFontName(), QStringLiteral("WenQuanYi Micro Hei"));
  const TheFontStock& secondary = drawer_.SecondaryFontStock();
  EXPECT_LE(secondary.CellWidth(), drawer_.GridWidth());
  EXPECT_LE(secondary.CellHeight(), drawer_.GridHeight());
  EXPECT_EQ(drawer_.SecondaryFont().family(), QStringLiteral("WenQuanYi Micro Hei"));

  const std::string text =
      "ab\xE4\xB8\xAD"
      "c";
  const QImage image = Draw(text, {}, kEtoOpaque | kEtoClipped);
  EXPECT_GT(InkIn(image, Cells(2, 3)), 0);
  EXPECT_GT(InkIn(image, Cells(3, 4)), 0);
  EXPECT_GT(InkIn(image, Cells(4, 5)), 0);  // c in the fifth cell
  EXPECT_EQ(InkIn(image, Cells(5, 30)), 0);
  // The first two cells look as without the secondary font.
  drawer_.SetUnicodeFontName(QString());
  EXPECT_TRUE(drawer_.UnicodeFontName().isEmpty());
  const QImage plain = Draw(text, {}, kEtoOpaque | kEtoClipped);
  EXPECT_EQ(plain.copy(Cells(0, 2)), image.copy(Cells(0, 2)));
  EXPECT_NE(plain.copy(Cells(2, 4)), image.copy(Cells(2, 4)));
}

TEST_F(TextDrawerTest, SecondaryFontIsTheLargestThatFitsTheCell) {
  for (const char* name : {"WenQuanYi Micro Hei", "DejaVu Sans Mono", "Liberation Mono"}) {
    SCOPED_TRACE(name);
    drawer_.SetUnicodeFontName(QString::fromLatin1(name));
    const TheFontStock& secondary = drawer_.SecondaryFontStock();
    EXPECT_LE(secondary.CellWidth(), drawer_.GridWidth());
    EXPECT_LE(secondary.CellHeight(), drawer_.GridHeight());
    QFont larger = drawer_.SecondaryFont();
    larger.setPixelSize(larger.pixelSize() + 1);
    int height = 0;
    const int width = TheFontStock::MeasureFontAdvance(larger, &height, nullptr, kDefaultCharset);
    EXPECT_TRUE(width > drawer_.GridWidth() || height > drawer_.GridHeight());
  }
  // A new base font fits the secondary font again.
  const QFont small = EditorFont(12);
  drawer_.SetBaseFont(&small);
  EXPECT_LE(drawer_.SecondaryFontStock().CellHeight(), drawer_.GridHeight());
  EXPECT_LT(drawer_.SecondaryFont().pixelSize(), 18);
}

TEST_F(TextDrawerTest, BackgroundModeDecidesWhetherCellsAreFilledWithoutOpaque) {
  const std::pair<const char*, Qt::BGMode> cases[] = {
      {"", Qt::OpaqueMode}, {"", Qt::TransparentMode}, {"WenQuanYi Micro Hei", Qt::OpaqueMode}};
  for (const auto& [secondary, mode] : cases) {
    SCOPED_TRACE(secondary);
    drawer_.SetUnicodeFontName(QString::fromLatin1(secondary));
    QImage image = WhiteImage();
    QPainter painter(&image);
    painter.setBackgroundMode(mode);
    drawer_.AttachDC(&painter);
    drawer_.SetBackground(clLime);
    drawer_.CellTextOut(kLeft, kTop, kEtoClipped, Row(0, 20), "a b");
    drawer_.DetachDC();
    painter.end();
    const QColor blank_cell = image.pixelColor(Cells(1, 2).center().x(), kTop + 1);
    EXPECT_EQ(blank_cell, mode == Qt::OpaqueMode ? QColor(0, 255, 0) : QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(Cells(3, 4).center().x(), kTop + 1), QColor(Qt::white));
  }
}

TEST_F(TextDrawerTest, PlainTextUsesTheFontsOwnAdvancesAndCharacterExtra) {
  auto width_of = [&](int extra) {
    QImage image = WhiteImage();
    QPainter painter(&image);
    drawer_.AttachDC(&painter);
    drawer_.SetCharSpacing(extra);
    drawer_.PlainTextOut(kLeft, kTop, "MMMMMMMMMM");
    drawer_.DetachDC();
    painter.end();
    const auto [left, right] = InkSpan(image);
    EXPECT_GE(left, kLeft);
    return right - left;
  };
  const int plain = width_of(0);
  EXPECT_NEAR(plain, 10 * drawer_.FontStock().CellWidth(), drawer_.GridWidth());
  EXPECT_NEAR(width_of(3), plain + 27, 2);
  EXPECT_EQ(drawer_.CharSpacing(), 3);
}

TEST_F(TextDrawerTest, AttachNestsAndRestoresThePainter) {
  QImage image = WhiteImage();
  QPainter painter(&image);
  painter.setPen(Qt::green);
  drawer_.AttachDC(&painter);
  drawer_.AttachDC(&painter);
  EXPECT_EQ(painter.pen().color(), QColor(Qt::black));
  QImage other_image = WhiteImage();
  QPainter other(&other_image);
  EXPECT_THROW(drawer_.AttachDC(&other), EheTextDrawerException);
  EXPECT_THROW(drawer_.AttachDC(nullptr), EheTextDrawerException);
  drawer_.DetachDC();
  EXPECT_EQ(drawer_.DC(), &painter);
  drawer_.SetForeground(clRed);  // applied at once while attached
  EXPECT_EQ(painter.pen().color(), QColor(255, 0, 0));
  drawer_.DetachDC();
  EXPECT_EQ(drawer_.DC(), nullptr);
  EXPECT_EQ(painter.pen().color(), QColor(Qt::green));
  EXPECT_THROW(drawer_.DetachDC(), EheTextDrawerException);
  EXPECT_THROW(drawer_.CellTextOut(0, 0, 0, QRect(), "x"), EheTextDrawerException);
}

// The editor switches its drawer to the gutter's font and back on every
// paint: the font left keeps its style fonts (and their glyph lookups), and
// drawing after the switch back looks as before it.
TEST_F(TextDrawerTest, SwitchingBackFindsTheFontLeftWithItsStyles) {
  const QImage before = Draw("mov eax, 1", {fsBold});
  const TStyleFont* bold = drawer_.FontStock().StyleData().handle.get();
  ASSERT_NE(bold, nullptr);
  const TFontsInfoEntry* entry = drawer_.FontStock().Entry();
  const QFont gutter = EditorFont(13);
  drawer_.SetBaseFont(&gutter);
  EXPECT_NE(drawer_.FontStock().Entry(), entry);
  ASSERT_EQ(FontsInfoManagerInstance().LookupFontsInfo(KeyOf(font_)), entry);
  EXPECT_EQ(entry->styles[TFontStyles{fsBold}.ToInt()].handle.get(), bold);
  drawer_.SetBaseFont(&font_);
  EXPECT_EQ(drawer_.FontStock().Entry(), entry);
  EXPECT_EQ(Draw("mov eax, 1", {fsBold}), before);
  EXPECT_EQ(drawer_.FontStock().StyleData().handle.get(), bold);
  // Setting the same font again keeps the one left too; releasing the
  // handles lets go of it.
  drawer_.SetBaseFont(&font_);
  const TFontsInfoEntry* gutter_entry = FontsInfoManagerInstance().LookupFontsInfo(KeyOf(gutter));
  ASSERT_NE(gutter_entry, nullptr);
  EXPECT_EQ(gutter_entry->handle_use_count, 1);
  drawer_.ReleaseStyleHandles();
  EXPECT_EQ(FontsInfoManagerInstance().LookupFontsInfo(KeyOf(gutter)), nullptr);
  EXPECT_EQ(Draw("mov eax, 1", {fsBold}), before);
}

// The secondary font is left alone while it is off, and takes the current
// style when it comes back on, whatever changed meanwhile.
TEST_F(TextDrawerTest, SecondaryFontFollowsTheStyleOnlyWhileOn) {
  // Not even made until it is used.
  EXPECT_EQ(FontsInfoManagerInstance().LookupFontsInfo(KeyOf(drawer_.SecondaryFont())), nullptr);
  const TheFontStock& secondary = drawer_.SecondaryFontStock();
  const TFontsInfoEntry* off_entry = secondary.Entry();
  Draw("x", {fsBold});
  EXPECT_EQ(off_entry->styles[TFontStyles{fsBold}.ToInt()].handle, nullptr);

  drawer_.SetUnicodeFontName(QStringLiteral("WenQuanYi Micro Hei"));
  const std::string text =
      "a\xE4\xB8\xAD"
      "b";
  const QImage bold = Draw(text, {fsBold}, kEtoOpaque | kEtoClipped);
  EXPECT_EQ(secondary.CurrentStyle(), TFontStyles{fsBold});
  drawer_.SetUnicodeFontName(QString());
  Draw(text, {}, kEtoOpaque | kEtoClipped);
  drawer_.SelectStyle({fsBold});
  drawer_.SetUnicodeFontName(QStringLiteral("WenQuanYi Micro Hei"));
  EXPECT_EQ(secondary.CurrentStyle(), TFontStyles{fsBold});
  EXPECT_EQ(Draw(text, {fsBold}, kEtoOpaque | kEtoClipped), bold);
  drawer_.SetUnicodeFontName(QString());
  drawer_.SelectStyle({});
  drawer_.SetUnicodeFontName(QStringLiteral("WenQuanYi Micro Hei"));
  EXPECT_EQ(secondary.CurrentStyle(), TFontStyles{});
}

TEST_F(TextDrawerTest, MissingFontIsRefused) {
  try {
    drawer_.SetBaseFont(nullptr);
    FAIL() << "no error";
  } catch (const EheTextDrawerException& e) {
    EXPECT_STREQ(e.what(), "SetBaseFont: 'Value' must be specified.");
  }
  EXPECT_GT(drawer_.GridWidth(), 0);
  EXPECT_THROW(TheTextDrawer({}, nullptr), EheTextDrawerException);
}

}  // namespace
}  // namespace torvane
