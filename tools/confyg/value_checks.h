// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orlenta {

// Why a value cannot be stored in the settings.
enum class ValueProblem {
  kNone,
  kStemTooLong,
  kStemHoldsSeparator,
  kStemHoldsControlCharacter,
  kFolderNotAbsolute,
  kFolderTooLong,
  kFolderMissing,
  kLanguageOutOfRange,
  kDriveLetterOutOfRange,
  kDrivePathEmpty,
  kDrivePathHoldsLineBreak,
  kDrivePathMissing,
  kDrivePathNotImageOrDevice,
};

// The outcome of a check: the problem and the value it refused, which its message quotes.
struct ValueCheck {
  ValueProblem problem = ValueProblem::kNone;
  std::string value = {};

  bool Passed() const { return problem == ValueProblem::kNone; }
};

// The message of a refused value on the command line, in English whatever the settings'
// language (scripts read it); "" when the value passed.
std::string EnglishText(const ValueCheck& check);

// A name stem has at most 3 bytes (its field holds 4 with the NUL) and no '/'.
ValueCheck CheckNameStem(const std::string& stem);

// An output folder is "" (the default folder) or an absolute path of an existing folder
// that fits its field with the trailing separator it is saved with.
ValueCheck CheckOutputFolder(const std::string& folder);

// A language is 1..6.
ValueCheck CheckLanguage(int language);

// A drive letter is B..M.
ValueCheck CheckDriveLetter(char letter);

// A drive stands for an existing image file or block device, named on one line.
ValueCheck CheckDrivePath(const std::string& path);

}  // namespace orlenta
