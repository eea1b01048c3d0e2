// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvas.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "system_colors.h"

namespace orlenta {

QRect EdgeRect(int left, int top, int right, int bottom) {
  return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

namespace {

bool IsDirect32(QImage::Format format) {
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

bool IsOneBit(const QImage& image) {
  return image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB;
}

}  // namespace

Brush Brush::Solid(QRgb color) {
  Brush b;
  b.color_ = color | 0xFF000000u;
  return b;
}

Brush Brush::Pattern8x8(const std::array<uint8_t, 8>& rows) {
  Brush b;
  b.kind_ = Kind::kPattern;
  b.rows_ = rows;
  return b;
}

Brush Brush::Picture(const QImage& tile) {
  if (tile.isNull()) return Solid(qRgb(0, 0, 0));
  Brush b;
  b.kind_ = Kind::kPicture;
  b.tile_ = tile.convertToFormat(QImage::Format_RGB32);
  return b;
}

QRgb Brush::ColorAt(int x, int y, QRgb textColor, QRgb backColor) const {
  switch (kind_) {
    case Kind::kSolid:
      return color_;
    case Kind::kPattern: {
      // The pattern is anchored at the canvas's origin; bit 7 is the leftmost column.
      const bool set = (rows_[y & 7] >> (7 - (x & 7))) & 1;
      return (set ? backColor : textColor) | 0xFF000000u;
    }
    case Kind::kPicture: {
      const int tx = ((x % tile_.width()) + tile_.width()) % tile_.width();
      const int ty = ((y % tile_.height()) + tile_.height()) % tile_.height();
      return tile_.pixel(tx, ty);
    }
  }
  return color_;
}

Canvas::Canvas(QImage& target) : image_(target) {
  if (!IsDirect32(image_.format())) image_.convertTo(QImage::Format_RGB32);
  font_.setPixelSize(11);
}

std::optional<QRgb> Canvas::GetPixel(int x, int y) const {
  if (!image_.rect().contains(x, y)) return std::nullopt;
  return reinterpret_cast<const QRgb*>(image_.constScanLine(y))[x] | 0xFF000000u;
}

void Canvas::SetPixel(int x, int y, QRgb color) {
  Plot(x, y, color);
}

void Canvas::Plot(int x, int y, QRgb color) {
  if (!image_.rect().contains(x, y)) return;
  reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = color | 0xFF000000u;
}

void Canvas::LineTo(int x, int y) {
  // Bresenham along the longer axis, one pixel per step; the end point is never plotted.
  const int dx = std::abs(x - position_.x());
  const int dy = std::abs(y - position_.y());
  const int sx = x > position_.x() ? 1 : -1;
  const int sy = y > position_.y() ? 1 : -1;
  int px = position_.x();
  int py = position_.y();
  const int steps = std::max(dx, dy);
  int error = (dx >= dy ? dx : dy) / 2;
  for (int i = 0; i < steps; ++i) {
    Plot(px, py, pen_);
    if (dx >= dy) {
      px += sx;
      error -= dy;
      if (error < 0) {
        py += sy;
        error += dx;
      }
    } else {
      py += sy;
      error -= dx;
      if (error < 0) {
        px += sx;
        error += dy;
      }
    }
  }
  position_ = {x, y};
}

void Canvas::Line(QPoint from, QPoint to) {
  MoveTo(from.x(), from.y());
  LineTo(to.x(), to.y());
}

void Canvas::Polyline(std::span<const QPoint> points) {
  if (points.size() < 2) return;
  MoveTo(points[0].x(), points[0].y());
  for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i].x(), points[i].y());
}

void Canvas::FillRect(const QRect& rect, const Brush& brush) {
  const QRect area = rect.normalized().intersected(image_.rect());
  for (int y = area.top(); y <= area.bottom(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    for (int x = area.left(); x <= area.right(); ++x)
      line[x] = brush.ColorAt(x, y, textColor_, backColor_);
  }
}

void Canvas::CopyBits(QPoint destination, QSize size, const QImage& source, QPoint sourceTopLeft) {
  if (source.isNull()) return;
  const bool oneBit = IsOneBit(source);
  for (int row = 0; row < size.height(); ++row) {
    const int sy = sourceTopLeft.y() + row;
    if (sy < 0 || sy >= source.height()) continue;
    for (int col = 0; col < size.width(); ++col) {
      const int sx = sourceTopLeft.x() + col;
      if (sx < 0 || sx >= source.width()) continue;
      QRgb color = source.pixel(sx, sy);
      if (oneBit) color = (color & 0xFFFFFF) == 0 ? textColor_ : backColor_;
      Plot(destination.x() + col, destination.y() + row, color);
    }
  }
}

void Canvas::StretchBits(const QRect& destination, const QImage& source, const QRect& sourceRect) {
  if (source.isNull() || destination.isEmpty() || sourceRect.isEmpty()) return;
  for (int row = 0; row < destination.height(); ++row) {
    const int sy = sourceRect.top() + row * sourceRect.height() / destination.height();
    for (int col = 0; col < destination.width(); ++col) {
      const int sx = sourceRect.left() + col * sourceRect.width() / destination.width();
      if (!source.rect().contains(sx, sy)) continue;
      Plot(destination.left() + col, destination.top() + row, source.pixel(sx, sy));
    }
  }
}

bool Canvas::ExtFloodFill(int x, int y, QRgb color, FloodFillType type, const Brush& brush) {
  const QRgb key = color | 0xFF000000u;
  auto qualifies = [&](int px, int py) {
    const bool same = *GetPixel(px, py) == key;
    return type == FloodFillType::kSurface ? same : !same;
  };
  if (!image_.rect().contains(x, y) || !qualifies(x, y)) return false;

  // The area is found on the untouched image first and painted afterwards, so a brush of
  // the bounding colour cannot change where the fill stops.
  const int w = Width();
  std::vector<uint8_t> inside(static_cast<std::size_t>(w) * Height(), 0);
  auto at = [&](int px, int py) -> uint8_t& { return inside[std::size_t(py) * w + px]; };
  std::vector<QPoint> pending{{x, y}};
  while (!pending.empty()) {
    const QPoint p = pending.back();
    pending.pop_back();
    if (at(p.x(), p.y()) || !qualifies(p.x(), p.y())) continue;
    int left = p.x();
    while (left > 0 && !at(left - 1, p.y()) && qualifies(left - 1, p.y())) --left;
    int right = p.x();
    while (right + 1 < w && !at(right + 1, p.y()) && qualifies(right + 1, p.y())) ++right;
    for (int px = left; px <= right; ++px) {
      at(px, p.y()) = 1;
      if (p.y() > 0) pending.emplace_back(px, p.y() - 1);
      if (p.y() + 1 < Height()) pending.emplace_back(px, p.y() + 1);
    }
  }
  for (int py = 0; py < Height(); ++py)
    for (int px = 0; px < w; ++px)
      if (at(px, py)) Plot(px, py, brush.ColorAt(px, py, textColor_, backColor_));
  return true;
}

void Canvas::DrawSunkenOuterEdge(const QRect& rect) {
  if (rect.isEmpty()) return;
  const int l = rect.left();
  const int t = rect.top();
  const int r = rect.left() + rect.width();
  const int b = rect.top() + rect.height();
  const QRgb saved = pen_;
  // Top-left first, then bottom-right over it: the far corners take the highlight.
  pen_ = GetSysColor(COLOR_3DSHADOW);
  Line({l, b - 1}, {l, t});
  Line({l, t}, {r, t});
  pen_ = GetSysColor(COLOR_3DHILIGHT);
  Line({l, b - 1}, {r - 1, b - 1});
  Line({r - 1, b - 1}, {r - 1, t - 1});
  pen_ = saved;
}

void Canvas::DrawText(const QString& text, const QRect& rect, unsigned flags) {
  int align = Qt::TextSingleLine;
  align |= (flags & kTextCenter)  ? Qt::AlignHCenter
           : (flags & kTextRight) ? Qt::AlignRight
                                  : Qt::AlignLeft;
  align |= (flags & kTextVCenter)  ? Qt::AlignVCenter
           : (flags & kTextBottom) ? Qt::AlignBottom
                                   : Qt::AlignTop;
  if (!(flags & kTextNoPrefix)) align |= Qt::TextShowMnemonic;
  QPainter painter(&image_);
  painter.setFont(font_);
  painter.setPen(QColor(textColor_));
  if (backMode_ == BackgroundMode::kOpaque) {
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(QColor(backColor_));
  }
  painter.drawText(rect, align, text);
}

}  // namespace orlenta
