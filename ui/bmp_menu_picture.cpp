// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmp_menu_picture.h"

#include <array>

#include "system_colors.h"

namespace orlenta {
namespace {

// The classic tick, drawn on the check-mark square.
constexpr std::array<const char*, 13> kCheckMarkRows = {
    ".............", ".............", ".............", "..........#..", ".........##..",
    "..#.....###..", "..##...###...", "..###.###....", "...#####.....", "....###......",
    ".....#.......", ".............", "............."};

// Rows of the 8 x 8 dither that sits behind a checked picture.
constexpr std::array<uint8_t, 8> kCheckerRows = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};

// An empty one-bit image whose set bits are white.
QImage OneBitImage(QSize size) {
  QImage image(size, QImage::Format_Mono);
  if (image.isNull()) return image;
  image.setColorCount(2);
  image.setColor(0, qRgb(0, 0, 0));
  image.setColor(1, qRgb(255, 255, 255));
  image.fill(1);
  return image;
}

// Whether `color` lies nearer white than black.
bool NearerWhite(QRgb color) {
  auto square = [](int v) { return v * v; };
  const int toBlack = square(qRed(color)) + square(qGreen(color)) + square(qBlue(color));
  const int toWhite =
      square(255 - qRed(color)) + square(255 - qGreen(color)) + square(255 - qBlue(color));
  return toWhite < toBlack;
}

// The system colour that a classic tone of an item picture stands for, or `color` itself.
QRgb FollowSystemColors(QRgb color, bool hot) {
  switch (color & 0xFFFFFF) {
    case 0x000000:
      return GetSysColor(COLOR_BTNTEXT);
    case 0x808080:
      return GetSysColor(COLOR_BTNSHADOW);
    case 0xC0C0C0:
      return GetSysColor(hot ? COLOR_HIGHLIGHT : COLOR_MENU);
    case 0xFFFFFF:
      return GetSysColor(COLOR_BTNHIGHLIGHT);
    default:
      return color;
  }
}

// The sunken frame and dithered background of a checked picture. The fill is worked out
// on a copy of the square alone, so that it can never run past the frame into the item.
void FrameCheckedPicture(Canvas& canvas, const QRect& square, bool hot, bool pictureGiven) {
  canvas.DrawSunkenOuterEdge(square);
  const QRgb menu = GetSysColor(COLOR_MENU);
  const QRgb surface = pictureGiven || !hot ? menu : GetSysColor(COLOR_HIGHLIGHT);
  const Brush brush = hot ? Brush::Solid(menu) : Brush::Pattern8x8(kCheckerRows);

  QImage part(square.size(), QImage::Format_RGB32);
  Canvas partCanvas(part);
  for (int y = 0; y < square.height(); ++y)
    for (int x = 0; x < square.width(); ++x)
      partCanvas.SetPixel(x, y, canvas.GetPixel(square.x() + x, square.y() + y).value_or(menu));
  partCanvas.SetTextColor(GetSysColor(COLOR_BTNHIGHLIGHT));
  partCanvas.SetBackgroundColor(menu);
  if (!partCanvas.ExtFloodFill(1, 1, surface, FloodFillType::kSurface, brush)) return;
  for (int y = 0; y < square.height(); ++y)
    for (int x = 0; x < square.width(); ++x)
      canvas.SetPixel(square.x() + x, square.y() + y, *partCanvas.GetPixel(x, y));
}

}  // namespace

int MenuCheckSize() {
  return 13;
}

QImage CheckMarkPicture() {
  QImage mark = OneBitImage(QSize(MenuCheckSize(), MenuCheckSize()));
  for (int y = 0; y < mark.height(); ++y)
    for (int x = 0; x < mark.width(); ++x)
      if (kCheckMarkRows[static_cast<std::size_t>(y)][x] == '#') mark.setPixel(x, y, 0);
  return mark;
}

QImage RecolorMenuPicture(const QImage& picture, bool greyed, bool hot) {
  if (picture.isNull()) return {};
  QImage copy = greyed ? OneBitImage(picture.size()) : QImage(picture.size(), QImage::Format_RGB32);
  if (copy.isNull()) return copy;
  for (int x = 0; x < picture.width(); ++x) {
    for (int y = 0; y < picture.height(); ++y) {
      const QRgb color = picture.pixel(x, y);
      if (greyed)
        copy.setPixel(x, y, NearerWhite(color) ? 1 : 0);
      else
        copy.setPixel(x, y, FollowSystemColors(color, hot));
    }
  }
  return copy;
}

bool DrawMenuPicture(Canvas& canvas, const QRect& square, bool hot, const QImage& picture,
                     bool checked, bool greyed) {
  const bool given = !picture.isNull();
  const QImage shown = given ? RecolorMenuPicture(picture, greyed, hot) : CheckMarkPicture();
  if (shown.isNull()) return false;
  const QPoint offset((square.width() - shown.width()) / 2, (square.height() - shown.height()) / 2);
  if (given && checked) canvas.FillRect(square, Brush::Solid(GetSysColor(COLOR_MENU)));

  const QRgb savedBack = canvas.BackgroundColor();
  canvas.SetBackgroundColor(GetSysColor(hot && !greyed ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (square.width() > shown.width())
    canvas.CopyBits(square.topLeft() + offset, shown.size(), shown, QPoint(0, 0));
  else
    canvas.CopyBits(square.topLeft(), square.size(), shown, -offset);
  canvas.SetBackgroundColor(savedBack);

  if (checked) FrameCheckedPicture(canvas, square, hot, given);
  return true;
}

}  // namespace orlenta
