// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRect>

#include "canvas.h"

namespace orlenta {

// Side of the check-mark square of a menu at the classic 96 dpi; the submenu arrow and the
// width of the items are sized from it.
int MenuCheckSize();

// The system check mark: a one-bit picture of MenuCheckSize() square, the tick in black on
// white.
QImage CheckMarkPicture();

// A copy of an item's picture made to follow the system colours: the classic black, dark
// grey, light grey and white become the button text, 3-D shadow, menu (highlight when
// `hot`) and 3-D highlight colours. A greyed item gets a one-bit copy instead, each pixel
// taken as black or white, whichever is nearer. Null for a null picture.
QImage RecolorMenuPicture(const QImage& picture, bool greyed, bool hot);

// Draws an item's picture into the square `square`: a narrower picture is centred, a
// picture at least as wide as the square shows its centre part. A null `picture` stands for
// a checked item without a checked picture, which shows the check mark. Checked pictures
// get a sunken frame on a dithered background (plain menu colour when hot). The canvas's
// text colour must be the item's, for one-bit copies. True when something was drawn.
bool DrawMenuPicture(Canvas& canvas, const QRect& square, bool hot, const QImage& picture,
                     bool checked, bool greyed);

}  // namespace orlenta
