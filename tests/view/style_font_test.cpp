// A style font's idle warm-up: it runs for every font once the event loop
// is idle, forgets fonts destroyed before their turn, and leaves every
// character's glyph as a lookup without it finds it.
#include "view/style_font.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <random>
#include <vector>

#include "drawer_test_support.h"

namespace torvane {
namespace {

void Idle() {
  QEventLoop loop;
  QTimer::singleShot(50, &loop, &QEventLoop::quit);
  loop.exec();
}

QFont StyleVariant(int k) {
  QFont font = test::EditorFont(12 + k);
  font.setBold((k & 1) != 0);
  font.setItalic((k & 2) != 0);
  return font;
}

TEST(StyleFontTest, WarmUpRunsForEveryFontAndForgetsDestroyedOnes) {
  std::vector<std::unique_ptr<TStyleFont>> fonts;
  for (int k = 0; k < 6; ++k) {
    fonts.push_back(std::make_unique<TStyleFont>(StyleVariant(k)));
  }
  // Gone before their turn: the warm-up must not reach them.
  fonts[1].reset();
  fonts[4].reset();
  EXPECT_FALSE(fonts[0]->Knows(U'\u4E2D'));
  Idle();
  for (const auto& font : fonts) {
    if (font != nullptr) {
      EXPECT_TRUE(font->Knows(U'\u4E2D'));
    }
  }
  // A font made and dropped while nothing waits leaves no turn behind.
  auto late = std::make_unique<TStyleFont>(StyleVariant(0));
  late.reset();
  Idle();
}

// Seeded: characters of several scripts, each looked up by a font whose
// warm-up ran first and by one whose warm-up had not run, give the same
// glyph from the same font in the same cells.
TEST(StyleFontTest, WarmUpChangesNoGlyph) {
  std::mt19937 random(33);
  const char32_t ranges[][2] = {
      {0x4E00, 0x9FA5}, {0x3040, 0x30FF}, {0xAC00, 0xD7A3}, {0x00A0, 0x024F}, {0x0370, 0x03FF},
      {0x0400, 0x04FF}, {0x2000, 0x206F}, {0xFF01, 0xFF5E}, {0x0600, 0x06FF}, {0x1F300, 0x1F5FF}};
  std::vector<char32_t> chars = {U'\u4E2D', 0xFFFD};
  for (int i = 0; i < 120; ++i) {
    const auto& r = ranges[random() % std::size(ranges)];
    chars.push_back(r[0] + static_cast<char32_t>(random() % (r[1] - r[0] + 1)));
  }
  for (int k = 0; k < 4; ++k) {
    TStyleFont warmed(StyleVariant(k));
    Idle();
    ASSERT_TRUE(warmed.Knows(U'\u4E2D'));
    TStyleFont cold(StyleVariant(k));
    for (const char32_t c : chars) {
      const TGlyphRef a = warmed.GlyphOf(c);
      const TGlyphRef b = cold.GlyphOf(c);
      EXPECT_EQ(a.glyph, b.glyph) << std::hex << static_cast<unsigned>(c);
      EXPECT_EQ(a.cells, b.cells);
      EXPECT_EQ(a.blank, b.blank);
      EXPECT_TRUE(warmed.RawFont(a.font) == cold.RawFont(b.font))
          << std::hex << static_cast<unsigned>(c);
    }
  }
}

}  // namespace
}  // namespace torvane
