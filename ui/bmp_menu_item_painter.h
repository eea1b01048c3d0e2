// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>

#include "canvas.h"
#include "menu_definition.h"

namespace orlenta {

// Draws one menu item into `rect` of `canvas` the way our popup menus look: menu colours
// (highlight colours when `hot`), the item's picture in a square at the left, its text
// after the square with the mnemonic underlined, grey text for a greyed item (embossed
// unless hot) and an arrow at the right for an item with a submenu. The leftmost column of
// `rect` is left as it was.
void DrawMenuItem(Canvas& canvas, QRect rect, const MenuItem& item, bool hot, const QFont& font);

// Draws a separator row into `rect`: an etched line across the middle.
void DrawMenuSeparator(Canvas& canvas, const QRect& rect);

// The corners of the submenu arrow of an item in `rect` for check-mark size `checkSize`:
// tip first at index 1, the two back corners at 0 and 2.
std::array<QPoint, 3> SubmenuArrow(const QRect& rect, int checkSize);

// Draws the arrow of SubmenuArrow(rect, checkSize) outlined and filled in `color`.
void DrawSubmenuArrow(Canvas& canvas, const QRect& rect, int checkSize, QRgb color);

// The item as a picture of `size`, on the popup's own background, ready to be shown.
QImage PaintMenuItem(const MenuItem& item, QSize size, bool hot, const QFont& font);

}  // namespace orlenta
