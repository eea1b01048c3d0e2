// SPDX-License-Identifier: GPL-3.0-or-later
#include <QConicalGradient>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "art.h"

namespace orlenta::art {

namespace {

const QPointF kDiscCentre = QRectF(kOutlineInClient).center();

// The deep background and the dark, faintly iridescent surface of the disc.
void DrawDiscSurface(QPainter& p) {
  QRadialGradient base(kDiscCentre, 420);
  base.setColorAt(0.0, QColor(0x22, 0x24, 0x44));
  base.setColorAt(0.55, QColor(0x13, 0x16, 0x2C));
  base.setColorAt(1.0, QColor(0x05, 0x06, 0x0E));
  p.fillRect(QRect(QPoint(0, 0), kSkinSize), base);

  QConicalGradient sheen(kDiscCentre, 30);
  const QColor hues[] = {QColor(255, 60, 120), QColor(255, 190, 40), QColor(80, 230, 120),
                         QColor(40, 200, 255), QColor(140, 90, 255), QColor(255, 60, 120)};
  for (int i = 0; i < 6; ++i) {
    QColor c = hues[i];
    c.setAlpha(i % 2 == 0 ? 34 : 22);
    sheen.setColorAt(i / 5.0, c);
  }
  p.setBrush(sheen);
  p.setPen(Qt::NoPen);
  p.drawEllipse(kOutlineInClient.adjusted(8, 8, -8, -8));

  // Two soft beams of reflected light across the data surface.
  QConicalGradient beams(kDiscCentre, 0);
  const double stops[][2] = {{0.10, 0}, {0.14, 40}, {0.18, 0}, {0.60, 0}, {0.64, 32}, {0.68, 0}};
  for (const auto& s : stops) beams.setColorAt(s[0], QColor(255, 255, 255, int(s[1])));
  p.setBrush(beams);
  p.drawEllipse(kOutlineInClient.adjusted(8, 8, -8, -8));
}

// Fine concentric grooves, as the tracks of a recorded disc show under light.
void DrawGrooves(QPainter& p) {
  p.setBrush(Qt::NoBrush);
  for (int r = 48; r < 300; r += 3) {
    const int alpha = (r / 3) % 7 == 0 ? 26 : 10;
    p.setPen(QPen(QColor(200, 215, 255, alpha), 1));
    p.drawEllipse(kDiscCentre, r * 310.0 / 300.0, r);
  }
}

// A brushed-metal rim just inside the window's outline, and the clear hub at the centre.
void DrawRimAndHub(QPainter& p) {
  QLinearGradient metal(0, -22, 0, 578);
  metal.setColorAt(0.0, QColor(0xE6, 0xEC, 0xF5));
  metal.setColorAt(0.45, QColor(0x6E, 0x78, 0x8C));
  metal.setColorAt(1.0, QColor(0x2A, 0x2F, 0x3A));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QBrush(metal), 6));
  p.drawEllipse(QRectF(kOutlineInClient).adjusted(3, 3, -3, -3));
  p.setPen(QPen(QColor(0, 0, 0, 150), 2));
  p.drawEllipse(QRectF(kOutlineInClient).adjusted(7, 7, -7, -7));

  p.setPen(QPen(QColor(210, 220, 240, 60), 10));
  p.drawEllipse(kDiscCentre, 42, 42);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x04, 0x05, 0x0A));
  p.drawEllipse(kDiscCentre, 16, 16);
}

// The program's name in the dome above the controls, with a line saying what it does.
void DrawTitle(QPainter& p) {
  QFont font("DejaVu Sans", 10, QFont::Bold);
  font.setPixelSize(38);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 3);
  QPainterPath title;
  title.addText(0, 0, font, QStringLiteral("Orlenta"));
  const QRectF box = title.boundingRect();
  title.translate(kDiscCentre.x() - box.center().x(), 64);

  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 140));
  p.drawPath(title.translated(0, 2));
  QLinearGradient silver(0, 64 - box.height(), 0, 64);
  silver.setColorAt(0.0, QColor(0xFF, 0xFF, 0xFE));
  silver.setColorAt(0.55, QColor(0xC9, 0xD6, 0xEE));
  silver.setColorAt(1.0, QColor(0x7F, 0x9C, 0xD8));
  p.setBrush(silver);
  p.drawPath(title);

  QFont small("DejaVu Sans", 8);
  small.setPixelSize(10);
  small.setLetterSpacing(QFont::AbsoluteSpacing, 2.2);
  p.setFont(small);
  p.setPen(QColor(0x9F, 0xB8, 0xE6));
  p.drawText(QRectF(kDiscCentre.x() - 160, 70, 320, 16), Qt::AlignCenter,
             QStringLiteral("PHOTO \u00B7 MUSIC \u00B7 VIDEO RECOVERY"));
}

// A recessed, rounded well around a control, so that it sits in the disc.
void DrawWell(QPainter& p, const QRect& control, int margin) {
  const QRectF outer = QRectF(control).adjusted(-margin, -margin, margin, margin);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 120));
  p.drawRoundedRect(outer.adjusted(-1, -1, 1, 2), 7, 7);
  QLinearGradient edge(outer.topLeft(), outer.bottomLeft());
  edge.setColorAt(0, QColor(0x05, 0x07, 0x10));
  edge.setColorAt(1, QColor(0x55, 0x62, 0x86));
  p.setBrush(edge);
  p.drawRoundedRect(outer, 6, 6);
  p.setBrush(QColor(0x0B, 0x0E, 0x1C));
  p.drawRoundedRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), 5, 5);
}

// Small line drawings of the three kinds of media recovered: photo, music, video.
void DrawMediaGlyphs(QPainter& p) {
  p.setPen(QPen(QColor(0x7E, 0xA6, 0xE0, 170), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  const double x = 583;
  // Camera.
  p.drawRoundedRect(QRectF(x - 11, 295, 22, 15), 3, 3);
  p.drawEllipse(QPointF(x, 302.5), 4.5, 4.5);
  p.drawLine(QPointF(x - 5, 295), QPointF(x - 3, 292));
  p.drawLine(QPointF(x - 3, 292), QPointF(x + 3, 292));
  p.drawLine(QPointF(x + 3, 292), QPointF(x + 5, 295));
  // Two beamed notes.
  p.drawLine(QPointF(x - 5, 338), QPointF(x - 5, 325));
  p.drawLine(QPointF(x + 7, 335), QPointF(x + 7, 322));
  p.drawLine(QPointF(x - 5, 325), QPointF(x + 7, 322));
  p.setBrush(QColor(0x7E, 0xA6, 0xE0, 170));
  p.drawEllipse(QPointF(x - 8, 338.5), 3.5, 2.6);
  p.drawEllipse(QPointF(x + 4, 335.5), 3.5, 2.6);
  p.setBrush(Qt::NoBrush);
  // Film strip.
  p.drawRect(QRectF(x - 11, 355, 22, 18));
  for (int i = 0; i < 4; ++i) {
    p.drawPoint(QPointF(x - 8, 358 + i * 4.2));
    p.drawPoint(QPointF(x + 8, 358 + i * 4.2));
  }
  p.drawLine(QPointF(x - 5, 355), QPointF(x - 5, 373));
  p.drawLine(QPointF(x + 5, 355), QPointF(x + 5, 373));
}

}  // namespace

QImage DrawSkin() {
  QImage skin(kSkinSize, QImage::Format_RGB32);
  QPainter p(&skin);
  p.setRenderHint(QPainter::Antialiasing);
  DrawDiscSurface(p);
  DrawGrooves(p);
  DrawRimAndHub(p);
  DrawTitle(p);
  DrawWell(p, DialogUnits(45, 63, 119, 175), 5);
  DrawWell(p, DialogUnits(170, 135, 194, 103), 5);
  DrawWell(p, DialogUnits(174, 81, 161, 7), 4);
  DrawMediaGlyphs(p);
  p.end();
  AvoidStandardColors(skin, skin.rect());
  return skin;
}

}  // namespace orlenta::art
