// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_colors.h"

#include <QGuiApplication>
#include <array>
#include <optional>

namespace orlenta {
namespace {

using ColorTable = std::array<QRgb, kSystemColorCount>;

// Which table GetSysColor answers from; empty means the application's palette.
std::optional<ColorTable>& FixedTable() {
  static std::optional<ColorTable> table;
  return table;
}

ColorTable ClassicTable() {
  ColorTable t{};
  t.fill(qRgb(0, 0, 0));
  t[COLOR_SCROLLBAR] = qRgb(192, 192, 192);
  t[COLOR_BACKGROUND] = qRgb(0, 128, 128);
  t[COLOR_ACTIVECAPTION] = qRgb(0, 0, 128);
  t[COLOR_INACTIVECAPTION] = qRgb(128, 128, 128);
  t[COLOR_MENU] = qRgb(192, 192, 192);
  t[COLOR_WINDOW] = qRgb(255, 255, 255);
  t[COLOR_WINDOWFRAME] = qRgb(0, 0, 0);
  t[COLOR_MENUTEXT] = qRgb(0, 0, 0);
  t[COLOR_WINDOWTEXT] = qRgb(0, 0, 0);
  t[COLOR_CAPTIONTEXT] = qRgb(255, 255, 255);
  t[COLOR_ACTIVEBORDER] = qRgb(192, 192, 192);
  t[COLOR_INACTIVEBORDER] = qRgb(192, 192, 192);
  t[COLOR_APPWORKSPACE] = qRgb(128, 128, 128);
  t[COLOR_HIGHLIGHT] = qRgb(0, 0, 128);
  t[COLOR_HIGHLIGHTTEXT] = qRgb(255, 255, 255);
  t[COLOR_BTNFACE] = qRgb(192, 192, 192);
  t[COLOR_BTNSHADOW] = qRgb(128, 128, 128);
  t[COLOR_GRAYTEXT] = qRgb(128, 128, 128);
  t[COLOR_BTNTEXT] = qRgb(0, 0, 0);
  t[COLOR_INACTIVECAPTIONTEXT] = qRgb(192, 192, 192);
  t[COLOR_BTNHIGHLIGHT] = qRgb(255, 255, 255);
  t[COLOR_3DDKSHADOW] = qRgb(64, 64, 64);
  t[COLOR_3DLIGHT] = qRgb(223, 223, 223);
  t[COLOR_INFOTEXT] = qRgb(0, 0, 0);
  t[COLOR_INFOBK] = qRgb(255, 255, 225);
  t[COLOR_GRADIENTACTIVECAPTION] = qRgb(16, 132, 208);
  t[COLOR_GRADIENTINACTIVECAPTION] = qRgb(181, 181, 181);
  return t;
}

QRgb Role(const QPalette& p, QPalette::ColorRole role) {
  return p.color(QPalette::Active, role).rgb();
}

// The palette's roles by what each classic colour is used for.
ColorTable TableOf(const QPalette& p) {
  ColorTable t = ClassicTable();
  t[COLOR_SCROLLBAR] = Role(p, QPalette::Button);
  t[COLOR_ACTIVECAPTION] = Role(p, QPalette::Highlight);
  t[COLOR_INACTIVECAPTION] = Role(p, QPalette::Mid);
  t[COLOR_MENU] = Role(p, QPalette::Window);
  t[COLOR_WINDOW] = Role(p, QPalette::Base);
  t[COLOR_WINDOWFRAME] = Role(p, QPalette::Shadow);
  t[COLOR_MENUTEXT] = Role(p, QPalette::WindowText);
  t[COLOR_WINDOWTEXT] = Role(p, QPalette::Text);
  t[COLOR_CAPTIONTEXT] = Role(p, QPalette::HighlightedText);
  t[COLOR_ACTIVEBORDER] = Role(p, QPalette::Window);
  t[COLOR_INACTIVEBORDER] = Role(p, QPalette::Window);
  t[COLOR_APPWORKSPACE] = Role(p, QPalette::Dark);
  t[COLOR_HIGHLIGHT] = Role(p, QPalette::Highlight);
  t[COLOR_HIGHLIGHTTEXT] = Role(p, QPalette::HighlightedText);
  t[COLOR_BTNFACE] = Role(p, QPalette::Button);
  t[COLOR_BTNSHADOW] = Role(p, QPalette::Dark);
  t[COLOR_GRAYTEXT] = p.color(QPalette::Disabled, QPalette::WindowText).rgb();
  t[COLOR_BTNTEXT] = Role(p, QPalette::ButtonText);
  t[COLOR_INACTIVECAPTIONTEXT] = Role(p, QPalette::Light);
  t[COLOR_BTNHIGHLIGHT] = Role(p, QPalette::Light);
  t[COLOR_3DDKSHADOW] = Role(p, QPalette::Shadow);
  t[COLOR_3DLIGHT] = Role(p, QPalette::Midlight);
  t[COLOR_INFOTEXT] = Role(p, QPalette::ToolTipText);
  t[COLOR_INFOBK] = Role(p, QPalette::ToolTipBase);
  t[COLOR_GRADIENTACTIVECAPTION] = QColor(t[COLOR_HIGHLIGHT]).lighter(140).rgb();
  t[COLOR_GRADIENTINACTIVECAPTION] = Role(p, QPalette::Midlight);
  return t;
}

}  // namespace

QRgb GetSysColor(int index) {
  if (index < 0 || index >= kSystemColorCount) return qRgb(0, 0, 0);
  if (FixedTable()) return (*FixedTable())[index];
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
    return ClassicTable()[index];
  return TableOf(QGuiApplication::palette())[index];
}

void UseSystemColorsOf(const QPalette& palette) {
  FixedTable() = TableOf(palette);
}

void UseClassicSystemColors() {
  FixedTable() = ClassicTable();
}

void UseApplicationSystemColors() {
  FixedTable().reset();
}

QImage MapThreeDColors(const QImage& image) {
  QImage out = image.convertToFormat(QImage::Format_RGB32);
  const QRgb shadow = GetSysColor(COLOR_3DSHADOW);
  const QRgb face = GetSysColor(COLOR_3DFACE);
  const QRgb light = GetSysColor(COLOR_3DLIGHT);
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      switch (line[x] & 0xFFFFFF) {
        case 0x808080:
          line[x] = shadow;
          break;
        case 0xC0C0C0:
          line[x] = face;
          break;
        case 0xDFDFDF:
          line[x] = light;
          break;
        default:
          break;
      }
    }
  }
  return out;
}

}  // namespace orlenta
