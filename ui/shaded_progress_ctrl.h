// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

#include "shaded_bar.h"

namespace orlenta {

// A horizontal progress bar drawn as one shaded tube in tones of a single colour, with a
// short drop shadow after its end, over a button-face track. It shows no text. It keeps
// its own range, step and position, and repaints only when what it shows changes.
class CShadedProgressCtrl : public QWidget {
  Q_OBJECT

 public:
  explicit CShadedProgressCtrl(QWidget* parent = nullptr);

  // Recolours the bar in shades of `color` and repaints it at once.
  void SetBarColor(QRgb color);
  QRgb BarColor() const { return colors_.bar; }
  const ShadedBarColors& Colors() const { return colors_; }

  // A one-pixel frame in the window-frame colour around the bar; off by default.
  void SetBorder(bool on);

  // The range; the position is brought into it. An empty range shows the empty track.
  void SetRange(int lower, int upper);
  void GetRange(int& lower, int& upper) const {
    lower = lower_;
    upper = upper_;
  }
  // The position, kept within the range. Returns the previous position.
  int SetPos(int pos);
  int GetPos() const { return pos_; }
  // The amount StepIt advances by. Returns the previous step.
  int SetStep(int step);
  // Advances by the step, wrapping to the lower bound past the upper one as the system's
  // bar does. Returns the previous position.
  int StepIt();

  // Paints the client area (the widget less its border) into `image`, which takes the
  // client's size: what one paint puts on screen.
  void Render(QImage& image) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool border_ = false;
  int lower_ = 0;
  int upper_ = 100;
  int pos_ = 0;
  int step_ = 10;
  ShadedBarColors colors_;
  QImage buffer_;  // kept between paints: it is redrawn whole each time
};

}  // namespace orlenta
