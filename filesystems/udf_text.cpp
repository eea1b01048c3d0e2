// SPDX-License-Identifier: GPL-3.0-or-later
#include "udf_text.h"

#include "iso_record.h"

namespace orlenta {

std::string UdfNameToUtf8(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return {};
  const uint8_t form = bytes[0];
  const std::span<const uint8_t> characters = bytes.subspan(1);
  // 254 and 255 are the same forms as 8 and 16, which newer discs use for some names.
  if (form == 16 || form == 255) return Utf16BeToUtf8(characters);
  if (form != 8 && form != 254) return {};
  std::string out;
  for (const uint8_t c : characters) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string UdfFieldToUtf8(std::span<const uint8_t> field) {
  if (field.size() < 2) return {};
  const std::size_t used = field.back();
  if (used == 0 || used > field.size() - 1) return {};
  std::string text = UdfNameToUtf8(field.first(used));
  while (!text.empty() && (text.back() == '\0' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace orlenta
