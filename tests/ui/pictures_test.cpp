// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

#include "res/bitmap_resource.h"

namespace orlenta {
namespace {

struct Picture {
  int id;
  QSize size;
};

// Every picture the window and its menu load, at the size their users cut it by.
TEST(Pictures, AllArePresentAtTheirSizes) {
  const Picture pictures[] = {
      {129, {800, 600}}, {130, {111, 38}}, {131, {111, 38}}, {132, {111, 38}}, {133, {111, 38}},
      {135, {134, 46}},  {138, {134, 46}}, {140, {26, 22}},  {141, {22, 22}},  {142, {26, 22}},
      {143, {26, 22}},   {144, {26, 22}},  {145, {26, 22}},  {146, {26, 22}},  {128, {256, 256}},
  };
  for (const auto& [id, size] : pictures) EXPECT_EQ(LoadBitmapResource(id).size(), size) << id;
  EXPECT_TRUE(LoadBitmapResource(999).isNull());
  EXPECT_TRUE(LoadBitmapResource(0).isNull());
  EXPECT_TRUE(LoadBitmapResource(-129).isNull());
}

TEST(Pictures, IconHasItsSmallSizes) {
  const QIcon icon = LoadIconResource(128);
  EXPECT_EQ(icon.availableSizes().size(), 3);
  EXPECT_TRUE(LoadIconResource(7).isNull());
}

// The menu turns the classic light grey into its own colour: the flags must lie on it.
TEST(Pictures, MenuPicturesLieOnTheClassicGrey) {
  for (int id = 140; id <= 146; ++id)
    EXPECT_EQ(LoadBitmapResource(id).pixel(0, 0), qRgb(192, 192, 192)) << id;
}

// The button strips must not hold a stray standard grey, which loading would recolour.
TEST(Pictures, ButtonStripsHoldNoStandardGrey) {
  for (int id : {130, 131, 132, 133, 135, 138}) {
    const QImage strip = LoadBitmapResource(id);
    int greys = 0;
    for (int y = 0; y < strip.height(); ++y)
      for (int x = 0; x < strip.width(); ++x) {
        const QRgb c = strip.pixel(x, y) & 0xFFFFFF;
        greys += c == 0x808080 || c == 0xC0C0C0 || c == 0xDFDFDF;
      }
    EXPECT_EQ(greys, 0) << id;
  }
}

}  // namespace
}  // namespace orlenta
