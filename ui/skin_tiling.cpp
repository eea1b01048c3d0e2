// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_tiling.h"

namespace orlenta {

int TileSkin(QPainter& painter, const QRect& rect, const QImage& skin) {
  if (skin.isNull()) return 0;
  const int tileWidth = skin.width();
  const int tileHeight = skin.height();
  // The loops start at 0, not at the rectangle's corner: the rectangle is always the
  // whole client, whose corner is the origin.
  for (int y = 0; y < rect.height(); y += tileHeight)
    for (int x = 0; x < rect.width(); x += tileWidth) painter.drawImage(QPoint(x, y), skin);
  return 1;
}

QPoint MinimizedIconPosition(QSize client, QSize icon) {
  return {(client.width() - icon.width() + 1) / 2, (client.height() - icon.height() + 1) / 2};
}

}  // namespace orlenta
