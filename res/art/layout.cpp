// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>

#include "art.h"

namespace orlenta::art {

QRect DialogUnits(int x, int y, int width, int height) {
  const auto px = [](int units) { return static_cast<int>(std::lround(units * 1.5)); };
  const auto py = [](int units) { return static_cast<int>(std::lround(units * 1.625)); };
  return QRect(QPoint(px(x), py(y)), QPoint(px(x + width) - 1, py(y + height) - 1));
}

std::vector<ButtonArt> Buttons() {
  const QSize small(37, 38);
  const QSize large(44, 46);
  const auto at = [](int x, int y) { return DialogUnits(x, y, 1, 1).topLeft(); };
  return {
      {135, Symbol::kStart, QColor(0x25, 0xA2, 0x4A), large, at(223, 97), false},
      {138, Symbol::kStop, QColor(0xD4, 0x3A, 0x30), large, at(238, 103), true},
      {131, Symbol::kHelp, QColor(0x2D, 0x6F, 0xD6), small, at(355, 92), false},
      {133, Symbol::kSettings, QColor(0x1F, 0x93, 0x9A), small, at(343, 68), false},
      {132, Symbol::kLanguage, QColor(0xD0, 0x95, 0x18), small, at(365, 114), false},
      {130, Symbol::kExit, QColor(0x8E, 0x2A, 0x4C), small, at(369, 139), false},
  };
}

void AvoidStandardColors(QImage& image, const QRect& area) {
  const QRect r = area.intersected(image.rect());
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) {
      const QRgb c = image.pixel(x, y);
      switch (c & 0xFFFFFF) {
        case 0x000000:
          image.setPixel(x, y, qRgb(0, 0, 1));
          break;
        case 0x808080:
        case 0xC0C0C0:
        case 0xDFDFDF:
          image.setPixel(x, y, qRgb(qRed(c), qGreen(c), qBlue(c) + 1));
          break;
        case 0xFFFFFF:
          image.setPixel(x, y, qRgb(255, 255, 254));
          break;
        default:
          break;
      }
    }
  }
}

}  // namespace orlenta::art
