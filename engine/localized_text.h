// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace orlenta {

// One text in the six interface languages, indexed by the language: 1 English, 2 French,
// 3 German, 4 Italian, 5 Spanish, 6 Romanian. Slot 0 stays empty.
using LocalizedText = std::array<const char*, 7>;

inline constexpr int kEnglish = 1;
inline constexpr int kLanguageCount = 6;

// The entry of `row` for `language`; a language outside 1..6 gets English.
std::string_view PickText(const LocalizedText& row, int language);

// `format` with its first "%s" or "%d" replaced by `value`. The value is inserted as it
// stands, so a '%' in a path is never read as a directive.
std::string FormatText(std::string_view format, std::string_view value);

}  // namespace orlenta
