// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/canvas.h"

#include <gtest/gtest.h>

#include <QPalette>
#include <array>

#include "ui/system_colors.h"

namespace orlenta {
namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

QImage Blank(int w, int h, QRgb color = kWhite) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

// The pixels of row `y` from x0 to x1 inclusive that hold `color`, as a string of 1 and 0.
std::string Row(const Canvas& c, int y, int x0, int x1, QRgb color) {
  std::string s;
  for (int x = x0; x <= x1; ++x) s += *c.GetPixel(x, y) == color ? '1' : '0';
  return s;
}

TEST(CanvasLines, LeaveOutTheirLastPointInEveryDirection) {
  QImage image = Blank(10, 10);
  Canvas c(image);
  c.SelectPen(kRed);
  c.Line({2, 1}, {6, 1});
  EXPECT_EQ(Row(c, 1, 0, 9, kRed), "0011110000");
  c.Line({6, 3}, {2, 3});
  EXPECT_EQ(Row(c, 3, 0, 9, kRed), "0001111000");
  c.Line({4, 5}, {4, 8});
  EXPECT_EQ(*c.GetPixel(4, 5), kRed);
  EXPECT_EQ(*c.GetPixel(4, 7), kRed);
  EXPECT_EQ(*c.GetPixel(4, 8), kWhite);
  c.Line({0, 5}, {3, 8});  // a diagonal too
  EXPECT_EQ(*c.GetPixel(2, 7), kRed);
  EXPECT_EQ(*c.GetPixel(3, 8), kWhite);
  EXPECT_EQ(c.CurrentPosition(), QPoint(3, 8));
}

TEST(CanvasLines, ZeroLengthDrawsNothingAndOutsidePointsAreClipped) {
  QImage image = Blank(4, 4);
  Canvas c(image);
  c.SelectPen(kRed);
  c.Line({1, 1}, {1, 1});
  EXPECT_EQ(*c.GetPixel(1, 1), kWhite);
  c.Line({-5, 2}, {10, 2});
  EXPECT_EQ(Row(c, 2, 0, 3, kRed), "1111");
  EXPECT_FALSE(c.GetPixel(4, 0).has_value());
  EXPECT_FALSE(c.GetPixel(-1, 0).has_value());
}

TEST(CanvasLines, PolylineDrawsInnerCornersOnceAndLeavesOutTheEnd) {
  QImage image = Blank(8, 8);
  Canvas c(image);
  c.SelectPen(kBlue);
  const std::array<QPoint, 3> points{{{1, 6}, {1, 1}, {5, 1}}};
  c.Polyline(points);
  EXPECT_EQ(*c.GetPixel(1, 6), kBlue);
  EXPECT_EQ(*c.GetPixel(1, 1), kBlue);  // the corner
  EXPECT_EQ(*c.GetPixel(4, 1), kBlue);
  EXPECT_EQ(*c.GetPixel(5, 1), kWhite);  // the end
}

TEST(CanvasBrushes, SolidPatternAndPictureFills) {
  QImage image = Blank(16, 4);
  Canvas c(image);
  c.FillRect(EdgeRect(1, 1, 3, 3), Brush::Solid(kRed));
  EXPECT_EQ(*c.GetPixel(1, 1), kRed);
  EXPECT_EQ(*c.GetPixel(2, 2), kRed);
  EXPECT_EQ(*c.GetPixel(3, 2), kWhite);  // right edge exclusive

  // A checkerboard: set bits in the background colour, clear ones in the text colour,
  // anchored at the canvas's origin.
  c.SetTextColor(kBlue);
  c.SetBackgroundColor(kRed);
  c.FillRect(EdgeRect(4, 0, 12, 2),
             Brush::Pattern8x8({0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}));
  EXPECT_EQ(Row(c, 0, 4, 11, kRed), "01010101");  // 0x55: bit 7 (x 4 mod 8 = 4) ...
  EXPECT_EQ(Row(c, 1, 4, 11, kRed), "10101010");
  EXPECT_EQ(*c.GetPixel(4, 0), kBlue);

  QImage tile = Blank(2, 1, kRed);
  tile.setPixel(1, 0, kBlue);
  c.FillRect(EdgeRect(13, 3, 16, 4), Brush::Picture(tile));
  EXPECT_EQ(Row(c, 3, 13, 15, kRed), "010");  // x 13 is odd: the tile's second column
}

TEST(CanvasCopies, CopyIsClippedAndOneBitPicturesTakeTheTextColours) {
  QImage source = Blank(3, 3, kRed);
  source.setPixel(2, 2, kBlue);
  QImage image = Blank(4, 4);
  Canvas c(image);
  c.CopyBits({2, 2}, {3, 3}, source, {0, 0});
  EXPECT_EQ(*c.GetPixel(2, 2), kRed);
  EXPECT_EQ(*c.GetPixel(3, 3), kRed);
  EXPECT_EQ(*c.GetPixel(1, 1), kWhite);
  c.CopyBits({0, 0}, {2, 2}, source, {1, 1});  // from inside the source
  EXPECT_EQ(*c.GetPixel(1, 1), kBlue);

  QImage mono(2, 1, QImage::Format_Mono);
  mono.setColor(0, qRgb(0, 0, 0));
  mono.setColor(1, qRgb(255, 255, 255));
  mono.setPixel(0, 0, 0);
  mono.setPixel(1, 0, 1);
  c.SetTextColor(qRgb(1, 2, 3));
  c.SetBackgroundColor(qRgb(4, 5, 6));
  c.CopyBits({0, 3}, {2, 1}, mono, {0, 0});
  EXPECT_EQ(*c.GetPixel(0, 3), qRgb(1, 2, 3));
  EXPECT_EQ(*c.GetPixel(1, 3), qRgb(4, 5, 6));
}

TEST(CanvasCopies, StretchPicksTheNearestSourcePixel) {
  QImage source = Blank(2, 1, kRed);
  source.setPixel(1, 0, kBlue);
  QImage image = Blank(4, 2);
  Canvas c(image);
  c.StretchBits(QRect(0, 0, 4, 2), source, source.rect());
  EXPECT_EQ(Row(c, 0, 0, 3, kRed), "1100");
  EXPECT_EQ(Row(c, 1, 0, 3, kBlue), "0011");
}

// A 7 x 7 white image with a red square outline from (1, 1) to (5, 5).
QImage Boxed() {
  QImage image = Blank(7, 7);
  Canvas c(image);
  c.SelectPen(kRed);
  const std::array<QPoint, 5> box{{{1, 1}, {5, 1}, {5, 5}, {1, 5}, {1, 1}}};
  c.Polyline(box);
  return image;
}

TEST(CanvasFloodFill, BorderFillStopsAtTheColourEvenWhenPaintingWithIt) {
  QImage image = Boxed();
  Canvas c(image);
  ASSERT_TRUE(c.FloodFill(3, 3, kRed, Brush::Solid(kRed)));
  EXPECT_EQ(Row(c, 3, 0, 6, kRed), "0111110");                 // inside filled, outside untouched
  EXPECT_FALSE(c.FloodFill(1, 1, kRed, Brush::Solid(kBlue)));  // starts on the border
  EXPECT_FALSE(c.FloodFill(9, 9, kRed, Brush::Solid(kBlue)));  // outside the image
}

TEST(CanvasFloodFill, SurfaceFillTakesOnlyConnectedPixelsOfTheColour) {
  QImage image = Boxed();
  Canvas c(image);
  ASSERT_TRUE(c.ExtFloodFill(0, 0, kWhite, FloodFillType::kSurface, Brush::Solid(kBlue)));
  EXPECT_EQ(*c.GetPixel(6, 6), kBlue);
  EXPECT_EQ(*c.GetPixel(3, 3), kWhite);  // enclosed by the box: not connected
  EXPECT_EQ(*c.GetPixel(1, 1), kRed);
  EXPECT_FALSE(c.ExtFloodFill(1, 1, kWhite, FloodFillType::kSurface, Brush::Solid(kBlue)));
}

TEST(CanvasEdges, SunkenOuterEdgeShadowsTopLeftAndLightsBottomRight) {
  QImage image = Blank(6, 5, qRgb(1, 1, 1));
  Canvas c(image);
  c.DrawSunkenOuterEdge(QRect(0, 0, 6, 5));
  const QRgb shadow = GetSysColor(COLOR_3DSHADOW);
  const QRgb light = GetSysColor(COLOR_3DHILIGHT);
  EXPECT_EQ(*c.GetPixel(0, 0), shadow);
  EXPECT_EQ(*c.GetPixel(4, 0), shadow);
  EXPECT_EQ(*c.GetPixel(0, 3), shadow);
  EXPECT_EQ(*c.GetPixel(5, 0), light);
  EXPECT_EQ(*c.GetPixel(0, 4), light);
  EXPECT_EQ(*c.GetPixel(5, 4), light);
  EXPECT_EQ(*c.GetPixel(2, 2), qRgb(1, 1, 1));
}

// Counts the rows between y0 and y1 that have any non-white pixel.
int InkedRows(const QImage& image, int y0, int y1) {
  int rows = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
        ++rows;
        break;
      }
  return rows;
}

TEST(CanvasText, AmpersandUnderlinesTheNextCharacterOnly) {
  const auto render = [](const QString& text, unsigned flags) {
    QImage image = Blank(60, 20);
    Canvas c(image);
    c.SetBackgroundMode(BackgroundMode::kTransparent);
    c.DrawText(text, QRect(0, 0, 60, 20), kTextVCenter | flags);
    return image;
  };
  const QImage plain = render("File", 0);
  const QImage marked = render("&File", 0);
  EXPECT_NE(plain, marked);                                      // the underline
  EXPECT_GT(InkedRows(marked, 0, 19), InkedRows(plain, 0, 19));  // below the letters
  EXPECT_EQ(render("A&&B", 0), render("A&B", kTextNoPrefix));
}

TEST(SystemColors, ClassicSetAndPaletteMapping) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), qRgb(192, 192, 192));
  EXPECT_EQ(GetSysColor(COLOR_3DSHADOW), qRgb(128, 128, 128));
  EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), qRgb(64, 64, 64));
  EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), qRgb(223, 223, 223));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), qRgb(0, 0, 128));
  EXPECT_EQ(GetSysColor(-1), qRgb(0, 0, 0));
  EXPECT_EQ(GetSysColor(kSystemColorCount), qRgb(0, 0, 0));

  QPalette palette;
  palette.setColor(QPalette::Button, QColor(10, 20, 30));
  palette.setColor(QPalette::Highlight, QColor(40, 50, 60));
  palette.setColor(QPalette::Dark, QColor(70, 80, 90));
  palette.setColor(QPalette::Window, QColor(1, 2, 3));
  UseSystemColorsOf(palette);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), qRgb(10, 20, 30));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), qRgb(40, 50, 60));
  EXPECT_EQ(GetSysColor(COLOR_3DSHADOW), qRgb(70, 80, 90));
  EXPECT_EQ(GetSysColor(COLOR_MENU), qRgb(1, 2, 3));
  UseClassicSystemColors();
}

TEST(SystemColors, StandardGreysFollowThe3DColours) {
  QPalette palette;
  palette.setColor(QPalette::Dark, QColor(1, 1, 1));
  palette.setColor(QPalette::Button, QColor(2, 2, 2));
  palette.setColor(QPalette::Midlight, QColor(3, 3, 3));
  UseSystemColorsOf(palette);
  QImage image(4, 1, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(128, 128, 128));
  image.setPixel(1, 0, qRgb(192, 192, 192));
  image.setPixel(2, 0, qRgb(223, 223, 223));
  image.setPixel(3, 0, qRgb(192, 192, 193));
  const QImage mapped = MapThreeDColors(image);
  UseClassicSystemColors();
  EXPECT_EQ(mapped.pixel(0, 0), qRgb(1, 1, 1));
  EXPECT_EQ(mapped.pixel(1, 0), qRgb(2, 2, 2));
  EXPECT_EQ(mapped.pixel(2, 0), qRgb(3, 3, 3));
  EXPECT_EQ(mapped.pixel(3, 0), qRgb(192, 192, 193));
}

}  // namespace
}  // namespace orlenta
