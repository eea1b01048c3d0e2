// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/bmp_menu_placement.h"

#include <gtest/gtest.h>

namespace orlenta {
namespace {

const QRect kDesktop(0, 0, 800, 600);
const QSize kPopup(100, 50);

TEST(PopupAtPointTest, TakesTheFirstDirectionThatFitsStrictly) {
  EXPECT_EQ(PlacePopupAtPoint(kPopup, {100, 100}, kDesktop), QPoint(100, 100));
  // Touching the right edge (700 + 100 == 800) does not fit: the popup goes left.
  EXPECT_EQ(PlacePopupAtPoint(kPopup, {700, 100}, kDesktop), QPoint(600, 100));
  EXPECT_EQ(PlacePopupAtPoint(kPopup, {699, 100}, kDesktop), QPoint(699, 100));
  // Touching the bottom: above and right, then above and left.
  EXPECT_EQ(PlacePopupAtPoint(kPopup, {100, 550}, kDesktop), QPoint(100, 500));
  EXPECT_EQ(PlacePopupAtPoint(kPopup, {750, 580}, kDesktop), QPoint(650, 530));
}

TEST(PopupAtPointTest, StaysAtTheAnchorWhenNothingFitsEvenOffScreen) {
  EXPECT_EQ(PlacePopupAtPoint(QSize(900, 50), {300, 100}, kDesktop), QPoint(300, 100));
  EXPECT_EQ(PlacePopupAtPoint(QSize(100, 700), {750, 500}, kDesktop), QPoint(750, 500));
}

TEST(PopupBesideItemTest, TriesRightDownRightUpLeftDownLeftUp) {
  const QSize item(100, 20);
  EXPECT_EQ(PlacePopupBeside(kPopup, QRect(QPoint(200, 100), item), kDesktop), QPoint(300, 100));
  EXPECT_EQ(PlacePopupBeside(kPopup, QRect(QPoint(200, 560), item), kDesktop), QPoint(300, 530));
  // The item's right edge at 700: 700 + 100 touches the screen's edge.
  EXPECT_EQ(PlacePopupBeside(kPopup, QRect(QPoint(600, 100), item), kDesktop), QPoint(500, 100));
  EXPECT_EQ(PlacePopupBeside(kPopup, QRect(QPoint(600, 560), item), kDesktop), QPoint(500, 530));
}

TEST(PopupBesideItemTest, IsPushedOntoTheScreenWhenNoSideFits) {
  // Taller than the screen: top edge of the screen, right of the item.
  EXPECT_EQ(PlacePopupBeside(QSize(100, 700), QRect(200, 100, 100, 20), kDesktop), QPoint(300, 0));
  // An item as wide as the screen leaves no room at either side.
  EXPECT_EQ(PlacePopupBeside(kPopup, QRect(0, 590, 800, 10), kDesktop), QPoint(700, 550));
}

}  // namespace
}  // namespace orlenta
