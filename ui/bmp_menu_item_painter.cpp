// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmp_menu_item_painter.h"

#include "bmp_menu_picture.h"
#include "system_colors.h"

namespace orlenta {
namespace {

// Text sits one pixel up-left of its embossed light copy.
constexpr QPoint kEmbossOffset{1, 1};
// Room between the picture square and the text.
constexpr int kTextGap = 2;

}  // namespace

void DrawMenuItem(Canvas& canvas, QRect rect, const MenuItem& item, bool hot, const QFont& font) {
  const QRgb back = GetSysColor(hot ? COLOR_HIGHLIGHT : COLOR_MENU);
  QRgb text = GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  if (item.IsGrayed()) text = GetSysColor(COLOR_GRAYTEXT);

  rect.setLeft(rect.left() + 1);
  canvas.FillRect(rect, Brush::Solid(back));
  const QFont savedFont = canvas.Font();
  canvas.SelectFont(font);

  const int side = rect.height();
  const QRect square(rect.left(), rect.top(), side, side);
  canvas.SetTextColor(text);  // one-bit pictures show their black in the item's text colour
  if (item.IsChecked())
    DrawMenuPicture(canvas, square, hot, item.checkedPicture, true, item.IsGrayed());
  else if (!item.uncheckedPicture.isNull())
    DrawMenuPicture(canvas, square, hot, item.uncheckedPicture, false, item.IsGrayed());

  canvas.SetTextColor(text);
  canvas.SetBackgroundMode(BackgroundMode::kTransparent);
  QRect textRect = rect;
  textRect.setLeft(rect.left() + side + kTextGap);
  if (item.IsGrayed() && !hot) {
    canvas.SetTextColor(GetSysColor(COLOR_BTNHIGHLIGHT));
    canvas.DrawText(item.text, textRect.translated(kEmbossOffset), kTextVCenter);
    canvas.SetTextColor(text);
  }
  canvas.DrawText(item.text, textRect, kTextVCenter);
  canvas.SelectFont(savedFont);

  if (item.HasSubmenu()) DrawSubmenuArrow(canvas, rect, MenuCheckSize(), text);
}

void DrawMenuSeparator(Canvas& canvas, const QRect& rect) {
  canvas.FillRect(rect, Brush::Solid(GetSysColor(COLOR_MENU)));
  const int middle = rect.top() + rect.height() / 2;
  const int right = rect.left() + rect.width();
  canvas.SelectPen(GetSysColor(COLOR_BTNSHADOW));
  canvas.Line({rect.left() + 1, middle - 1}, {right - 1, middle - 1});
  canvas.SelectPen(GetSysColor(COLOR_BTNHIGHLIGHT));
  canvas.Line({rect.left() + 1, middle}, {right - 1, middle});
}

std::array<QPoint, 3> SubmenuArrow(const QRect& rect, int checkSize) {
  const int c = checkSize;
  const int right = rect.left() + rect.width();
  // A check-mark-sized box straddling the right edge, then shrunk to its middle part.
  int left = right - 3 * c / 4;
  int top = rect.top() + (rect.height() - c) / 2;
  int boxRight = left + c;
  int bottom = top + c;
  const int inset = 3 * c / 10;
  left += inset;
  top += inset;
  boxRight -= inset;
  bottom -= inset;
  const int width = boxRight - left;
  const int height = bottom - top;
  const QPoint tip(left + width / 2, top + height / 2);
  return {QPoint(left, top), tip, QPoint(left, tip.y() + height / 2)};
}

void DrawSubmenuArrow(Canvas& canvas, const QRect& rect, int checkSize, QRgb color) {
  const std::array<QPoint, 3> corners = SubmenuArrow(rect, checkSize);
  const std::array<QPoint, 4> outline = {corners[0], corners[1], corners[2], corners[0]};
  const QRgb savedPen = canvas.Pen();
  canvas.SelectPen(color);
  canvas.Polyline(outline);
  canvas.SelectPen(savedPen);
  canvas.FloodFill(corners[0].x() + 1, corners[0].y() + 2, color, Brush::Solid(color));
}

QImage PaintMenuItem(const MenuItem& item, QSize size, bool hot, const QFont& font) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(GetSysColor(COLOR_BTNHIGHLIGHT));  // the popup's own fill, seen left of the item
  Canvas canvas(image);
  if (item.separator)
    DrawMenuSeparator(canvas, image.rect());
  else
    DrawMenuItem(canvas, image.rect(), item, hot, font);
  return image;
}

}  // namespace orlenta
