// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace orlenta {

// Paints `skin` unscaled over `rect` of `painter`'s device, repeated in rows and columns
// from the device's origin; copies at the right and bottom are cut by the device, not
// shortened. Returns 0, painting nothing, for an empty skin, else 1.
int TileSkin(QPainter& painter, const QRect& rect, const QImage& skin);

// Where a minimised window centres its icon of `icon` size in a client of `client` size.
QPoint MinimizedIconPosition(QSize client, QSize icon);

}  // namespace orlenta
