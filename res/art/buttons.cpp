// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

#include "art.h"

namespace orlenta::art {

namespace {

enum Frame { kNormal = 0, kPressed = 1, kHover = 2 };

// The symbol of each button as an outline, centred on the origin, for a dome of radius r.
QPainterPath SymbolPath(Symbol symbol, double r) {
  QPainterPath path;
  const double s = r * 0.56;
  switch (symbol) {
    case Symbol::kStart:
      path.moveTo(-s * 0.62, -s * 0.95);
      path.lineTo(s * 1.0, 0);
      path.lineTo(-s * 0.62, s * 0.95);
      path.closeSubpath();
      path.translate(s * 0.12, 0);
      break;
    case Symbol::kStop:
      path.addRoundedRect(QRectF(-s * 0.78, -s * 0.78, s * 1.56, s * 1.56), s * 0.18, s * 0.18);
      break;
    case Symbol::kHelp: {
      QFont font("DejaVu Sans", 10, QFont::Bold);
      font.setPixelSize(int(r * 1.25));
      path.addText(0, 0, font, QStringLiteral("?"));
      path.translate(-path.boundingRect().center());
      break;
    }
    case Symbol::kSettings: {
      const int teeth = 8;
      for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * std::numbers::pi / teeth;
        const double a1 = (i + 0.5) * std::numbers::pi / teeth;
        const double rr = i % 2 == 0 ? s * 1.08 : s * 0.78;
        const QPointF p0(rr * std::cos(a0), rr * std::sin(a0));
        if (i == 0)
          path.moveTo(p0);
        else
          path.lineTo(p0);
        path.lineTo(rr * std::cos(a1), rr * std::sin(a1));
      }
      path.closeSubpath();
      QPainterPath hole;
      hole.addEllipse(QPointF(0, 0), s * 0.36, s * 0.36);
      path = path.subtracted(hole);
      break;
    }
    case Symbol::kLanguage: {
      // A globe: its outline, one meridian and the equator.
      QPainterPathStroker stroker;
      stroker.setWidth(std::max(1.6, r * 0.11));
      QPainterPath lines;
      const double g = s * 0.95;
      lines.addEllipse(QPointF(0, 0), g, g);
      lines.addEllipse(QPointF(0, 0), g * 0.45, g);
      lines.moveTo(-g, 0);
      lines.lineTo(g, 0);
      path = stroker.createStroke(lines);
      break;
    }
    case Symbol::kExit: {
      QPainterPathStroker stroker;
      stroker.setWidth(std::max(2.0, r * 0.14));
      stroker.setCapStyle(Qt::RoundCap);
      QPainterPath lines;
      const double g = s * 0.9;
      // A ring open at the top, where the stroke comes down into it.
      lines.arcMoveTo(QRectF(-g, -g, 2 * g, 2 * g), 125);
      lines.arcTo(QRectF(-g, -g, 2 * g, 2 * g), 125, 290);
      lines.moveTo(0, -g * 1.1);
      lines.lineTo(0, -g * 0.1);
      path = stroker.createStroke(lines);
      break;
    }
  }
  return path;
}

// A round glossy button: chrome bezel, coloured dome, highlight, symbol. Hover brightens
// the dome and adds a glow; pressed darkens it, dims the highlight and sinks the symbol.
void PaintButton(QPainter& p, const QRectF& frame, const ButtonArt& b, Frame state) {
  const QPointF c = frame.center();
  const double r = std::min(frame.width(), frame.height()) / 2.0 - 2.0;
  p.setPen(Qt::NoPen);

  if (state == kHover) {
    QRadialGradient glow(c, r + 2.5);
    QColor g = b.color.lighter(170);
    glow.setColorAt(0.80, QColor(g.red(), g.green(), g.blue(), 200));
    glow.setColorAt(1.0, QColor(g.red(), g.green(), g.blue(), 0));
    p.setBrush(glow);
    p.drawEllipse(c, r + 2.5, r + 2.5);
  } else {
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawEllipse(c + QPointF(0, 1.2), r + 0.8, r + 0.8);
  }

  QLinearGradient bezel(c.x(), c.y() - r, c.x(), c.y() + r);
  bezel.setColorAt(0, state == kPressed ? QColor(0x4A, 0x50, 0x5E) : QColor(0xF2, 0xF5, 0xFA));
  bezel.setColorAt(1, state == kPressed ? QColor(0xE0, 0xE6, 0xF0) : QColor(0x4E, 0x55, 0x64));
  p.setBrush(bezel);
  p.drawEllipse(c, r, r);

  const double dome = r - 2.2;
  const QColor base = state == kHover     ? b.color.lighter(128)
                      : state == kPressed ? b.color.darker(135)
                                          : b.color;
  QRadialGradient fill(c + QPointF(0, dome * 0.35), dome * 1.25, c + QPointF(0, dome * 0.55));
  fill.setColorAt(0, base.lighter(150));
  fill.setColorAt(0.6, base);
  fill.setColorAt(1, base.darker(175));
  p.setBrush(fill);
  p.drawEllipse(c, dome, dome);

  const double sink = state == kPressed ? 0.8 : 0.0;
  const QPainterPath symbol = SymbolPath(b.symbol, dome).translated(c + QPointF(sink, sink));
  p.setBrush(QColor(0, 0, 0, 110));
  p.drawPath(symbol.translated(0, 1));
  p.setBrush(QColor(0xFA, 0xFC, 0xFE));
  p.drawPath(symbol);

  QLinearGradient gloss(c.x(), c.y() - dome, c.x(), c.y());
  gloss.setColorAt(0, QColor(255, 255, 255, state == kPressed ? 70 : 175));
  gloss.setColorAt(1, QColor(255, 255, 255, 0));
  p.setBrush(gloss);
  p.drawEllipse(QRectF(c.x() - dome * 0.72, c.y() - dome * 0.94, dome * 1.44, dome * 0.95));
}

}  // namespace

void DrawButtonFrame(QImage& target, QPoint at, const ButtonArt& button, int frame) {
  QPainter p(&target);
  p.setRenderHint(QPainter::Antialiasing);
  PaintButton(p, QRectF(at, button.frameSize), button, static_cast<Frame>(frame));
}

QImage DrawButtonStrip(const ButtonArt& button, const QImage& background) {
  const QSize f = button.frameSize;
  // The strips keep their classic widths: three frames and any spare columns.
  const int width = f.width() == 44 ? 134 : 111;
  QImage strip(width, f.height(), QImage::Format_RGB32);
  strip.fill(QColor(0x20, 0x20, 0x21));
  QPainter p(&strip);
  for (int i = 0; i < 3; ++i) p.drawImage(QPoint(i * f.width(), 0), background);
  p.end();
  for (int i = 0; i < 3; ++i) DrawButtonFrame(strip, QPoint(i * f.width(), 0), button, i);
  AvoidStandardColors(strip, strip.rect());
  return strip;
}

}  // namespace orlenta::art
