// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orlenta {

// The help page of `language`: English, French, German, Italian and Spanish have their own;
// Romanian, and any language out of range, get the English page.
const char* HelpPageName(int language);

// The help page of `language` in `installFolder`.
std::string HelpPagePath(const std::string& installFolder, int language);

// The configuration program in `installFolder`.
std::string ConfygPath(const std::string& installFolder);

}  // namespace orlenta
