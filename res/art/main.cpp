// SPDX-License-Identifier: GPL-3.0-or-later
// Draws every picture of the program into one folder, as the numbered PNG files that the
// program compiles in. Run by hand after changing a drawing; its output is kept in the
// repository, so that a build never depends on the fonts of the machine it runs on.
//
//   orlenta_draw_art <folder> [<preview.png>]
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <cstdio>

#include "art.h"

namespace {

using namespace orlenta::art;

bool Save(const QImage& image, const QString& folder, const QString& name) {
  const QString path = QDir(folder).filePath(name);
  if (image.save(path, "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

// The strips are drawn over what lies under each button on the window: the skin and the
// buttons stacked below it, so that their round shapes sit on the picture seamlessly.
bool SaveButtons(const QImage& skin, const QString& folder, QImage& scene) {
  scene = skin.copy(QRect(QPoint(0, 0), kClientSize));
  bool ok = true;
  for (const ButtonArt& b : Buttons()) {
    const QImage& under = b.sharesPlace ? skin : scene;
    const QImage strip = DrawButtonStrip(b, under.copy(QRect(b.place, b.frameSize)));
    ok = Save(strip, folder, QString("%1.png").arg(b.id)) && ok;
    if (!b.sharesPlace) DrawButtonFrame(scene, b.place, b, 0);
  }
  return ok;
}

// The client area as the window shows it: the controls' places outlined, the buttons in
// their normal look, everything outside the window's outline blanked.
void SavePreview(const QImage& scene, const QString& path) {
  QImage preview = scene.copy();
  QPainter p(&preview);
  p.setPen(QColor(255, 255, 255, 160));
  p.setBrush(QColor(255, 255, 255, 30));
  p.drawRect(DialogUnits(45, 63, 119, 175));
  p.drawRect(DialogUnits(170, 135, 194, 103));
  p.drawRect(DialogUnits(174, 81, 161, 7));
  const QRegion outside = QRegion(preview.rect()) - QRegion(kOutlineInClient, QRegion::Ellipse);
  p.setClipRegion(outside);
  p.fillRect(preview.rect(), QColor(240, 240, 240));
  p.end();
  preview.save(path, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: orlenta_draw_art <folder> [<preview.png>]\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  const QImage skin = DrawSkin();
  bool ok = Save(skin, folder, "129.png");
  QImage scene;
  ok = SaveButtons(skin, folder, scene) && ok;
  for (int id = 140; id <= 146; ++id)
    ok = Save(DrawMenuPicture(id), folder, QString("%1.png").arg(id)) && ok;
  ok = Save(DrawIcon(256), folder, "128.png") && ok;
  ok = Save(DrawIcon(48), folder, "128_48.png") && ok;
  ok = Save(DrawIcon(16), folder, "128_16.png") && ok;
  if (argc > 2) SavePreview(scene, QString::fromLocal8Bit(argv[2]));
  return ok ? 0 : 1;
}
