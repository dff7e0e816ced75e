// Colour resolution: byte order of explicit colours, system colours from the
// palette or the classic table, and the two markers.
#include "platform/gui/color.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace torvane {
namespace {

TEST(ColorTest, ExplicitColoursAreBlueGreenRed) {
  EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
  EXPECT_EQ(ToQColor(clBlue), QColor(0, 0, 255));
  EXPECT_EQ(ToQColor(clMaroon), QColor(128, 0, 0));
  EXPECT_EQ(ToQColor(9617866), QColor(0xCA, 0xC1, 0x92));  // folder bar line colour
  EXPECT_EQ(FromQColor(QColor(0xCA, 0xC1, 0x92)), 9617866u);
  EXPECT_EQ(ColorToRGB(clSilver), clSilver);
}

TEST(ColorTest, MarkersAreNoColourUnlessAFallbackIsGiven) {
  EXPECT_FALSE(ToQColor(clNone).isValid());
  EXPECT_FALSE(ToQColor(clDefault).isValid());
  EXPECT_EQ(ToQColor(clNone, QColor(Qt::green)), QColor(Qt::green));
  EXPECT_EQ(ToQColor(clRed, QColor(Qt::green)), QColor(255, 0, 0));
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(clDefault), clDefault);
}

TEST(ColorTest, SystemColoursFollowThePaletteOrTheClassicTable) {
  QPalette palette;
  palette.setColor(QPalette::Active, QPalette::Base, QColor(1, 2, 3));
  palette.setColor(QPalette::Active, QPalette::Text, QColor(4, 5, 6));
  palette.setColor(QPalette::Active, QPalette::Highlight, QColor(7, 8, 9));
  palette.setColor(QPalette::Active, QPalette::HighlightedText, QColor(10, 11, 12));
  palette.setColor(QPalette::Active, QPalette::Button, QColor(13, 14, 15));
  palette.setColor(QPalette::Disabled, QPalette::Text, QColor(16, 17, 18));
  palette.setColor(QPalette::Active, QPalette::ToolTipBase, QColor(19, 20, 21));
  EXPECT_EQ(ToQColor(clWindow, palette), QColor(1, 2, 3));
  EXPECT_EQ(ToQColor(clWindowText, palette), QColor(4, 5, 6));
  EXPECT_EQ(ToQColor(clHighlight, palette), QColor(7, 8, 9));
  EXPECT_EQ(ToQColor(clHighlightText, palette), QColor(10, 11, 12));
  EXPECT_EQ(ToQColor(clBtnFace, palette), QColor(13, 14, 15));
  EXPECT_EQ(ToQColor(clInfoBk, palette), QColor(19, 20, 21));
  EXPECT_EQ(ColorToRGB(clInfoBk, palette), 0x151413u);
  // The rest keep the classic values, whatever the palette says.
  EXPECT_EQ(ToQColor(cl3DDkShadow, palette), QColor(64, 64, 64));
  EXPECT_EQ(ToQColor(clBtnShadow, palette), QColor(128, 128, 128));
  EXPECT_EQ(ToQColor(clGrayText, palette), QColor(128, 128, 128));  // not the disabled grey
  EXPECT_EQ(ToQColor(kSystemColorFlag | 200, palette), QColor(Qt::black));
  // Without an explicit palette the application's applies.
  EXPECT_EQ(ToQColor(clHighlight),
            QApplication::palette().color(QPalette::Active, QPalette::Highlight));
}

}  // namespace
}  // namespace torvane
