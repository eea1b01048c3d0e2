// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace orlenta {

// `bytes` as text an XML document may hold: valid UTF-8 passes as it is; bytes that are not
// UTF-8 (a file name in another encoding) and characters XML forbids (control characters)
// become U+FFFD, so that a report stays readable by any XML parser whatever a path holds.
// Escaping &, < and > is left to the XML writer.
std::string XmlText(std::string_view bytes);

}  // namespace orlenta
