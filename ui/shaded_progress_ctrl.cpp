// SPDX-License-Identifier: GPL-3.0-or-later
#include "shaded_progress_ctrl.h"

#include <QPainter>
#include <algorithm>

#include "system_colors.h"

namespace orlenta {

CShadedProgressCtrl::CShadedProgressCtrl(QWidget* parent)
    : QWidget(parent), colors_(MakeShadedBarColors(GetSysColor(COLOR_HIGHLIGHT))) {
  // Every pixel comes from paintEvent, so nothing needs erasing first: no flicker while
  // the position moves.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CShadedProgressCtrl::SetBarColor(QRgb color) {
  colors_ = MakeShadedBarColors(color);
  repaint();
}

void CShadedProgressCtrl::SetBorder(bool on) {
  border_ = on;
  setContentsMargins(on ? 1 : 0, on ? 1 : 0, on ? 1 : 0, on ? 1 : 0);
  update();
}

void CShadedProgressCtrl::SetRange(int lower, int upper) {
  if (lower == lower_ && upper == upper_) return;
  lower_ = lower;
  upper_ = upper;
  pos_ = std::clamp(pos_, std::min(lower, upper), std::max(lower, upper));
  update();
}

int CShadedProgressCtrl::SetPos(int pos) {
  const int previous = pos_;
  pos = std::clamp(pos, std::min(lower_, upper_), std::max(lower_, upper_));
  if (pos == pos_) return previous;  // a run sets the same percentage for many sectors
  const int width = contentsRect().width();
  const bool moves = BarRight(lower_, upper_, pos, width) != BarRight(lower_, upper_, pos_, width);
  pos_ = pos;
  if (moves) update();
  return previous;
}

int CShadedProgressCtrl::SetStep(int step) {
  const int previous = step_;
  step_ = step;
  return previous;
}

int CShadedProgressCtrl::StepIt() {
  const int previous = pos_;
  int next = pos_ + step_;
  if (next > upper_) next = lower_ + (next - upper_);
  SetPos(next);
  return previous;
}

void CShadedProgressCtrl::Render(QImage& image) const {
  const QRect client = contentsRect();
  if (image.size() != client.size()) image = QImage(client.size(), QImage::Format_RGB32);
  Canvas canvas(image);
  PaintShadedBar(canvas, colors_, QRect(QPoint(0, 0), client.size()), lower_, upper_, pos_);
}

void CShadedProgressCtrl::paintEvent(QPaintEvent*) {
  Render(buffer_);
  QPainter painter(this);
  if (border_) {
    painter.setPen(QColor(GetSysColor(COLOR_WINDOWFRAME)));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  painter.drawImage(contentsRect().topLeft(), buffer_);
}

}  // namespace orlenta
