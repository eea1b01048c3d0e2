// SPDX-License-Identifier: GPL-3.0-or-later
#include "bitmap_resource.h"

#include <QFile>
#include <QString>

// The pictures are compiled into a static library, so the program must register them
// itself before the first look-up; this has to be done outside any namespace.
static void RegisterPictures() {
  Q_INIT_RESOURCE(orlenta);
}

namespace orlenta {

namespace {

void EnsureRegistered() {
  static const bool registered = (RegisterPictures(), true);
  (void)registered;
}

QString PicturePath(int id, const char* suffix = "") {
  return QStringLiteral(":/bitmaps/%1%2.png").arg(id).arg(QLatin1String(suffix));
}

}  // namespace

QImage LoadBitmapResource(int id) {
  EnsureRegistered();
  const QString path = PicturePath(id);
  if (id <= 0 || !QFile::exists(path)) return {};
  QImage picture(path);
  if (picture.isNull()) return {};
  return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32
                                                           : QImage::Format_RGB32);
}

QIcon LoadIconResource(int id) {
  EnsureRegistered();
  QIcon icon;
  for (const char* suffix : {"", "_48", "_16"}) {
    const QString path = PicturePath(id, suffix);
    if (QFile::exists(path)) icon.addFile(path);
  }
  return icon;
}

}  // namespace orlenta
