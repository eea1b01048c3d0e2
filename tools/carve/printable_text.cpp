// SPDX-License-Identifier: GPL-3.0-or-later
#include "printable_text.h"

#include <cstdint>

namespace orlenta {

std::string PrintableText(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string printable;
  printable.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      printable += c;
      continue;
    }
    printable += "\\x";
    printable += kHex[byte >> 4];
    printable += kHex[byte & 0xF];
  }
  return printable;
}

}  // namespace orlenta
