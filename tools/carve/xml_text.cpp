// SPDX-License-Identifier: GPL-3.0-or-later
#include "xml_text.h"

#include <cstdint>

namespace orlenta {
namespace {

// The length of the UTF-8 sequence starting `text` at `at` when it is one XML allows, else 0.
std::size_t AllowedSequence(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(text[at + i]); };
  const uint8_t lead = byte(0);
  if (lead < 0x80) return lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r' ? 1 : 0;
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
  uint32_t code = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3F);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  const bool forbidden =
      (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE || code == 0xFFFF || code > 0x10FFFF;
  return overlong || forbidden ? 0 : length;
}

void AppendEscaped(std::string& text, uint8_t byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  text += "\\x";
  text += kHex[byte >> 4];
  text += kHex[byte & 0xF];
}

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

}  // namespace

std::string XmlText(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = AllowedSequence(bytes, at);
    if (length == 0 || bytes[at] == '\\') {
      AppendEscaped(text, static_cast<uint8_t>(bytes[at]));
      ++at;
    } else {
      text.append(bytes.substr(at, length));
      at += length;
    }
  }
  return text;
}

std::string XmlTextBytes(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    const bool escape = text[at] == '\\' && at + 3 < text.size() && text[at + 1] == 'x' &&
                        HexValue(text[at + 2]) >= 0 && HexValue(text[at + 3]) >= 0;
    if (!escape) {
      bytes += text[at];
      continue;
    }
    bytes += static_cast<char>(HexValue(text[at + 2]) * 16 + HexValue(text[at + 3]));
    at += 3;
  }
  return bytes;
}

}  // namespace orlenta
