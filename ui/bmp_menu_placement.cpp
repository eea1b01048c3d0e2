// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmp_menu_placement.h"

#include <algorithm>

namespace orlenta {
namespace {

// Edges as the placement rules state them: right and bottom lie just outside the area.
int Right(const QRect& r) {
  return r.x() + r.width();
}
int Bottom(const QRect& r) {
  return r.y() + r.height();
}

}  // namespace

QPoint PlacePopupAtPoint(QSize size, QPoint anchor, const QRect& desktop) {
  const int x = anchor.x();
  const int y = anchor.y();
  const int w = size.width();
  const int h = size.height();
  const bool rightFits = x + w < Right(desktop);
  const bool leftFits = x - w > desktop.left();
  const bool downFits = y + h < Bottom(desktop);
  const bool upFits = y - h > desktop.top();
  if (rightFits && downFits) return {x, y};
  if (leftFits && downFits) return {x - w, y};
  if (rightFits && upFits) return {x, y - h};
  if (leftFits && upFits) return {x - w, y - h};
  return {x, y};
}

QPoint PlacePopupBeside(QSize size, const QRect& exclude, const QRect& desktop) {
  const int w = size.width();
  const int h = size.height();
  const bool rightFits = Right(exclude) + w < Right(desktop);
  const bool leftFits = exclude.left() - w > desktop.left();
  const bool downFits = exclude.top() + h < Bottom(desktop);
  const bool upFits = Bottom(exclude) - h > desktop.top();
  if (rightFits && downFits) return {Right(exclude), exclude.top()};
  if (rightFits && upFits) return {Right(exclude), Bottom(exclude) - h};
  if (leftFits && downFits) return {exclude.left() - w, exclude.top()};
  if (leftFits && upFits) return {exclude.left() - w, Bottom(exclude) - h};
  // Nothing fits beside the item (a tall submenu, a narrow screen): keep it whole on the
  // desktop rather than lose part of it; a popup larger than the desktop shows its top left.
  const int x = std::max(desktop.left(), std::min(Right(exclude), Right(desktop) - w));
  const int y = std::max(desktop.top(), std::min(exclude.top(), Bottom(desktop) - h));
  return {x, y};
}

}  // namespace orlenta
