// SPDX-License-Identifier: GPL-3.0-or-later
#include <QPainter>
#include <QPainterPath>

#include "art.h"

namespace orlenta::art {

namespace {

// Menu pictures lie on the classic light grey, which the menu turns into its own colour,
// and are framed in the classic dark grey, which follows the 3-D shadow.
const QColor kMenuGrey(192, 192, 192);
const QColor kFrameGrey(128, 128, 128);
const QColor kWhite(0xFC, 0xFC, 0xFC);

void Stripes(QPainter& p, const QRect& r, Qt::Orientation along,
             std::initializer_list<std::pair<QColor, int>> bands) {
  int total = 0;
  for (const auto& b : bands) total += b.second;
  const int span = along == Qt::Vertical ? r.width() : r.height();
  int done = 0;
  int offset = 0;
  for (const auto& [color, weight] : bands) {
    done += weight;
    const int next = span * done / total;
    if (along == Qt::Vertical)
      p.fillRect(QRect(r.left() + offset, r.top(), next - offset, r.height()), color);
    else
      p.fillRect(QRect(r.left(), r.top() + offset, r.width(), next - offset), color);
    offset = next;
  }
}

// The flag of the United Kingdom for English, kept simple at this size.
void UnionFlag(QPainter& p, const QRect& r) {
  p.fillRect(r, QColor(0x01, 0x21, 0x69));
  p.save();
  p.setClipRect(r);
  p.setRenderHint(QPainter::Antialiasing);
  const QLineF d1(r.topLeft(), QPointF(r.right() + 1, r.bottom() + 1));
  const QLineF d2(QPointF(r.left(), r.bottom() + 1), QPointF(r.right() + 1, r.top()));
  p.setPen(QPen(kWhite, 4.0));
  p.drawLine(d1);
  p.drawLine(d2);
  p.setPen(QPen(QColor(0xC8, 0x10, 0x2E), 1.3));
  p.drawLine(d1.translated(0.6, -0.6));
  p.drawLine(d2.translated(0.6, 0.6));
  p.restore();
  const int cx = r.left() + r.width() / 2;
  const int cy = r.top() + r.height() / 2;
  p.fillRect(QRect(cx - 3, r.top(), 6, r.height()), kWhite);
  p.fillRect(QRect(r.left(), cy - 3, r.width(), 6), kWhite);
  p.fillRect(QRect(cx - 1, r.top(), 3, r.height()), QColor(0xC8, 0x10, 0x2E));
  p.fillRect(QRect(r.left(), cy - 1, r.width(), 3), QColor(0xC8, 0x10, 0x2E));
}

void Flag(QPainter& p, int id, const QRect& r) {
  switch (id) {
    case 140:
      UnionFlag(p, r);
      break;
    case 141:
      Stripes(p, r, Qt::Vertical,
              {{QColor(0x00, 0x55, 0xA4), 1}, {kWhite, 1}, {QColor(0xEF, 0x41, 0x35), 1}});
      break;
    case 142:
      Stripes(p, r, Qt::Horizontal,
              {{QColor(0x14, 0x14, 0x14), 1},
               {QColor(0xDD, 0x00, 0x00), 1},
               {QColor(0xFF, 0xCE, 0x00), 1}});
      break;
    case 143:
      Stripes(p, r, Qt::Vertical,
              {{QColor(0x00, 0x92, 0x46), 1}, {kWhite, 1}, {QColor(0xCE, 0x2B, 0x37), 1}});
      break;
    case 144:
      Stripes(p, r, Qt::Horizontal,
              {{QColor(0xAA, 0x15, 0x1B), 1},
               {QColor(0xF1, 0xBF, 0x00), 2},
               {QColor(0xAA, 0x15, 0x1B), 1}});
      break;
    case 145:
      Stripes(p, r, Qt::Vertical,
              {{QColor(0x00, 0x2B, 0x7F), 1},
               {QColor(0xFC, 0xD1, 0x16), 1},
               {QColor(0xCE, 0x11, 0x26), 1}});
      break;
    default:
      break;
  }
}

// The mark of the language in use: a bold green tick.
void CurrentMark(QPainter& p, const QRect& r) {
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath tick;
  const QPointF c = QRectF(r).center();
  tick.moveTo(c + QPointF(-7, 0));
  tick.lineTo(c + QPointF(-2.5, 5));
  tick.lineTo(c + QPointF(7.5, -6));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x0E, 0x4D, 0x1F), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(tick);
  p.setPen(QPen(QColor(0x2E, 0xC0, 0x52), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(tick);
}

}  // namespace

QImage DrawMenuPicture(int id) {
  const QSize size = id == 141 ? QSize(22, 22) : QSize(26, 22);
  QImage picture(size, QImage::Format_RGB32);
  picture.fill(kMenuGrey);
  QPainter p(&picture);
  if (id == 146) {
    CurrentMark(p, picture.rect());
    return picture;
  }
  const QRect frame = id == 141 ? QRect(1, 4, 20, 14) : QRect(2, 3, 22, 16);
  p.fillRect(frame, kFrameGrey);
  const QRect flag = frame.adjusted(1, 1, -1, -1);
  Flag(p, id, flag);
  p.end();
  AvoidStandardColors(picture, flag);
  return picture;
}

}  // namespace orlenta::art
