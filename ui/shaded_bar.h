// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QRgb>

#include "canvas.h"

namespace orlenta {

// `color` with `amount` added to each channel that stays within 255; a channel that would
// overflow is left as it is rather than clamped.
QRgb Lighten(QRgb color, int amount);
// `color` with `amount` taken from each channel that is at least `amount`; smaller
// channels are left as they are.
QRgb Darken(QRgb color, int amount);
// Halfway from `shadow` to `darkShadow`, channel by channel, rounding towards the darker.
QRgb MiddleShadow(QRgb shadow, QRgb darkShadow);

// The shades of one bar colour that make the tube look.
struct ShadedBarColors {
  QRgb bar = 0;
  QRgb light1 = 0;
  QRgb light2 = 0;
  QRgb light3 = 0;  // the fill
  QRgb dark1 = 0;
  QRgb dark2 = 0;
  QRgb darkShadow = 0;
  QRgb shadow = 0;
  QRgb midShadow = 0;
};

// The shades of `bar` with the current 3-D shadow colours.
ShadedBarColors MakeShadedBarColors(QRgb bar);

// Right edge (exclusive) of the bar in a client `width` pixels wide for `pos` in
// lower..upper, computed in single precision and truncated. An empty range, or a position
// below it, gives 0; the result never exceeds `width`.
int BarRight(int lower, int upper, int pos, int width);

// Paints the whole client `client` (left and top 0): the button-face track, the bar up to
// BarRight, its bevel and its two-pixel shadow.
void PaintShadedBar(Canvas& canvas, const ShadedBarColors& colors, const QRect& client, int lower,
                    int upper, int pos);

// The bevel of bar rectangle `bar`, drawn over its fill; nothing for a zero-width bar.
void DrawBarBevel(Canvas& canvas, const ShadedBarColors& colors, const QRect& bar);

}  // namespace orlenta
