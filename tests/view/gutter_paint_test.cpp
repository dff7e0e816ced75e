// The gutter's paint pass probed pixel by pixel in a rendered image, and the
// glyph helpers it draws with.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <vector>

#include "drawer_test_support.h"
#include "editor/edit_model.h"
#include "view/bookmark_options.h"
#include "view/gutter.h"
#include "view/gutter_glyphs.h"
#include "view/gutter_painter.h"
#include "view/text_drawer.h"

namespace torvane {
namespace {

constexpr int kExtent = 60;
constexpr int kRow = 18;
constexpr QRgb kSilver = 0xFFC0C0C0;

struct TGutterScene {
  explicit TGutterScene(int lines = 20) : font(test::EditorFont(14)), drawer({}, &font) {
    for (int i = 0; i < lines; ++i) {
      model.Lines().AppendLine("mov ax, bx");
    }
    gutter.SetColor(clSilver);
    gutter.SetFontColor(clBlack);
    gutter.SetFont(font);
    gutter.SetShowLineNumbers(true);
    gutter.SetBorderStyle(gbsNone);
    context.Model = &model;
    context.Gutter = &gutter;
    context.BookMarkOptions = &bookmarks;
    context.Drawer = &drawer;
    context.EditorFont = &font;
    context.GutterExtent = kExtent;
    context.RowHeight = kRow;
    context.ClientHeight = 200;
    context.GutterCharWidth = drawer.GridWidth();
    context.LinePainted = [this](int line, int x, int) { painted.emplace_back(line, x); };
  }

  QImage Paint(int first_row = 1, int last_row = 11) {
    QImage image(100, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painted.clear();
    painter_.PaintGutterArea(painter, QRect(0, 0, kExtent, 200), first_row, last_row, context);
    return image;
  }

  TSrcEditMark& AddMark(int line, int glyph, int slot, bool built_in) {
    auto mark = std::make_unique<TSrcEditMark>();
    mark->SetLine(line);
    mark->SetGlyphIndex(glyph);
    mark->SetBookmarkSlot(slot);
    mark->SetUseBuiltInImage(built_in);
    mark->SetVisible(true);
    return model.Marks().Add(std::move(mark));
  }

  QFont font;
  TheTextDrawer drawer;
  TSrcEditModel model;
  TSrcGutter gutter;
  TSrcBookMarkOpt bookmarks;
  TGutterPaintContext context;
  TGutterPainter painter_;
  std::vector<std::pair<int, int>> painted;
};

// Rows of the box that hold a pixel other than `background`.
int RowsWithInk(const QImage& image, const QRect& box, QRgb background = kSilver) {
  int rows = 0;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) {
      if (image.pixel(x, y) != background) {
        ++rows;
        break;
      }
    }
  }
  return rows;
}

TEST(GutterPaint, NumbersRightAlignedOnTheGutterColour) {
  TGutterScene scene;
  const QImage image = scene.Paint();
  EXPECT_EQ(image.pixel(3, 3), kSilver);
  // "   1": ink only in the last digit's cell, which ends 2 pixels before the
  // right offset.
  const int cell = scene.drawer.GridWidth();
  const int right = kExtent - 2 - 2;
  EXPECT_GT(test::InkIn(image, QRect(right - cell, 0, cell, kRow), QColor(kSilver)), 0);
  EXPECT_EQ(test::InkIn(image, QRect(0, 0, right - cell, kRow), QColor(kSilver)), 0);
  EXPECT_EQ(test::InkIn(image, QRect(right, 0, kExtent - right, kRow), QColor(kSilver)), 0);
  // Line 10 has two digits; rows past the text are plain gutter colour.
  EXPECT_GT(test::InkIn(image, QRect(right - 2 * cell, 9 * kRow, cell, kRow), QColor(kSilver)), 0);
  EXPECT_EQ(test::InkIn(image, QRect(0, 0, kExtent, 200), Qt::white), kExtent * 200);
  TGutterScene short_text(3);
  const QImage rest = short_text.Paint();
  EXPECT_EQ(test::InkIn(rest, QRect(0, 3 * kRow, kExtent, 200 - 3 * kRow), QColor(kSilver)), 0);
  // Without line numbers the band is only the colour.
  scene.gutter.SetShowLineNumbers(false);
  EXPECT_EQ(test::InkIn(scene.Paint(), QRect(0, 0, kExtent, 200), QColor(kSilver)), 0);
}

TEST(GutterPaint, BorderStyles) {
  TGutterScene scene;
  scene.gutter.SetBorderColor(clRed);
  scene.gutter.SetBorderStyle(gbsMiddle);
  QImage image = scene.Paint();
  EXPECT_EQ(image.pixel(kExtent - 2, 50), 0xFFFF0000);
  EXPECT_EQ(image.pixel(kExtent - 1, 50), kSilver);
  scene.gutter.SetBorderStyle(gbsRight);
  image = scene.Paint();
  EXPECT_EQ(image.pixel(kExtent - 2, 50), kSilver);
  EXPECT_EQ(image.pixel(kExtent - 1, 50), 0xFFFF0000);
}

TEST(GutterPaint, IntensDrawsDashes) {
  TGutterScene scene;
  scene.gutter.SetIntens(true);
  scene.model.SetCaretPos({1, 3});
  const QImage image = scene.Paint();
  auto box = [](int line) { return QRect(0, (line - 1) * kRow, kExtent, kRow); };
  EXPECT_EQ(RowsWithInk(image, box(5)), 1);   // one pixel high
  EXPECT_EQ(RowsWithInk(image, box(7)), 2);   // two pixels high
  EXPECT_GT(RowsWithInk(image, box(10)), 2);  // "10" as text
  EXPECT_GT(RowsWithInk(image, box(3)), 2);   // the caret line's number
  // The short dash of line 5 sits at the row's middle, left of the offset.
  const int c = scene.context.GutterCharWidth;
  const int w = kExtent - 2 - 2;
  const int y = 4 * kRow + (kRow - 1) / 2;
  EXPECT_EQ(image.pixel(w + (c - 4) / 2 - c, y), 0xFF000000);
  EXPECT_EQ(image.pixel(w - (c - 4) / 2 - 1, y), 0xFF000000);
  EXPECT_EQ(image.pixel(w - (c - 4) / 2, y), kSilver);
}

TEST(GutterPaint, ModifiedLineBars) {
  TGutterScene scene;
  scene.gutter.SetRightOffset(7);
  scene.gutter.SetShowLineModified(true);
  scene.model.Lines().SetChangeState(0, lcsUnchanged);
  scene.model.Lines().SetChangeState(1, lcsSaved);
  scene.model.Lines().SetChangeState(3, lcsModified);
  const QImage image = scene.Paint();
  const int x = kExtent - 7;
  EXPECT_EQ(image.pixel(x, kRow / 2), kSilver);
  EXPECT_EQ(image.pixel(x, kRow + kRow / 2), 0xFF00FF00);          // saved: lime
  EXPECT_EQ(image.pixel(x + 4, 3 * kRow + kRow / 2), 0xFFFFFF00);  // modified: yellow
  EXPECT_EQ(image.pixel(x + 5, 3 * kRow + kRow / 2), kSilver);
}

TEST(GutterPaint, BuiltInBookmarkGlyphs) {
  TGutterScene scene;
  scene.gutter.SetShowLineNumbers(false);
  scene.AddMark(2, 3, 3, true);
  scene.AddMark(2, 5, 5, true);    // a second built-in glyph on the row is not drawn
  scene.AddMark(4, 12, 12, true);  // no such glyph: nothing, no room taken
  EXPECT_FALSE(scene.painter_.HasBuiltInStrip());
  const QImage image = scene.Paint();
  EXPECT_TRUE(scene.painter_.HasBuiltInStrip());
  EXPECT_GT(test::InkIn(image, QRect(2, kRow, 11, kRow), QColor(kSilver)), 40);
  EXPECT_EQ(test::InkIn(image, QRect(14, kRow, kExtent - 14, kRow), QColor(kSilver)), 0);
  EXPECT_EQ(test::InkIn(image, QRect(0, 3 * kRow, kExtent, kRow), QColor(kSilver)), 0);
  ASSERT_EQ(scene.painted.size(), 11u);
  EXPECT_EQ(scene.painted[1], std::make_pair(2, 12));
  EXPECT_EQ(scene.painted[3], std::make_pair(4, 0));
  // Hidden glyphs: nothing drawn, yet every line is reported.
  scene.bookmarks.SetGlyphsVisible(false);
  EXPECT_EQ(test::InkIn(scene.Paint(), QRect(0, 0, kExtent, 200), QColor(kSilver)), 0);
  EXPECT_EQ(scene.painted[1], std::make_pair(2, 0));
}

TEST(GutterPaint, ImageListMarksBookmarksFirst) {
  TGutterScene scene;
  scene.gutter.SetShowLineNumbers(false);
  TImageList images(10, 10);
  QImage red(10, 10, QImage::Format_RGB32);
  red.fill(Qt::red);
  QImage blue(10, 10, QImage::Format_RGB32);
  blue.fill(Qt::blue);
  images.Add(red);
  images.Add(blue);
  scene.bookmarks.SetBookmarkImages(&images);
  scene.AddMark(6, 1, -1, false);  // a plain mark, first in the list
  scene.AddMark(6, 0, 0, false);   // a numbered bookmark
  const QImage image = scene.Paint();
  const int top = 5 * kRow;
  EXPECT_EQ(image.pixel(2, top + 1), 0xFFFF0000);       // bookmark at LeftMargin
  EXPECT_EQ(image.pixel(2 + 12, top + 1), 0xFF0000FF);  // the other at + Xoffset
  EXPECT_EQ(scene.painted[5], std::make_pair(6, 24));
  scene.bookmarks.SetDrawBookmarksFirst(false);
  const QImage swapped = scene.Paint();
  EXPECT_EQ(swapped.pixel(2, top + 1), 0xFF0000FF);
}

TEST(GutterPaint, GradientBandsAndOffsetColours) {
  TGutterScene scene;
  scene.gutter.SetShowLineNumbers(false);
  scene.gutter.SetGradient(true);
  scene.gutter.SetGradientStartColor(clRed);
  scene.gutter.SetGradientEndColor(clBlue);
  scene.gutter.SetGradientSteps(4);
  QImage image = scene.Paint();
  EXPECT_EQ(image.pixel(0, 20), 0xFFFF0000);
  EXPECT_EQ(image.pixel(kExtent - 1, 20), 0xFF0000FF);
  EXPECT_EQ(image.pixel(20, 20), 0xFFAA0055u);
  scene.gutter.SetLeftOffsetColor(clLime);
  scene.gutter.SetLeftOffset(5);
  image = scene.Paint();
  EXPECT_EQ(image.pixel(4, 190), 0xFF00FF00);
  EXPECT_EQ(image.pixel(5, 190), 0xFFFF0000);

  QImage bands(300, 1, QImage::Format_RGB32);
  QPainter painter(&bands);
  FillGradient(painter, clBlack, clWhite, true, bands.rect(), 1000);  // used as 256
  EXPECT_EQ(bands.pixel(0, 0), 0xFF000000);
  EXPECT_EQ(bands.pixel(299, 0), 0xFFFFFFFF);
  EXPECT_EQ(bands.pixel(2, 0), 0xFF020202);  // band 2 starts at MulDiv(2, 300, 256)
}

TEST(GutterGlyphs, SharedStripsAndMaskedGlyphs) {
  ASSERT_EQ(TSrcInternalImage::SharedEntryCount(), 0);
  {
    TSrcInternalImage a(kInternalImagesResource, kBookmarkImageCount);
    TSrcInternalImage b("srceditinternalimages", kBookmarkImageCount);
    EXPECT_EQ(TSrcInternalImage::SharedEntryCount(), 1);
    EXPECT_EQ(TSrcInternalImage::UsageCount("SRCEDITINTERNALIMAGES"), 2);
    EXPECT_EQ(a.Width(), 11);
    EXPECT_EQ(a.Height(), 14);
    QImage image = test::WhiteImage(40, 30);
    QPainter painter(&image);
    a.DrawImage(painter, 10, 30, 0, 0);  // outside the strip
    a.DrawImage(painter, -1, 30, 0, 0);
    EXPECT_EQ(test::InkIn(image, image.rect()), 0);
    a.DrawImage(painter, 0, 30, 0, 0);  // centred in a high row
    EXPECT_EQ(test::InkIn(image, QRect(0, 0, 40, 8)), 0);
    EXPECT_GT(test::InkIn(image, QRect(0, 8, 11, 14)), 40);
  }
  EXPECT_EQ(TSrcInternalImage::SharedEntryCount(), 0);

  TSrcGlyph wrapped(kWrappedResource, clLime);
  EXPECT_TRUE(wrapped.HasBuiltIn());
  EXPECT_EQ(wrapped.GlyphWidth(), 15);
  QImage image = test::WhiteImage(20, 10);
  QPainter painter(&image);
  wrapped.DrawGlyph(painter, 0, 10, 0);  // a row lower than the picture: its middle band
  painter.end();
  int lime = 0;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      lime += image.pixel(x, y) == 0xFF00FF00 ? 1 : 0;
    }
  }
  EXPECT_EQ(lime, 0);
  EXPECT_GT(test::InkIn(image, image.rect()), 10);

  TSrcGlyph empty;
  EXPECT_EQ(empty.GlyphWidth(), 0);
  int changes = 0;
  empty.OnChange = [&] { ++changes; };
  empty.CopyFrom(wrapped);  // takes the built-in picture
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(empty.GlyphWidth(), 15);
  QImage own(4, 4, QImage::Format_RGB32);
  own.fill(Qt::red);
  empty.SetGlyph(own);
  EXPECT_EQ(empty.GlyphWidth(), 4);
  EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace torvane
