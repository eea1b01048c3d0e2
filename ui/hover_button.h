// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>

namespace orlenta {

// A push button whose whole face is one frame of a three-frame picture strip: normal,
// pressed and hover, side by side. It draws no text and no border, looks the same when
// disabled, and carries its own tooltip, which stays silent until SetTip turns it on.
// Reached from the keyboard (Tab), it draws a ring inside its face, so that a keyboard
// user sees which button Space will press; a mouse click leaves no ring.
class CHoverButton : public QAbstractButton {
  Q_OBJECT

 public:
  enum Frame : int { kNormalFrame = 0, kPressedFrame = 1, kHoverFrame = 2 };
  using Pause = std::function<void(std::chrono::milliseconds)>;

  explicit CHoverButton(QWidget* parent = nullptr);

  // Loads strip `id` from the program's pictures with its standard greys turned into the
  // desktop's 3-D colours, and resizes the button to one frame. Always true; a missing
  // picture leaves the button without a face at its present size.
  bool LoadStrip(unsigned id);
  // Takes `strip` as it is: frames are a third of its width (the columns left over are
  // never shown) and its full height.
  void SetStrip(const QImage& strip);

  // Sets the tooltip text; the first call also fixes the area it answers for, as the
  // button is at that moment. `activate` turns the tooltip on or off. A null text changes
  // nothing.
  void SetTip(const char* text, bool activate);

  // The frame a paint would show now.
  Frame CurrentFrame() const;
  // True while the button shows its focus ring.
  bool ShowsFocusRing() const { return hasFocus() && keyboardFocus_; }

  QSize FrameSize() const { return frameSize_; }
  bool IsHovering() const { return hovering_; }
  bool IsTracking() const { return tracking_; }
  int ToolCount() const { return toolRegistered_ ? 1 : 0; }
  const QString& TipText() const { return tipText_; }
  QRect TipRect() const { return tipRect_; }
  bool IsTipActive() const { return tipActive_; }

  // Replaces the pauses taken after hover and leave and before the pressed frame (the
  // thread sleeps by default); tests record them instead.
  void SetPause(Pause pause) { pause_ = std::move(pause); }

  QSize sizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void OnMouseMove();
  void OnMouseHover();
  void OnMouseLeave();
  bool ShowTip(const QPoint& localPos, const QPoint& globalPos);

  QSize frameSize_;
  QImage strip_;
  bool hovering_ = false;
  bool tracking_ = false;
  bool keyboardFocus_ = false;  // the focus came from the keyboard, not from a click
  QTimer hoverTimer_;           // the short rest after which the mouse counts as hovering

  bool toolRegistered_ = false;
  bool tipActive_ = false;
  QString tipText_;
  QRect tipRect_;

  Pause pause_;
};

}  // namespace orlenta
