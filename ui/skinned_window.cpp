// SPDX-License-Identifier: GPL-3.0-or-later
#include "skinned_window.h"

#include <QEvent>
#include <QPainter>

#include "res/bitmap_resource.h"
#include "skin_tiling.h"
#include "system_colors.h"

namespace orlenta {

// The client area: its whole background is the skin, and the controls are its children.
class SkinClient : public QWidget {
 public:
  SkinClient(QWidget* parent, const SkinnedWindow& skin) : QWidget(parent), skin_(skin) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    skin_.EraseBackground(painter, rect());
  }

 private:
  const SkinnedWindow& skin_;
};

namespace {

constexpr QRect kShapeBox{0, 0, 620, 600};
const QSize kSystemIconSize{32, 32};

}  // namespace

SkinnedWindow::SkinnedWindow(QDialog* dialog, std::function<void()> onClose)
    : QObject(dialog),
      dialog_(dialog),
      caption_(new SkinCaption(dialog, std::move(onClose))),
      client_(new SkinClient(dialog, *this)) {
  dialog_->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
  dialog_->setAttribute(Qt::WA_OpaquePaintEvent);
  dialog_->installEventFilter(this);
  SetClientSize(kDefaultClientSize);
}

QWidget* SkinnedWindow::Client() const {
  return client_;
}

void SkinnedWindow::SetClientSize(QSize size) {
  caption_->setGeometry(kFrameWidth, kFrameWidth, size.width(), kCaptionHeight);
  client_->setGeometry(kFrameWidth, kFrameWidth + kCaptionHeight, size.width(), size.height());
  dialog_->setFixedSize(size.width() + 2 * kFrameWidth,
                        size.height() + kCaptionHeight + 2 * kFrameWidth);
}

int SkinnedWindow::SetSkinBitmap(int id) {
  SetSkinImage(QImage());
  if (id == 0) return 1;
  const QImage picture = LoadBitmapResource(id);
  if (picture.isNull()) return 0;
  SetSkinImage(picture);
  return 1;
}

void SkinnedWindow::SetSkinImage(const QImage& picture) {
  skinBitmap_ = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
  client_->update();
}

int SkinnedWindow::TileSkin(QPainter& painter, const QRect& rect) const {
  return orlenta::TileSkin(painter, rect, skinBitmap_);
}

bool SkinnedWindow::EraseBackground(QPainter& painter, const QRect& client) const {
  if (TileSkin(painter, client) == 1) return true;
  painter.fillRect(client, QColor(GetSysColor(COLOR_BTNFACE)));
  return false;
}

QRegion SkinnedWindow::WindowShape() {
  return QRegion(kShapeBox, QRegion::Ellipse);
}

bool SkinnedWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != dialog_) return false;
  switch (event->type()) {
    case QEvent::Paint:
      PaintWindow();
      return true;
    case QEvent::WindowTitleChange:
    case QEvent::WindowIconChange:
    case QEvent::ActivationChange:
      caption_->update();
      return false;
    default:
      return false;
  }
}

// The outline is set again on every paint of the restored window; setting the same
// outline again costs nothing.
void SkinnedWindow::PaintWindow() {
  QPainter painter(dialog_);
  if (dialog_->isMinimized()) {
    PaintMinimized(painter);
    return;
  }
  const QRegion shape = WindowShape();
  if (dialog_->mask() != shape) dialog_->setMask(shape);
  PaintFrame(painter);
}

// Only where the desktop draws minimised windows themselves: the icon, centred.
void SkinnedWindow::PaintMinimized(QPainter& painter) {
  painter.fillRect(dialog_->rect(), QColor(GetSysColor(COLOR_BTNFACE)));
  const QPoint at = MinimizedIconPosition(dialog_->size(), kSystemIconSize);
  dialog_->windowIcon().paint(&painter, QRect(at, kSystemIconSize));
}

// The raised frame of a dialog: light and highlight along the top and left, dark shadow
// and shadow along the bottom and right, then a line of face colour.
void SkinnedWindow::PaintFrame(QPainter& painter) {
  const QRect r = dialog_->rect();
  painter.fillRect(r, QColor(GetSysColor(COLOR_BTNFACE)));
  const auto band = [&](int inset, int topLeft, int bottomRight) {
    const QRect b = r.adjusted(inset, inset, -inset, -inset);
    const QColor light(GetSysColor(topLeft));
    const QColor dark(GetSysColor(bottomRight));
    painter.fillRect(QRect(b.left(), b.top(), b.width() - 1, 1), light);
    painter.fillRect(QRect(b.left(), b.top(), 1, b.height() - 1), light);
    painter.fillRect(QRect(b.left(), b.bottom(), b.width(), 1), dark);
    painter.fillRect(QRect(b.right(), b.top(), 1, b.height()), dark);
  };
  band(0, COLOR_3DLIGHT, COLOR_3DDKSHADOW);
  band(1, COLOR_3DHILIGHT, COLOR_3DSHADOW);
}

}  // namespace orlenta
