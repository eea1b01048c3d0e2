// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace orlenta {

// `text` (a message naming a source, a folder or a file) with each control character written
// as \xHH, so that a name holding a newline, an escape sequence or a carriage return can
// neither split its line, which scripts read one file per line, nor steer the terminal.
std::string PrintableText(std::string_view text);

}  // namespace orlenta
