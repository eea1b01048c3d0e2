// SPDX-License-Identifier: GPL-3.0-or-later
#include "languages.h"

#include <algorithm>
#include <cctype>

namespace orlenta {

std::optional<int> ParseLanguage(const std::string& text) {
  static constexpr std::array<const char*, 7> kCodes = {"", "en", "fr", "de", "it", "es", "ro"};
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (int language = 1; language <= 6; ++language) {
    if (lower == std::to_string(language) || lower == kCodes[language]) return language;
  }
  return std::nullopt;
}

}  // namespace orlenta
