// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>

namespace orlenta {

// Picture `id` of the program (skin, button strips, menu pictures, the icon at its
// largest size) as a 32-bit image, opaque except for the icon, or a null image when there
// is no such picture.
QImage LoadBitmapResource(int id);

// Icon `id` of the program with all of its sizes; a null icon when there is none.
QIcon LoadIconResource(int id);

}  // namespace orlenta
