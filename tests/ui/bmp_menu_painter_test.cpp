// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <set>

#include "ui/bmp_menu_item_painter.h"
#include "ui/bmp_menu_picture.h"
#include "ui/system_colors.h"

namespace orlenta {
namespace {

// Items are 120 x 22: a 22-pixel picture square from x = 1, text from x = 25.
const QSize kItem(120, 22);
constexpr int kTextLeft = 25;

QImage Filled(QSize size, QRgb color) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

// A picture whose column x has a colour of its own (none of the four classic tones).
QImage ColumnCoded(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int x = 0; x < width; ++x)
    for (int y = 0; y < height; ++y) image.setPixel(x, y, qRgb(10 + x, 20, 30));
  return image;
}

QRgb At(const QImage& image, int x, int y) {
  return image.pixel(x, y) | 0xFF000000u;
}

// Every colour in the text part of an item.
std::set<QRgb> TextColors(const QImage& item) {
  std::set<QRgb> colors;
  for (int y = 0; y < item.height(); ++y)
    for (int x = kTextLeft; x < item.width() - 12; ++x) colors.insert(At(item, x, y));
  return colors;
}

QFont TestFont() {
  QFont font = QApplication::font("QMenu");
  font.setPixelSize(13);
  return font;
}

MenuItem WithPicture(const QImage& picture, unsigned state = 0) {
  MenuItem item("&Deutch", 32773, state);
  item.uncheckedPicture = picture;
  item.checkedPicture = picture;
  return item;
}

class MenuItemPainterTest : public ::testing::Test {
 protected:
  void TearDown() override { UseClassicSystemColors(); }

  // System colours that differ from every classic tone, so a recoloured pixel shows where
  // it came from.
  static void UseDistinctColors() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x11, 0x22, 0x33));      // menu
    palette.setColor(QPalette::Highlight, QColor(0x44, 0x55, 0x66));   // highlight
    palette.setColor(QPalette::ButtonText, QColor(0x77, 0x00, 0x00));  // button text
    palette.setColor(QPalette::Dark, QColor(0x00, 0x77, 0x00));        // 3-D shadow
    palette.setColor(QPalette::Light, QColor(0x00, 0x00, 0x77));       // 3-D highlight
    UseSystemColorsOf(palette);
  }
};

TEST_F(MenuItemPainterTest, LightGreyTakesTheHighlightWhenHotAndTheMenuColourOtherwise) {
  UseDistinctColors();
  const MenuItem item = WithPicture(Filled({22, 22}, qRgb(0xC0, 0xC0, 0xC0)));
  const QImage hot = PaintMenuItem(item, kItem, true, TestFont());
  const QImage normal = PaintMenuItem(item, kItem, false, TestFont());
  EXPECT_EQ(At(hot, 11, 11), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(At(normal, 11, 11), GetSysColor(COLOR_MENU));
}

TEST_F(MenuItemPainterTest, RecolouringFollowsTheTableAndKeepsOtherColours) {
  UseDistinctColors();
  QImage picture(5, 1, QImage::Format_RGB32);
  const QRgb tones[] = {qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(192, 192, 192),
                        qRgb(255, 255, 255), qRgb(1, 2, 3)};
  for (int x = 0; x < 5; ++x) picture.setPixel(x, 0, tones[x]);
  const QImage copy = RecolorMenuPicture(picture, false, false);
  EXPECT_EQ(At(copy, 0, 0), GetSysColor(COLOR_BTNTEXT));
  EXPECT_EQ(At(copy, 1, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(At(copy, 2, 0), GetSysColor(COLOR_MENU));
  EXPECT_EQ(At(copy, 3, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(At(copy, 4, 0), qRgb(1, 2, 3));
  EXPECT_EQ(At(picture, 0, 0), qRgb(0, 0, 0));  // the caller's picture is left alone
  EXPECT_TRUE(RecolorMenuPicture(QImage(), false, false).isNull());
}

TEST_F(MenuItemPainterTest, PictureAsWideAsTheSquareShowsItsCentreAndNarrowerIsCentred) {
  // 26 wide in a 22 square: columns 2..23 show, starting at the square's left (x = 1).
  QImage wide = PaintMenuItem(WithPicture(ColumnCoded(26, 22)), kItem, false, TestFont());
  EXPECT_EQ(At(wide, 1, 5), qRgb(10 + 2, 20, 30));
  EXPECT_EQ(At(wide, 22, 5), qRgb(10 + 23, 20, 30));
  // Exactly as wide: cut at offset 0, not centred.
  QImage same = PaintMenuItem(WithPicture(ColumnCoded(22, 22)), kItem, false, TestFont());
  EXPECT_EQ(At(same, 1, 5), qRgb(10, 20, 30));
  // 10 x 10: centred 6 pixels in; the square around it keeps the menu colour.
  QImage narrow = PaintMenuItem(WithPicture(ColumnCoded(10, 10)), kItem, false, TestFont());
  EXPECT_EQ(At(narrow, 7, 6), qRgb(10, 20, 30));
  EXPECT_EQ(At(narrow, 16, 15), qRgb(19, 20, 30));
  EXPECT_EQ(At(narrow, 6, 6), GetSysColor(COLOR_MENU));
  EXPECT_EQ(At(narrow, 17, 15), GetSysColor(COLOR_MENU));
}

TEST_F(MenuItemPainterTest, SubmenuArrowSitsAtTheRightEdgeSizedByTheCheckMark) {
  using Corners = std::array<QPoint, 3>;
  EXPECT_EQ(SubmenuArrow(QRect(0, 0, 100, 22), 13),
            (Corners{QPoint(94, 7), QPoint(97, 10), QPoint(94, 13)}));
  EXPECT_EQ(SubmenuArrow(QRect(0, 0, 100, 22), 16),
            (Corners{QPoint(92, 7), QPoint(96, 11), QPoint(92, 15)}));
  EXPECT_EQ(SubmenuArrow(QRect(10, 30, 100, 22), 13),
            (Corners{QPoint(104, 37), QPoint(107, 40), QPoint(104, 43)}));

  // Drawn in the item's text colour: outline and inside filled, nothing outside.
  MenuItem item = WithPicture(QImage());
  item.submenu = std::make_unique<MenuDefinition>();
  const QImage drawn = PaintMenuItem(item, QSize(100, 22), false, TestFont());
  const QRgb text = GetSysColor(COLOR_MENUTEXT);
  for (QPoint p : {QPoint(94, 7), QPoint(97, 10), QPoint(94, 13), QPoint(95, 9), QPoint(95, 11)})
    EXPECT_EQ(At(drawn, p.x(), p.y()), text) << p.x() << "," << p.y();
  for (QPoint p : {QPoint(93, 10), QPoint(98, 10), QPoint(94, 6), QPoint(94, 14)})
    EXPECT_EQ(At(drawn, p.x(), p.y()), GetSysColor(COLOR_MENU)) << p.x() << "," << p.y();
}

TEST_F(MenuItemPainterTest, GreyedTextIsEmbossedUnlessHotAndDisabledTextIsNormal) {
  const QRgb grey = GetSysColor(COLOR_GRAYTEXT);
  const QRgb white = GetSysColor(COLOR_BTNHIGHLIGHT);
  const std::set<QRgb> greyed =
      TextColors(PaintMenuItem(WithPicture(QImage(), kMenuItemGrayed), kItem, false, TestFont()));
  EXPECT_TRUE(greyed.count(grey));
  EXPECT_TRUE(greyed.count(white));  // the embossed copy
  EXPECT_FALSE(greyed.count(GetSysColor(COLOR_MENUTEXT)));

  const std::set<QRgb> greyedHot =
      TextColors(PaintMenuItem(WithPicture(QImage(), kMenuItemGrayed), kItem, true, TestFont()));
  EXPECT_TRUE(greyedHot.count(grey));
  EXPECT_TRUE(greyedHot.count(GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_FALSE(greyedHot.count(white));

  const std::set<QRgb> disabled =
      TextColors(PaintMenuItem(WithPicture(QImage(), kMenuItemDisabled), kItem, false, TestFont()));
  EXPECT_TRUE(disabled.count(GetSysColor(COLOR_MENUTEXT)));
  EXPECT_FALSE(disabled.count(grey));
}

TEST_F(MenuItemPainterTest, GreyedPictureIsOneBitInMenuAndGreyTextColours) {
  QImage picture = Filled({22, 22}, qRgb(255, 255, 255));
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 11; ++x) picture.setPixel(x, y, qRgb(20, 20, 20));  // dark half
  const QImage hot = PaintMenuItem(WithPicture(picture, kMenuItemGrayed), kItem, true, TestFont());
  EXPECT_EQ(At(hot, 3, 10), GetSysColor(COLOR_GRAYTEXT));
  EXPECT_EQ(At(hot, 18, 10), GetSysColor(COLOR_MENU));
}

TEST_F(MenuItemPainterTest, CheckedItemWithoutPictureShowsFramedCheckMark) {
  MenuItem item("&English", 32771, kMenuItemChecked);
  // The 13-pixel mark sits 4 pixels into the square at x = 1; its tick runs through (15, 7).
  const QImage normal = PaintMenuItem(item, kItem, false, TestFont());
  EXPECT_EQ(At(normal, 1, 0), GetSysColor(COLOR_3DSHADOW));     // sunken: dark top left
  EXPECT_EQ(At(normal, 22, 21), GetSysColor(COLOR_3DHILIGHT));  // light bottom right
  EXPECT_EQ(At(normal, 15, 7), GetSysColor(COLOR_MENUTEXT));
  // The background is dithered: neighbours alternate between light and menu colour.
  EXPECT_NE(At(normal, 3, 2), At(normal, 4, 2));
  EXPECT_EQ(At(normal, 3, 2), At(normal, 4, 3));
  const std::set<QRgb> dither = {At(normal, 3, 2), At(normal, 4, 2)};
  EXPECT_EQ(dither, (std::set<QRgb>{GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_MENU)}));

  const QImage hot = PaintMenuItem(item, kItem, true, TestFont());
  EXPECT_EQ(At(hot, 3, 2), GetSysColor(COLOR_MENU));  // solid when hot
  EXPECT_EQ(At(hot, 4, 2), GetSysColor(COLOR_MENU));
  EXPECT_EQ(At(hot, 15, 7), GetSysColor(COLOR_HIGHLIGHTTEXT));
  EXPECT_EQ(At(hot, 40, 2), GetSysColor(COLOR_HIGHLIGHT));  // the fill stays in its frame
}

}  // namespace
}  // namespace orlenta
