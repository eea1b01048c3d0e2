// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace orlenta {

// Where a popup of `size` goes beside anchor point `anchor` on `desktop`: below and right
// of it when that fits, else below and left, above and right, above and left; when none
// fits, at the anchor itself, even if that runs off the screen. "Fits" is strict: the
// popup may not touch the desktop's far edges.
QPoint PlacePopupAtPoint(QSize size, QPoint anchor, const QRect& desktop);

// Where a submenu of `size` goes beside the item `exclude` that opened it, without
// covering it: right of it going down, right going up, left going down, left going up.
// When none fits it is put right of the item going down and then pushed onto the desktop.
QPoint PlacePopupBeside(QSize size, const QRect& exclude, const QRect& desktop);

}  // namespace orlenta
