// SPDX-License-Identifier: GPL-3.0-or-later
#include "hover_button.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QThread>
#include <QToolTip>

#include "res/bitmap_resource.h"
#include "system_colors.h"

namespace orlenta {

namespace {

// How long the mouse must rest on the button before it counts as hovering: barely at all,
// so the hover frame shows almost as soon as the mouse enters.
constexpr std::chrono::milliseconds kHoverTime{1};
// Short holds after a change of look, so that a quick pass over the buttons is seen.
constexpr std::chrono::milliseconds kHoverPause{40};
constexpr std::chrono::milliseconds kPressedPause{80};
// The focus ring: the light blue of the window's caption, drawn inside the round face.
constexpr QRgb kFocusRingColor = qRgb(0x8c, 0xd4, 0xff);
constexpr qreal kFocusRingWidth = 2.0;

}  // namespace

CHoverButton::CHoverButton(QWidget* parent)
    : QAbstractButton(parent), pause_([](std::chrono::milliseconds ms) {
        QThread::msleep(static_cast<unsigned long>(ms.count()));
      }) {
  setMouseTracking(true);
  hoverTimer_.setSingleShot(true);
  hoverTimer_.setInterval(kHoverTime);
  connect(&hoverTimer_, &QTimer::timeout, this, &CHoverButton::OnMouseHover);
}

bool CHoverButton::LoadStrip(unsigned id) {
  const QImage strip = LoadBitmapResource(static_cast<int>(id & 0xFFFF));
  if (!strip.isNull()) SetStrip(MapThreeDColors(strip));
  return true;
}

void CHoverButton::SetStrip(const QImage& strip) {
  strip_ = strip.convertToFormat(QImage::Format_RGB32);
  frameSize_ = QSize(strip_.width() / 3, strip_.height());
  resize(frameSize_);
  update();
}

void CHoverButton::SetTip(const char* text, bool activate) {
  if (text == nullptr) return;
  if (!toolRegistered_) {
    toolRegistered_ = true;
    tipRect_ = rect();
  }
  tipText_ = QString::fromUtf8(text);
  tipActive_ = activate;
  if (!tipActive_ && QToolTip::isVisible() && underMouse()) QToolTip::hideText();
}

CHoverButton::Frame CHoverButton::CurrentFrame() const {
  if (isDown()) return kPressedFrame;
  return hovering_ ? kHoverFrame : kNormalFrame;
}

QSize CHoverButton::sizeHint() const {
  return frameSize_;
}

bool CHoverButton::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    if (!ShowTip(help->pos(), help->globalPos())) {
      QToolTip::hideText();
      event->ignore();
    }
    return true;
  }
  return QAbstractButton::event(event);
}

bool CHoverButton::ShowTip(const QPoint& localPos, const QPoint& globalPos) {
  if (!tipActive_ || !toolRegistered_ || !tipRect_.contains(localPos)) return false;
  QToolTip::showText(globalPos, tipText_, this, tipRect_);
  return true;
}

void CHoverButton::paintEvent(QPaintEvent*) {
  const Frame frame = CurrentFrame();
  if (frame == kPressedFrame) pause_(kPressedPause);
  if (strip_.isNull()) return;
  QPainter painter(this);
  const QRect source(frame * frameSize_.width(), 0, frameSize_.width(), frameSize_.height());
  painter.drawImage(QPoint(0, 0), strip_, source);
  if (ShowsFocusRing()) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(kFocusRingColor), kFocusRingWidth));
    const qreal inset = kFocusRingWidth;
    painter.drawEllipse(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
  }
}

void CHoverButton::focusInEvent(QFocusEvent* event) {
  keyboardFocus_ = event->reason() == Qt::TabFocusReason ||
                   event->reason() == Qt::BacktabFocusReason ||
                   event->reason() == Qt::ShortcutFocusReason;
  QAbstractButton::focusInEvent(event);
  update();
}

void CHoverButton::focusOutEvent(QFocusEvent* event) {
  QAbstractButton::focusOutEvent(event);
  update();
}

void CHoverButton::mouseMoveEvent(QMouseEvent* event) {
  OnMouseMove();
  QAbstractButton::mouseMoveEvent(event);
}

void CHoverButton::enterEvent(QEnterEvent* event) {
  OnMouseMove();
  QAbstractButton::enterEvent(event);
}

void CHoverButton::leaveEvent(QEvent* event) {
  OnMouseLeave();
  QAbstractButton::leaveEvent(event);
}

// Asks once for the hover and leave notices; no new request until the mouse has left.
void CHoverButton::OnMouseMove() {
  if (tracking_) return;
  tracking_ = true;
  hoverTimer_.start();
}

void CHoverButton::OnMouseHover() {
  hovering_ = true;
  pause_(kHoverPause);
  update();
}

void CHoverButton::OnMouseLeave() {
  if (!tracking_) return;  // no notice was asked for, so none arrives
  hoverTimer_.stop();
  tracking_ = false;
  hovering_ = false;
  pause_(kHoverPause);
  update();
}

}  // namespace orlenta
