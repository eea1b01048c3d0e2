// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace orlenta {

// How XmlText writes what XML cannot hold, in words for the report that uses it.
inline constexpr const char* kXmlTextEscaping =
    "UTF-8; each byte that is not part of valid UTF-8 or is a control character XML cannot "
    "hold, and each backslash, is written as \\xHH (two upper-case hex digits)";

// `bytes` as text an XML document may hold, without losing a byte: valid UTF-8 passes as it
// is; a byte that is not UTF-8 (a file name in another encoding) or a control character XML
// forbids becomes \xHH, as forensic tools' DFXML writers do, and a backslash becomes \x5C so
// that the original bytes can always be told back. Escaping &, < and > is left to the XML
// writer.
std::string XmlText(std::string_view bytes);

// The bytes XmlText was given for `text`: every \xHH turned back into its byte.
std::string XmlTextBytes(std::string_view text);

}  // namespace orlenta
