// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

namespace orlenta::art {

// The client area of the main window, which the skin lies under from its top-left corner.
inline constexpr QSize kClientSize{632, 400};
inline constexpr QSize kSkinSize{800, 600};
// The window's outline in client coordinates: the window's elliptic box moved by the
// frame (3) and the caption (19).
inline constexpr QRect kOutlineInClient{-3, -22, 620, 600};

// A place on the dialog in dialog units, turned into client pixels.
QRect DialogUnits(int x, int y, int width, int height);

enum class Symbol { kExit, kHelp, kSettings, kLanguage, kStart, kStop };

struct ButtonArt {
  int id;  // the picture's number
  Symbol symbol;
  QColor color;      // the dome's base colour
  QSize frameSize;   // one of the three frames
  QPoint place;      // top-left corner in client pixels
  bool sharesPlace;  // shown only while the button it overlaps is hidden
};

// The six command buttons, lowest first in the window's stacking order.
std::vector<ButtonArt> Buttons();

// The skin: a dark disc under the whole window, with wells for the controls.
QImage DrawSkin();

// One three-frame strip (normal, pressed, hover) drawn over `background`, the part of
// the window each frame covers.
QImage DrawButtonStrip(const ButtonArt& button, const QImage& background);
// Paints frame `frame` (0 normal, 1 pressed, 2 hover) of `button` into `target` at `at`.
void DrawButtonFrame(QImage& target, QPoint at, const ButtonArt& button, int frame);

// Menu pictures: a flag for each language (140..145) and the current-language mark (146).
QImage DrawMenuPicture(int id);

// The program's icon at `size` pixels square, with transparency.
QImage DrawIcon(int size);

// Moves any pixel that is exactly one of the standard greys (128, 192, 223), black or
// white off by one step, so that loading the picture never recolours it by accident.
void AvoidStandardColors(QImage& image, const QRect& area);

}  // namespace orlenta::art
