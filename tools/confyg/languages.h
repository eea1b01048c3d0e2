// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <string>

namespace orlenta {

// Each interface language by its index (slot 0 empty), named in its own tongue, as the
// language list shows them.
inline constexpr std::array<const char*, 7> kLanguageNames = {
    "", "English", "Français", "Deutsch", "Italiano", "Español", "Română"};

// The language that `text` names: its index 1..6, or a code en, fr, de, it, es or ro in any
// case; nullopt for anything else.
std::optional<int> ParseLanguage(const std::string& text);

}  // namespace orlenta
