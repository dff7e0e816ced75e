// Drawing and measuring formatted text: the documented examples drawn into
// images, colours, columns, spaces, images and the right-edge stop.
#include "completion/formatted_text.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "completion/completion_proposal.h"

namespace torvane {
namespace {

QFont TestFont() {
  return DefaultProposalFont();
}

QImage Draw(std::string_view text, const TImageList* images = nullptr,
            const TProposalColumns* columns = nullptr, bool selected = false,
            QColor pen = Qt::black, int* end_x = nullptr) {
  QImage image(200, 30, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(TestFont());
  painter.setPen(pen);
  const int x = DrawFormattedText(painter, QRect(0, 0, 200, 30), text, images, columns, selected);
  if (end_x != nullptr) {
    *end_x = x;
  }
  // The painter's font and pen are given back.
  EXPECT_EQ(painter.font(), TestFont());
  EXPECT_EQ(painter.pen().color(), pen);
  return image;
}

QImage Plain(const QString& text, const QFont& font, QColor pen = Qt::black) {
  QImage image(200, 30, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(pen);
  painter.drawText(0, QFontMetrics(font).ascent(), text);
  return image;
}

bool HasColour(const QImage& image, QRgb colour) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == colour) {
        return true;
      }
    }
  }
  return false;
}

TEST(FormattedTextTest, TheDocumentedExamplesAsDrawn) {
  // Two backslashes show one.
  EXPECT_EQ(Draw("\\\\"), Plain(QStringLiteral("\\"), TestFont()));
  // +B before x draws a bold x.
  QFont bold = TestFont();
  bold.setBold(true);
  EXPECT_EQ(Draw("\\style{+B}x"), Plain(QStringLiteral("x"), bold));
  // An unknown command draws nothing.
  QImage blank(200, 30, QImage::Format_RGB32);
  blank.fill(Qt::white);
  EXPECT_EQ(Draw("\\foo{1}"), blank);
  EXPECT_EQ(MeasureFormattedText(TestFont(), "\\foo{1}", nullptr, nullptr), 0);
}

TEST(FormattedTextTest, StylesToggleAndColoursFollowUnlessSelected) {
  QFont bold = TestFont();
  bold.setBold(true);
  EXPECT_EQ(Draw("\\style{~B}\\style{~B}x"), Plain(QStringLiteral("x"), TestFont()));
  EXPECT_EQ(Draw("\\style{~B}x"), Plain(QStringLiteral("x"), bold));
  EXPECT_EQ(Draw("\\style{+B}\\style{-b}x"), Plain(QStringLiteral("x"), TestFont()));
  EXPECT_EQ(MeasureFormattedText(TestFont(), "\\style{+B}mov", nullptr, nullptr),
            QFontMetrics(bold).horizontalAdvance(QStringLiteral("mov")));
  // Colour names, $ hexadecimal and decimal all reach the pen.
  EXPECT_EQ(Draw("\\color{clRed}W"), Plain(QStringLiteral("W"), TestFont(), Qt::red));
  EXPECT_EQ(Draw("\\color{$00FF00}W"), Plain(QStringLiteral("W"), TestFont(), QColor(0, 255, 0)));
  EXPECT_EQ(Draw("\\color{16711680}W"), Plain(QStringLiteral("W"), TestFont(), Qt::blue));
  // A selected item keeps the selected text colour.
  EXPECT_FALSE(HasColour(Draw("\\color{clRed}WWW", nullptr, nullptr, true), qRgb(255, 0, 0)));
}

TEST(FormattedTextTest, ColumnsSpacesAndImages) {
  const QFontMetrics metrics(TestFont());
  TProposalColumns columns = {{"longest", {}}, {"x", TFontStyles{fsItalic}}};
  const int column = metrics.horizontalAdvance(QStringLiteral("longest "));
  EXPECT_EQ(MeasureFormattedText(TestFont(), "a\\column{}b", &columns, nullptr),
            column + QFontMetrics([] {
                       QFont f = TestFont();
                       f.setItalic(true);
                       return f;
                     }())
                         .horizontalAdvance(QStringLiteral("b")));
  // Without columns left a column command does nothing.
  EXPECT_EQ(MeasureFormattedText(TestFont(), "\\column{}", nullptr, nullptr), 0);
  EXPECT_EQ(MeasureFormattedText(TestFont(), "\\hspace{17}", nullptr, nullptr), 17);
  // An image without an image list draws nothing and takes no room.
  EXPECT_EQ(MeasureFormattedText(TestFont(), "\\image{0}", nullptr, nullptr), 0);
  TImageList images(12, 12);
  QImage red(12, 12, QImage::Format_ARGB32);
  red.fill(Qt::red);
  images.Add(red);
  EXPECT_EQ(MeasureFormattedText(TestFont(), "\\image{0}\\image{5}", nullptr, &images), 24);
  const QImage drawn = Draw("\\hspace{3}\\image{0}", &images);
  EXPECT_EQ(drawn.pixel(3, 0), qRgb(255, 0, 0));
  EXPECT_EQ(drawn.pixel(2, 0), qRgb(255, 255, 255));
}

TEST(FormattedTextTest, DrawingStopsOncePastTheRightEdge) {
  int end = 0;
  Draw("\\hspace{250}abc", nullptr, nullptr, false, Qt::black, &end);
  EXPECT_EQ(end, 250);
}

}  // namespace
}  // namespace torvane
