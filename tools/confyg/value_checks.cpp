// SPDX-License-Identifier: GPL-3.0-or-later
#include "value_checks.h"

#include <filesystem>

#include "engine/localized_text.h"
#include "engine/settings_file.h"
#include "engine/settings_record.h"
#include "platform/drive_map_file.h"
#include "platform/system_folders.h"

namespace orlenta {

namespace fs = std::filesystem;

std::string EnglishText(const ValueCheck& check) {
  const std::string quoted = "\"" + check.value + "\"";
  switch (check.problem) {
    case ValueProblem::kNone:
      return "";
    case ValueProblem::kStemTooLong:
      return "the name stem " + quoted + " is too long: stored, it takes " +
             std::to_string(check.value.size()) + " bytes, at most 3 (a letter such as é takes 2)";
    case ValueProblem::kStemHoldsSeparator:
      return "the name stem cannot hold '/'";
    case ValueProblem::kStemHoldsControlCharacter:
      return "the name stem cannot hold control characters";
    case ValueProblem::kFolderNotAbsolute:
      return "the output folder " + quoted + " is not an absolute path";
    case ValueProblem::kFolderTooLong:
      return "the output folder path is too long: at most 199 bytes with its trailing '/'";
    case ValueProblem::kFolderMissing:
      return "the output folder " + quoted + " does not exist or is not a folder";
    case ValueProblem::kLanguageOutOfRange:
      return "the language must be 1 to 6 (1 English, 2 French, 3 German, 4 Italian, "
             "5 Spanish, 6 Romanian)";
    case ValueProblem::kDriveLetterOutOfRange:
      return "the drive letter " + quoted + " is not one of B to M";
    case ValueProblem::kDrivePathEmpty:
      return "no path given for the drive";
    case ValueProblem::kDrivePathHoldsLineBreak:
      return "a drive path cannot hold a line break";
    case ValueProblem::kDrivePathMissing:
      return "the drive path " + quoted + " does not exist";
    case ValueProblem::kDrivePathNotImageOrDevice:
      return "the drive path " + quoted + " is neither an image file nor a block device";
  }
  return "";
}

ValueCheck CheckNameStem(const std::string& stem) {
  if (stem.size() > RecoverySettings::kMaxStemLength) {
    return {ValueProblem::kStemTooLong, stem};
  }
  if (stem.find('/') != std::string::npos) return {ValueProblem::kStemHoldsSeparator, stem};
  if (HoldsControlCharacter(stem)) return {ValueProblem::kStemHoldsControlCharacter, stem};
  return {};
}

ValueCheck CheckOutputFolder(const std::string& folder) {
  if (folder.empty()) return {};
  if (folder.front() != '/') return {ValueProblem::kFolderNotAbsolute, folder};
  if (WithTrailingSeparator(folder).size() > RecoverySettings::kMaxFolderLength) {
    return {ValueProblem::kFolderTooLong, folder};
  }
  std::error_code error;
  if (!fs::is_directory(folder, error)) return {ValueProblem::kFolderMissing, folder};
  return {};
}

ValueCheck CheckLanguage(int language) {
  if (language >= kEnglish && language <= kLanguageCount) return {};
  return {ValueProblem::kLanguageOutOfRange, std::to_string(language)};
}

ValueCheck CheckDriveLetter(char letter) {
  if (IsDriveLetter(letter)) return {};
  return {ValueProblem::kDriveLetterOutOfRange, std::string(1, letter)};
}

ValueCheck CheckDrivePath(const std::string& path) {
  if (path.empty()) return {ValueProblem::kDrivePathEmpty, path};
  if (path.find_first_of("\r\n") != std::string::npos) {
    return {ValueProblem::kDrivePathHoldsLineBreak, path};
  }
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return {ValueProblem::kDrivePathMissing, path};
  if (!fs::is_regular_file(status) && !fs::is_block_file(status)) {
    return {ValueProblem::kDrivePathNotImageOrDevice, path};
  }
  return {};
}

}  // namespace orlenta
