// SPDX-License-Identifier: GPL-3.0-or-later
#include "localized_text.h"

namespace orlenta {

std::string_view PickText(const LocalizedText& row, int language) {
  if (language < 1 || language > kLanguageCount) language = kEnglish;
  return row[static_cast<std::size_t>(language)];
}

std::string FormatText(std::string_view format, std::string_view value) {
  std::string text(format);
  for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
    if (at + 1 < text.size() && (text[at + 1] == 's' || text[at + 1] == 'd')) {
      text.replace(at, 2, value);
      break;
    }
  }
  return text;
}

}  // namespace orlenta
