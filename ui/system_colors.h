// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPalette>
#include <QRgb>

namespace orlenta {

// The system colours by their classic indices, so that drawing code can name the colour a
// part of a control takes ("the 3-D shadow") instead of a fixed value.
enum SystemColor : int {
  COLOR_SCROLLBAR = 0,
  COLOR_BACKGROUND = 1,
  COLOR_ACTIVECAPTION = 2,
  COLOR_INACTIVECAPTION = 3,
  COLOR_MENU = 4,
  COLOR_WINDOW = 5,
  COLOR_WINDOWFRAME = 6,
  COLOR_MENUTEXT = 7,
  COLOR_WINDOWTEXT = 8,
  COLOR_CAPTIONTEXT = 9,
  COLOR_ACTIVEBORDER = 10,
  COLOR_INACTIVEBORDER = 11,
  COLOR_APPWORKSPACE = 12,
  COLOR_HIGHLIGHT = 13,
  COLOR_HIGHLIGHTTEXT = 14,
  COLOR_BTNFACE = 15,
  COLOR_BTNSHADOW = 16,
  COLOR_GRAYTEXT = 17,
  COLOR_BTNTEXT = 18,
  COLOR_INACTIVECAPTIONTEXT = 19,
  COLOR_BTNHIGHLIGHT = 20,
  COLOR_3DDKSHADOW = 21,
  COLOR_3DLIGHT = 22,
  COLOR_INFOTEXT = 23,
  COLOR_INFOBK = 24,
  COLOR_GRADIENTACTIVECAPTION = 27,
  COLOR_GRADIENTINACTIVECAPTION = 28,
  COLOR_3DFACE = COLOR_BTNFACE,
  COLOR_3DSHADOW = COLOR_BTNSHADOW,
  COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT,
  COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT,
};

inline constexpr int kSystemColorCount = 29;

// The colour of `index` (opaque); black for an index the table does not know. The colours
// come from the application's palette unless a fixed set was chosen below.
QRgb GetSysColor(int index);

// Takes every system colour from `palette` from now on.
void UseSystemColorsOf(const QPalette& palette);

// Takes the fixed classic grey set from now on (button face 192, shadow 128, dark shadow
// 64, light 223, navy highlight), whatever the desktop uses: pixel tests rely on it.
void UseClassicSystemColors();

// Follows the application's palette again (the default).
void UseApplicationSystemColors();

// A copy of `image` whose standard greys follow the 3-D colours: 128 becomes the 3-D
// shadow, 192 the 3-D face and 223 the 3-D light, so that artwork drawn on those greys
// blends with the desktop's controls.
QImage MapThreeDColors(const QImage& image);

}  // namespace orlenta
