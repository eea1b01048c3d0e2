// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/hover_button.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QPalette>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <vector>

#include "ui/system_colors.h"

namespace orlenta {
namespace {

const QRgb kNormal = qRgb(10, 200, 10);
const QRgb kPressed = qRgb(200, 10, 10);
const QRgb kHover = qRgb(10, 10, 200);
const QRgb kSpare = qRgb(255, 0, 255);

// A 134 x 46 strip: three flat 44-pixel frames and two spare columns.
QImage FlatStrip() {
  QImage strip(134, 46, QImage::Format_RGB32);
  strip.fill(kSpare);
  for (int y = 0; y < 46; ++y)
    for (int x = 0; x < 132; ++x)
      strip.setPixel(x, y, x < 44 ? kNormal : x < 88 ? kPressed : kHover);
  return strip;
}

// True when every pixel of the button's face is `color`.
bool Shows(CHoverButton& button, QRgb color) {
  const QImage face = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < face.height(); ++y)
    for (int x = 0; x < face.width(); ++x)
      if (face.pixel(x, y) != color) return false;
  return true;
}

class HoverButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.resize(200, 120);
    button_ = new CHoverButton(&window_);
    button_->move(50, 30);
    button_->SetPause([this](std::chrono::milliseconds ms) { pauses_.push_back(ms.count()); });
    button_->SetStrip(FlatStrip());
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }

  void Enter() {
    const QPointF local(10, 10);
    QEnterEvent enter(local, button_->mapTo(&window_, local), button_->mapToGlobal(local));
    QApplication::sendEvent(button_, &enter);
    QTRY_VERIFY(button_->IsHovering());  // after the short hover time
  }

  void Leave() {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button_, &leave);
  }

  QWidget window_;
  CHoverButton* button_ = nullptr;
  std::vector<long> pauses_;
};

TEST_F(HoverButtonTest, StripOf134GivesA44By46ButtonWithoutItsSpareColumns) {
  EXPECT_EQ(button_->size(), QSize(44, 46));
  EXPECT_EQ(button_->FrameSize(), QSize(44, 46));
  EXPECT_TRUE(Shows(*button_, kNormal));
  Enter();
  EXPECT_TRUE(Shows(*button_, kHover));  // the hover frame ends before the spare columns
}

TEST_F(HoverButtonTest, FramesFollowHoverPressAndLeave) {
  EXPECT_EQ(button_->CurrentFrame(), CHoverButton::kNormalFrame);
  Enter();
  EXPECT_TRUE(button_->IsTracking());
  EXPECT_EQ(pauses_, std::vector<long>{40});
  EXPECT_TRUE(Shows(*button_, kHover));

  QTest::mousePress(button_, Qt::LeftButton, {}, QPoint(10, 10));
  pauses_.clear();
  EXPECT_TRUE(Shows(*button_, kPressed));
  EXPECT_EQ(pauses_, std::vector<long>{80});
  QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(Shows(*button_, kHover));  // still over it

  pauses_.clear();
  Leave();
  EXPECT_FALSE(button_->IsHovering());
  EXPECT_FALSE(button_->IsTracking());
  EXPECT_EQ(pauses_, std::vector<long>{40});
  EXPECT_TRUE(Shows(*button_, kNormal));
  Leave();  // no notice was asked for: nothing happens
  EXPECT_EQ(pauses_.size(), 1u);
}

TEST_F(HoverButtonTest, DisabledButtonIsDrawnByTheSameRules) {
  Enter();
  button_->setEnabled(false);
  EXPECT_TRUE(Shows(*button_, kHover));
  Leave();
  EXPECT_TRUE(Shows(*button_, kNormal));
}

TEST_F(HoverButtonTest, ClickReachesTheClickedSignal) {
  QSignalSpy clicked(button_, &QAbstractButton::clicked);
  QTest::mouseClick(button_, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicked.count(), 1);
}

TEST_F(HoverButtonTest, TipKeepsItsFirstAreaAndObeysActivate) {
  EXPECT_EQ(button_->ToolCount(), 0);
  button_->SetTip(nullptr, true);
  EXPECT_EQ(button_->ToolCount(), 0);

  button_->SetTip("Next", true);
  EXPECT_EQ(button_->ToolCount(), 1);
  EXPECT_EQ(button_->TipRect(), QRect(0, 0, 44, 46));
  EXPECT_TRUE(button_->IsTipActive());

  button_->resize(60, 60);
  button_->SetTip("Start Process!", false);
  EXPECT_EQ(button_->ToolCount(), 1);
  EXPECT_EQ(button_->TipText(), "Start Process!");
  EXPECT_EQ(button_->TipRect(), QRect(0, 0, 44, 46));
  EXPECT_FALSE(button_->IsTipActive());

  button_->SetTip(nullptr, true);  // changes nothing, not even the activation
  EXPECT_FALSE(button_->IsTipActive());
  button_->SetTip("Commencez le processus!", true);
  EXPECT_EQ(button_->TipText(), QString::fromUtf8("Commencez le processus!"));
}

TEST_F(HoverButtonTest, TipShowsOnlyWhileActiveAndInsideItsArea) {
  // A tooltip request the button takes is accepted; one it turns down is ignored.
  const auto shows = [this](QPoint at) {
    QHelpEvent help(QEvent::ToolTip, at, button_->mapToGlobal(at));
    QApplication::sendEvent(button_, &help);
    return help.isAccepted();
  };
  button_->SetTip("Exit", false);
  EXPECT_FALSE(shows({5, 5}));
  button_->SetTip("Exit", true);
  EXPECT_TRUE(shows({5, 5}));
  EXPECT_EQ(QToolTip::text(), "Exit");
  button_->resize(80, 80);
  EXPECT_FALSE(shows({60, 60}));  // outside the area fixed by the first SetTip
}

TEST(HoverButtonStrip, LoadedStripFollowsThe3DColoursAndSizesTheButton) {
  QPalette palette;
  palette.setColor(QPalette::Button, QColor(1, 2, 3));
  UseSystemColorsOf(palette);
  CHoverButton button;
  button.resize(5, 5);
  EXPECT_TRUE(button.LoadStrip(130));
  UseClassicSystemColors();
  EXPECT_EQ(button.size(), QSize(37, 38));

  CHoverButton missing;
  missing.resize(30, 20);
  EXPECT_TRUE(missing.LoadStrip(999));
  EXPECT_EQ(missing.size(), QSize(30, 20));  // no picture: the button keeps its place
  EXPECT_TRUE(missing.FrameSize().isEmpty());
}

}  // namespace
}  // namespace orlenta

namespace orlenta {
namespace {

TEST_F(HoverButtonTest, KeyboardFocusDrawsARingThatAClickDoesNot) {
  auto* other = new CHoverButton(&window_);
  other->SetStrip(FlatStrip());
  other->show();
  window_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  const struct {
    Qt::FocusReason reason;
    bool ring;
  } cases[] = {{Qt::TabFocusReason, true},
               {Qt::BacktabFocusReason, true},
               {Qt::MouseFocusReason, false},
               {Qt::ActiveWindowFocusReason, false}};
  for (const auto& c : cases) {
    other->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(Shows(*button_, kNormal));
    button_->setFocus(c.reason);
    ASSERT_TRUE(button_->hasFocus());
    EXPECT_EQ(button_->ShowsFocusRing(), c.ring) << c.reason;
    EXPECT_EQ(!Shows(*button_, kNormal), c.ring) << c.reason;
  }
}

}  // namespace
}  // namespace orlenta
