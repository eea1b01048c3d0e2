// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orlenta {

// Each check returns why a value cannot be stored in the settings, or "" when it can.

// A name stem has at most 3 bytes (its field holds 4 with the NUL) and no '/'.
std::string CheckNameStem(const std::string& stem);

// An output folder is "" (the default folder) or an absolute path of an existing folder
// that fits its field with the trailing separator it is saved with.
std::string CheckOutputFolder(const std::string& folder);

// A language is 1..6.
std::string CheckLanguage(int language);

// A drive letter is B..M.
std::string CheckDriveLetter(char letter);

// A drive stands for an existing image file or block device, named on one line.
std::string CheckDrivePath(const std::string& path);

}  // namespace orlenta
