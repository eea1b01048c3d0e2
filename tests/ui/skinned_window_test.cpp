// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/skinned_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QTest>

#include "ui/skin_tiling.h"
#include "ui/system_colors.h"

namespace orlenta {
namespace {

// A 3 x 2 skin whose every pixel differs, so a tiled copy shows where each came from.
QImage SmallSkin() {
  QImage skin(3, 2, QImage::Format_RGB32);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) skin.setPixel(x, y, qRgb(10 * x, 100 + y, 7));
  return skin;
}

TEST(SkinTiling, RepeatsFromTheCornerAndCutsTheLastCopies) {
  QImage client(8, 5, QImage::Format_RGB32);
  client.fill(qRgb(255, 255, 255));
  QPainter painter(&client);
  EXPECT_EQ(TileSkin(painter, client.rect(), SmallSkin()), 1);
  painter.end();
  const QImage skin = SmallSkin();
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(client.pixel(x, y), skin.pixel(x % 3, y % 2)) << x << y;
}

TEST(SkinTiling, EmptySkinPaintsNothing) {
  QImage client(4, 4, QImage::Format_RGB32);
  client.fill(qRgb(1, 2, 3));
  QPainter painter(&client);
  EXPECT_EQ(TileSkin(painter, client.rect(), QImage()), 0);
  painter.end();
  EXPECT_EQ(client.pixel(2, 2), qRgb(1, 2, 3));
}

TEST(SkinTiling, MinimisedIconIsCentredRoundingUp) {
  EXPECT_EQ(MinimizedIconPosition({160, 24}, {32, 32}), QPoint(64, -3));
  EXPECT_EQ(MinimizedIconPosition({33, 33}, {32, 32}), QPoint(1, 1));
  EXPECT_EQ(MinimizedIconPosition({0, 0}, {32, 32}), QPoint(-15, -15));  // towards zero
}

// The skin on a bare dialog shown without modality: what is tested here is drawn and
// shaped alike either way. The main window, modal as the program runs it, is tested in
// the window's own tests.
class SkinnedWindowTest : public ::testing::Test {
 protected:
  QDialog dialog_;
  int closes_ = 0;
  SkinnedWindow* skin_ = new SkinnedWindow(&dialog_, [this] { ++closes_; });
};

TEST_F(SkinnedWindowTest, ClientKeepsTheLayoutsSizeBelowTheCaption) {
  EXPECT_EQ(skin_->Client()->geometry(), QRect(3, 22, 632, 400));
  EXPECT_EQ(dialog_.size(), QSize(638, 425));
  EXPECT_TRUE(dialog_.windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(SkinnedWindowTest, SkinLoadsAndFallsBackToTheFaceColour) {
  EXPECT_EQ(skin_->SetSkinBitmap(129), 1);
  EXPECT_EQ(skin_->SkinTileWidth(), 800);
  EXPECT_EQ(skin_->SkinTileHeight(), 600);
  QImage client = skin_->Client()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(client, skin_->SkinBitmap().copy(0, 0, 632, 400));  // one copy, its corner

  EXPECT_EQ(skin_->SetSkinBitmap(999), 0);
  EXPECT_TRUE(skin_->SkinBitmap().isNull());  // the old skin is dropped first
  QImage plain(10, 10, QImage::Format_RGB32);
  QPainter painter(&plain);
  EXPECT_FALSE(skin_->EraseBackground(painter, plain.rect()));
  painter.end();
  EXPECT_EQ(plain.pixel(5, 5), GetSysColor(COLOR_BTNFACE));

  EXPECT_EQ(skin_->SetSkinBitmap(0), 1);  // no skin asked for
  EXPECT_EQ(skin_->SkinTileWidth(), 0);
}

TEST_F(SkinnedWindowTest, SmallSkinIsTiledOverTheClient) {
  skin_->SetSkinImage(SmallSkin());
  const QImage client = skin_->Client()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(client.pixel(631, 399), SmallSkin().pixel(631 % 3, 399 % 2));
}

TEST_F(SkinnedWindowTest, PaintShapesTheWindowAsTheFixedEllipse) {
  EXPECT_TRUE(dialog_.mask().isEmpty());
  dialog_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
  QTRY_VERIFY(!dialog_.mask().isEmpty());
  const QRegion shape = dialog_.mask();
  EXPECT_EQ(shape, SkinnedWindow::WindowShape());
  EXPECT_EQ(shape.boundingRect(), QRect(0, 0, 620, 600));
  EXPECT_TRUE(shape.contains(QPoint(310, 300)));
  EXPECT_TRUE(shape.contains(QPoint(310, 2)));     // the middle of the caption
  EXPECT_FALSE(shape.contains(QPoint(5, 10)));     // the caption's icon corner
  EXPECT_FALSE(shape.contains(QPoint(625, 200)));  // right of x = 620
  EXPECT_FALSE(shape.contains(QPoint(620, 300)));
}

TEST_F(SkinnedWindowTest, CaptionBoxesCloseAndMinimise) {
  dialog_.setWindowTitle("Orlenta");
  dialog_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
  SkinCaption* caption = skin_->Caption();
  const QPoint close = caption->BoxRect(SkinCaption::kCloseBox).center();
  QTest::mousePress(caption, Qt::LeftButton, {}, close);
  QTest::mouseRelease(caption, Qt::LeftButton, {}, QPoint(300, 9));  // slid off the box
  EXPECT_EQ(closes_, 0);
  QTest::mouseClick(caption, Qt::LeftButton, {}, close);
  EXPECT_EQ(closes_, 1);
  QTest::mouseClick(caption, Qt::LeftButton, {},
                    caption->BoxRect(SkinCaption::kMinimizeBox).center());
  QTRY_VERIFY(dialog_.isMinimized());
}

}  // namespace
}  // namespace orlenta
