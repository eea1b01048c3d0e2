// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_caption.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "system_colors.h"

namespace orlenta {

namespace {

constexpr int kBoxWidth = 16;
constexpr int kBoxHeight = 14;
constexpr int kBoxMargin = 2;
constexpr int kIconSize = 16;

QColor Sys(int index) {
  return QColor(GetSysColor(index));
}

// A raised classic box: light outer top-left, dark outer bottom-right, face inside; the
// edges swap while it is held down.
void PaintRaisedBox(QPainter& p, const QRect& r, bool down) {
  p.fillRect(r, Sys(COLOR_BTNFACE));
  const QColor outerLight = Sys(down ? COLOR_3DDKSHADOW : COLOR_3DHILIGHT);
  const QColor outerDark = Sys(down ? COLOR_3DHILIGHT : COLOR_3DDKSHADOW);
  const QColor innerDark = Sys(COLOR_3DSHADOW);
  p.fillRect(QRect(r.left(), r.top(), r.width(), 1), outerLight);
  p.fillRect(QRect(r.left(), r.top(), 1, r.height()), outerLight);
  p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), outerDark);
  p.fillRect(QRect(r.right(), r.top(), 1, r.height()), outerDark);
  if (!down) {
    p.fillRect(QRect(r.left() + 1, r.bottom() - 1, r.width() - 2, 1), innerDark);
    p.fillRect(QRect(r.right() - 1, r.top() + 1, 1, r.height() - 2), innerDark);
  }
}

}  // namespace

SkinCaption::SkinCaption(QWidget* window, std::function<void()> onClose)
    : QWidget(window), window_(window), onClose_(std::move(onClose)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect SkinCaption::BoxRect(Box box) const {
  const int top = (height() - 1 - kBoxHeight) / 2;
  const int closeLeft = width() - kBoxMargin - kBoxWidth;
  if (box == kCloseBox) return QRect(closeLeft, top, kBoxWidth, kBoxHeight);
  if (box == kMinimizeBox)
    return QRect(closeLeft - kBoxMargin - kBoxWidth, top, kBoxWidth, kBoxHeight);
  return {};
}

SkinCaption::Box SkinCaption::BoxAt(const QPoint& pos) const {
  if (BoxRect(kCloseBox).contains(pos)) return kCloseBox;
  if (BoxRect(kMinimizeBox).contains(pos)) return kMinimizeBox;
  return kNoBox;
}

void SkinCaption::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const bool active = window_->isActiveWindow();
  const QRect bar(0, 0, width(), height() - 1);
  QLinearGradient gradient(bar.topLeft(), bar.topRight());
  gradient.setColorAt(0, Sys(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
  gradient.setColorAt(1, Sys(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION));
  p.fillRect(bar, gradient);
  p.fillRect(QRect(0, height() - 1, width(), 1), Sys(COLOR_BTNFACE));

  const QIcon icon = window_->windowIcon();
  if (!icon.isNull())
    icon.paint(&p, QRect(kBoxMargin, (bar.height() - kIconSize) / 2, kIconSize, kIconSize));

  // The title is centred: it is the part of the strip that stays visible when the
  // window's shape cuts off its ends.
  QFont font = p.font();
  font.setBold(true);
  font.setPixelSize(11);
  p.setFont(font);
  p.setPen(Sys(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
  p.drawText(bar, Qt::AlignCenter | Qt::TextSingleLine, window_->windowTitle());

  PaintBox(p, kMinimizeBox);
  PaintBox(p, kCloseBox);
}

void SkinCaption::PaintBox(QPainter& p, Box box) const {
  const QRect r = BoxRect(box);
  const bool down = pressedBox_ == box && pressedInside_;
  PaintRaisedBox(p, r, down);
  const QColor ink = Sys(COLOR_BTNTEXT);
  const int shift = down ? 1 : 0;
  const QPoint c = r.center() + QPoint(shift, shift);
  if (box == kMinimizeBox) {
    p.fillRect(QRect(c.x() - 3, c.y() + 2, 6, 2), ink);
    return;
  }
  p.setPen(QPen(ink, 1.5));
  p.setRenderHint(QPainter::Antialiasing);
  p.drawLine(QPointF(c.x() - 3, c.y() - 3), QPointF(c.x() + 3, c.y() + 3));
  p.drawLine(QPointF(c.x() - 3, c.y() + 3), QPointF(c.x() + 3, c.y() - 3));
  p.setRenderHint(QPainter::Antialiasing, false);
}

void SkinCaption::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressedBox_ = BoxAt(event->position().toPoint());
  pressedInside_ = true;
  if (pressedBox_ != kNoBox) {
    update();
    return;
  }
  // Let the desktop move the window where it can; otherwise follow the mouse ourselves.
  QWindow* handle = window_->windowHandle();
  if (handle != nullptr && handle->startSystemMove()) return;
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - window_->frameGeometry().topLeft();
}

void SkinCaption::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) window_->move(event->globalPosition().toPoint() - dragOffset_);
  if (pressedBox_ == kNoBox) return;
  const bool inside = BoxAt(event->position().toPoint()) == pressedBox_;
  if (inside != pressedInside_) update();
  pressedInside_ = inside;
}

void SkinCaption::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  const Box pressed = pressedBox_;
  pressedBox_ = kNoBox;
  if (pressed == kNoBox) return;
  update();
  if (BoxAt(event->position().toPoint()) != pressed) return;  // released elsewhere: no click
  if (pressed == kMinimizeBox) window_->showMinimized();
  if (pressed == kCloseBox && onClose_) onClose_();
}

}  // namespace orlenta
