// SPDX-License-Identifier: GPL-3.0-or-later
#include "shaded_bar.h"

#include <algorithm>
#include <array>

#include "system_colors.h"

namespace orlenta {

namespace {

constexpr int kShadeStep = 51;

int LightenChannel(int c, int amount) {
  return c + amount <= 255 ? c + amount : c;
}
int DarkenChannel(int c, int amount) {
  return c >= amount ? c - amount : c;
}
int MiddleChannel(int s, int d) {
  return (s + ((d - s) >> 1)) & 0xFF;
}

}  // namespace

QRgb Lighten(QRgb color, int amount) {
  return qRgb(LightenChannel(qRed(color), amount), LightenChannel(qGreen(color), amount),
              LightenChannel(qBlue(color), amount));
}

QRgb Darken(QRgb color, int amount) {
  return qRgb(DarkenChannel(qRed(color), amount), DarkenChannel(qGreen(color), amount),
              DarkenChannel(qBlue(color), amount));
}

QRgb MiddleShadow(QRgb shadow, QRgb darkShadow) {
  return qRgb(MiddleChannel(qRed(shadow), qRed(darkShadow)),
              MiddleChannel(qGreen(shadow), qGreen(darkShadow)),
              MiddleChannel(qBlue(shadow), qBlue(darkShadow)));
}

ShadedBarColors MakeShadedBarColors(QRgb bar) {
  ShadedBarColors c;
  c.bar = bar | 0xFF000000u;
  c.light1 = Lighten(c.bar, kShadeStep);
  c.light2 = Lighten(c.light1, kShadeStep);
  c.light3 = Lighten(c.light2, kShadeStep);
  c.dark1 = Darken(c.bar, kShadeStep);
  c.dark2 = Darken(c.dark1, kShadeStep);
  c.darkShadow = GetSysColor(COLOR_3DDKSHADOW);
  c.shadow = GetSysColor(COLOR_BTNSHADOW);
  c.midShadow = MiddleShadow(c.shadow, c.darkShadow);
  return c;
}

int BarRight(int lower, int upper, int pos, int width) {
  if (upper <= lower || pos <= lower || width <= 0) return 0;
  if (pos >= upper) return width;
  // Single precision on purpose: the bar's end must land on the same pixel every time the
  // same position is shown.
  const float right = static_cast<float>(pos - lower) * static_cast<float>(width) /
                      static_cast<float>(upper - lower);
  return std::clamp(static_cast<int>(right), 0, width);
}

void PaintShadedBar(Canvas& canvas, const ShadedBarColors& colors, const QRect& client, int lower,
                    int upper, int pos) {
  canvas.FillRect(client, Brush::Solid(GetSysColor(COLOR_BTNFACE)));
  const int right = client.left() + BarRight(lower, upper, pos, client.width());
  const QRect bar = EdgeRect(client.left(), client.top(), right, client.top() + client.height());
  canvas.FillRect(bar, Brush::Solid(colors.light3));
  DrawBarBevel(canvas, colors, bar);
}

void DrawBarBevel(Canvas& canvas, const ShadedBarColors& colors, const QRect& bar) {
  const int L = bar.left();
  const int T = bar.top();
  const int R = bar.left() + bar.width();
  const int B = bar.top() + bar.height();
  if (R - L == 0) return;
  const QRgb savedPen = canvas.Pen();
  // Each step paints over the ones before it; the order makes the tube's rounded ends.
  canvas.SelectPen(colors.light1);
  canvas.Line({L + 2, B - 4}, {R - 2, B - 4});
  canvas.Line({L + 2, T + 2}, {R - 2, T + 2});
  canvas.SetPixel(L + 1, B - 3, colors.light1);
  canvas.SetPixel(L + 1, T + 1, colors.light1);
  canvas.SelectPen(colors.light2);
  canvas.Polyline(
      std::array<QPoint, 4>{{{L + 2, B - 5}, {R - 3, B - 5}, {R - 3, T + 3}, {L + 1, T + 3}}});
  canvas.SetPixel(L + 1, B - 4, colors.light2);
  canvas.SetPixel(L + 1, T + 2, colors.light2);
  canvas.SelectPen(colors.bar);
  canvas.Polyline(std::array<QPoint, 3>{{{L, B - 1}, {L, T}, {L + 2, T}}});
  canvas.SetPixel(L + 1, B - 2, colors.bar);
  canvas.Line({L + 2, B - 3}, {R - 2, B - 3});
  canvas.Line({L + 2, T + 1}, {R - 1, T + 1});
  canvas.SelectPen(colors.dark1);
  canvas.Polyline(std::array<QPoint, 3>{{{L + 2, B - 2}, {R - 2, B - 2}, {R - 2, T + 1}}});
  canvas.Line({L + 2, T}, {R, T});
  canvas.SetPixel(L + 1, B - 1, colors.dark1);
  canvas.SelectPen(colors.dark2);
  canvas.Polyline(std::array<QPoint, 3>{{{L + 2, B - 1}, {R - 1, B - 1}, {R - 1, T}}});
  canvas.SelectPen(colors.midShadow);
  canvas.Line({R, T}, {R, B});
  canvas.SelectPen(colors.shadow);
  canvas.Line({R + 1, T}, {R + 1, B});
  canvas.SelectPen(savedPen);
}

}  // namespace orlenta
