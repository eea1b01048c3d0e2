// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/shaded_bar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>

#include "ui/shaded_progress_ctrl.h"
#include "ui/system_colors.h"

namespace orlenta {
namespace {

TEST(ShadedBarColours, RedBar) {
  const ShadedBarColors c = MakeShadedBarColors(qRgb(255, 0, 0));
  EXPECT_EQ(c.light1, qRgb(255, 51, 51));
  EXPECT_EQ(c.light2, qRgb(255, 102, 102));
  EXPECT_EQ(c.light3, qRgb(255, 153, 153));
  EXPECT_EQ(c.dark1, qRgb(204, 0, 0));
  EXPECT_EQ(c.dark2, qRgb(153, 0, 0));
}

TEST(ShadedBarColours, NavyBarStopsEachChannelInsteadOfClamping) {
  const ShadedBarColors c = MakeShadedBarColors(qRgb(0, 0, 128));
  EXPECT_EQ(c.light1, qRgb(51, 51, 179));
  EXPECT_EQ(c.light2, qRgb(102, 102, 230));
  EXPECT_EQ(c.light3, qRgb(153, 153, 230));
  EXPECT_EQ(c.dark1, qRgb(0, 0, 77));
  EXPECT_EQ(c.dark2, qRgb(0, 0, 26));
}

TEST(ShadedBarColours, MiddleShadowRoundsTowardsTheDarker) {
  EXPECT_EQ(MakeShadedBarColors(qRgb(255, 0, 0)).midShadow, qRgb(96, 96, 96));
  EXPECT_EQ(MiddleShadow(qRgb(128, 128, 128), qRgb(64, 64, 64)), qRgb(96, 96, 96));
  EXPECT_EQ(MiddleShadow(qRgb(10, 0, 255), qRgb(5, 3, 0)), qRgb(7, 1, 127));
}

TEST(ShadedBarGeometry, RightEdgeIsTruncatedAndKeptInTheClient) {
  EXPECT_EQ(BarRight(0, 100, 50, 240), 120);
  EXPECT_EQ(BarRight(0, 100, 33, 259), 85);  // 85.47 truncated
  EXPECT_EQ(BarRight(0, 100, 0, 240), 0);
  EXPECT_EQ(BarRight(0, 100, 100, 240), 240);
  EXPECT_EQ(BarRight(-50, 50, 0, 240), 120);
  EXPECT_EQ(BarRight(7, 7, 7, 240), 0);  // an empty range shows the empty track
  EXPECT_EQ(BarRight(0, 100, 150, 240), 240);
}

class ShadedBarPaint : public ::testing::Test {
 protected:
  // A 240 x 11 client painted with the red bar at `pos` of 0..100.
  QImage Paint(int pos) {
    QImage image(240, 11, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    Canvas canvas(image);
    PaintShadedBar(canvas, colors_, image.rect(), 0, 100, pos);
    return image;
  }
  const ShadedBarColors colors_ = MakeShadedBarColors(qRgb(255, 0, 0));
  const QRgb face_ = GetSysColor(COLOR_BTNFACE);
};

TEST_F(ShadedBarPaint, HalfWayPutsTheShadowRightOfTheBar) {
  const QImage image = Paint(50);
  for (int y = 0; y < 11; ++y) {
    EXPECT_EQ(image.pixel(120, y), colors_.midShadow) << y;
    EXPECT_EQ(image.pixel(121, y), colors_.shadow) << y;
    EXPECT_EQ(image.pixel(122, y), face_) << y;
    EXPECT_EQ(image.pixel(239, y), face_) << y;
  }
  // Left end: bar colour at the top, then dark shades at the bottom.
  EXPECT_EQ(image.pixel(0, 0), colors_.bar);
  EXPECT_EQ(image.pixel(0, 9), colors_.bar);
  EXPECT_EQ(image.pixel(1, 10), colors_.dark1);
  EXPECT_EQ(image.pixel(1, 9), colors_.bar);
  // The middle of the tube, from the top down.
  const QRgb column[11] = {colors_.dark1,  colors_.bar,    colors_.light1, colors_.light2,
                           colors_.light3, colors_.light3, colors_.light2, colors_.light1,
                           colors_.bar,    colors_.dark1,  colors_.dark2};
  for (int y = 0; y < 11; ++y) EXPECT_EQ(image.pixel(60, y), column[y]) << y;
  // Right end: the darker columns just inside the bar's edge.
  EXPECT_EQ(image.pixel(119, 5), colors_.dark2);
  EXPECT_EQ(image.pixel(118, 5), colors_.dark1);
  EXPECT_EQ(image.pixel(117, 5), colors_.light2);
}

TEST_F(ShadedBarPaint, LowerBoundShowsOnlyTheTrack) {
  const QImage image = Paint(0);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ASSERT_EQ(image.pixel(x, y), face_) << x << "," << y;
}

TEST_F(ShadedBarPaint, UpperBoundFillsTheClientAndHidesTheShadow) {
  const QImage image = Paint(100);
  for (int y = 0; y < image.height(); ++y) {
    EXPECT_NE(image.pixel(239, y), face_);
    EXPECT_NE(image.pixel(239, y), colors_.midShadow);
  }
  EXPECT_EQ(image.pixel(239, 5), colors_.dark2);
}

// Counts paints of the control it watches.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST(ShadedProgressCtrl, RepaintsOnlyWhenTheBarMoves) {
  CShadedProgressCtrl bar;
  bar.resize(240, 11);
  bar.SetRange(0, 100);
  bar.SetStep(1);
  bar.SetBarColor(qRgb(255, 0, 0));
  bar.show();
  QApplication::processEvents();
  PaintCounter counter;
  bar.installEventFilter(&counter);

  EXPECT_EQ(bar.SetPos(50), 0);
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 1);
  for (int i = 0; i < 1000; ++i) bar.SetPos(50);  // once per sector, mostly unchanged
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 1);

  EXPECT_EQ(bar.SetPos(250), 50);  // kept within the range
  EXPECT_EQ(bar.GetPos(), 100);
  EXPECT_EQ(bar.StepIt(), 100);
  EXPECT_EQ(bar.GetPos(), 1);  // past the end it starts over
}

TEST(ShadedProgressCtrl, ShowsWhatRenderPaintsInsideItsBorder) {
  CShadedProgressCtrl bar;
  bar.SetBorder(true);
  bar.resize(242, 13);
  bar.SetBarColor(qRgb(0, 0, 128));
  bar.SetPos(50);
  QImage client;
  bar.Render(client);
  ASSERT_EQ(client.size(), QSize(240, 11));
  EXPECT_EQ(client.pixel(120, 4), bar.Colors().midShadow);
  const QImage shown = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown.pixel(0, 0), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(shown.copy(1, 1, 240, 11), client);
}

}  // namespace
}  // namespace orlenta
