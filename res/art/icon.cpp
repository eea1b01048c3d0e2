// SPDX-License-Identifier: GPL-3.0-or-later
#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "art.h"

namespace orlenta::art {

namespace {

// A disc seen from above: iridescent data surface, clear hub, dark centre hole.
void PaintDisc(QPainter& p, double size) {
  const QPointF c(size * 0.46, size * 0.46);
  const double r = size * 0.44;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 70));
  p.drawEllipse(c + QPointF(0, size * 0.015), r, r);

  QConicalGradient sheen(c, 20);
  const QColor hues[] = {QColor(0xC9, 0xD3, 0xF2), QColor(0xFF, 0x8A, 0xC0),
                         QColor(0xFF, 0xE0, 0x80), QColor(0x8C, 0xF2, 0xB8),
                         QColor(0x7C, 0xC8, 0xFF), QColor(0xB8, 0x9C, 0xFF),
                         QColor(0xC9, 0xD3, 0xF2)};
  for (int i = 0; i < 7; ++i) sheen.setColorAt(i / 6.0, hues[i]);
  p.setBrush(sheen);
  p.drawEllipse(c, r, r);

  QRadialGradient shade(c, r);
  shade.setColorAt(0.3, QColor(255, 255, 255, 0));
  shade.setColorAt(1.0, QColor(20, 30, 70, 90));
  p.setBrush(shade);
  p.drawEllipse(c, r, r);

  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x3A, 0x44, 0x66), size * 0.012));
  p.drawEllipse(c, r, r);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xE8, 0xEE, 0xF8, 230));
  p.drawEllipse(c, r * 0.30, r * 0.30);
  p.setBrush(QColor(0x8E, 0x9B, 0xBB));
  p.drawEllipse(c, r * 0.20, r * 0.20);
  p.setCompositionMode(QPainter::CompositionMode_Clear);
  p.drawEllipse(c, r * 0.11, r * 0.11);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// A green badge with a circular arrow: what was on the disc comes back.
void PaintBadge(QPainter& p, double size) {
  const QPointF c(size * 0.74, size * 0.74);
  const double r = size * 0.24;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 90));
  p.drawEllipse(c + QPointF(0, size * 0.015), r + size * 0.01, r + size * 0.01);
  p.setBrush(QColor(0xFA, 0xFC, 0xFE));
  p.drawEllipse(c, r, r);
  QRadialGradient fill(c + QPointF(0, -r * 0.4), r * 1.3);
  fill.setColorAt(0, QColor(0x5A, 0xD8, 0x7A));
  fill.setColorAt(1, QColor(0x14, 0x7A, 0x34));
  p.setBrush(fill);
  p.drawEllipse(c, r * 0.86, r * 0.86);

  const double a = r * 0.48;
  QPainterPath arc;
  arc.arcMoveTo(QRectF(c.x() - a, c.y() - a, 2 * a, 2 * a), 110);
  arc.arcTo(QRectF(c.x() - a, c.y() - a, 2 * a, 2 * a), 110, 290);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0xFA, 0xFC, 0xFE), r * 0.17, Qt::SolidLine, Qt::FlatCap));
  p.drawPath(arc);
  const QPointF tip = arc.pointAtPercent(0);
  QPainterPath head;
  head.moveTo(tip + QPointF(-r * 0.26, -r * 0.12));
  head.lineTo(tip + QPointF(r * 0.20, -r * 0.30));
  head.lineTo(tip + QPointF(r * 0.08, r * 0.22));
  head.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xFA, 0xFC, 0xFE));
  p.drawPath(head);
}

}  // namespace

QImage DrawIcon(int size) {
  QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  PaintDisc(p, size);
  PaintBadge(p, size);
  p.end();
  return icon.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace orlenta::art
