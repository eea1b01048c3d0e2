// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QImage>
#include <QObject>
#include <QRegion>
#include <QSize>
#include <functional>

#include "skin_caption.h"

namespace orlenta {

class SkinClient;

// Gives a dialog the program's look: a frameless window with its own caption strip and
// frame, a client area painted with the repeated skin picture, and an elliptic outline
// outside which nothing is drawn or clickable. Controls go on Client(), whose coordinates
// are those of the dialog's layout. Owned by the dialog.
class SkinnedWindow : public QObject {
  Q_OBJECT

 public:
  static constexpr int kFrameWidth = 3;
  static constexpr int kCaptionHeight = 19;
  static constexpr QSize kDefaultClientSize{632, 400};

  // Skins `dialog` (before it is shown); `onClose` runs when the caption's close box is
  // clicked.
  SkinnedWindow(QDialog* dialog, std::function<void()> onClose);

  // The area the controls are placed on, below the caption and inside the frame.
  QWidget* Client() const;
  SkinCaption* Caption() const { return caption_; }

  // Sizes the window so that its client area is `size`.
  void SetClientSize(QSize size);

  // Drops the present skin, then loads picture `id` of the program as the new one: 1 on
  // success and for id 0 (no skin wanted), 0 when the picture is missing (the client then
  // shows the dialog's plain background).
  int SetSkinBitmap(int id);
  // Takes `picture` as the skin; a null picture leaves the skin empty.
  void SetSkinImage(const QImage& picture);
  const QImage& SkinBitmap() const { return skinBitmap_; }
  int SkinTileWidth() const { return skinBitmap_.width(); }
  int SkinTileHeight() const { return skinBitmap_.height(); }

  // Paints the skin over `rect` of the client's painter; 0 when there is no skin.
  int TileSkin(QPainter& painter, const QRect& rect) const;
  // The client's background: the skin, or the dialog's face colour when there is none, in
  // which case it returns false (the background was not the skin's to paint).
  bool EraseBackground(QPainter& painter, const QRect& client) const;

  // The window's outline, in window coordinates: an ellipse in the fixed box
  // (0, 0)-(620, 600), whatever the window's size.
  static QRegion WindowShape();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PaintWindow();
  void PaintMinimized(QPainter& painter);
  void PaintFrame(QPainter& painter);

  QDialog* dialog_;
  SkinCaption* caption_;
  SkinClient* client_;
  QImage skinBitmap_;
};

}  // namespace orlenta
