// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <functional>

namespace orlenta {

// The caption strip of a window that has no frame from the desktop: its icon, its title,
// a minimise box and a close box, and dragging the window by the rest of the strip.
class SkinCaption : public QWidget {
  Q_OBJECT

 public:
  enum Box { kNoBox, kMinimizeBox, kCloseBox };

  // `window` is the top-level window the strip belongs to; `onClose` runs when the close
  // box is clicked.
  SkinCaption(QWidget* window, std::function<void()> onClose);

  // Where the two boxes sit in the strip.
  QRect BoxRect(Box box) const;
  Box BoxAt(const QPoint& pos) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void PaintBox(QPainter& painter, Box box) const;

  QWidget* window_;
  std::function<void()> onClose_;
  Box pressedBox_ = kNoBox;
  bool pressedInside_ = false;  // the mouse is still on the box it pressed
  bool dragging_ = false;
  QPoint dragOffset_;  // from the window's corner to the mouse, while dragging by hand
};

}  // namespace orlenta
