// SPDX-License-Identifier: GPL-3.0-or-later
#include "value_checks.h"

#include <filesystem>

#include "engine/localized_text.h"
#include "engine/settings_record.h"
#include "platform/drive_map_file.h"
#include "platform/system_folders.h"

namespace orlenta {

namespace fs = std::filesystem;

std::string CheckNameStem(const std::string& stem) {
  if (stem.size() > RecoverySettings::kMaxStemLength) {
    return "the name stem \"" + stem + "\" is too long: at most 3 characters";
  }
  if (stem.find('/') != std::string::npos) return "the name stem cannot hold '/'";
  if (stem.find('\0') != std::string::npos) return "the name stem cannot hold a NUL";
  return "";
}

std::string CheckOutputFolder(const std::string& folder) {
  if (folder.empty()) return "";
  if (folder.front() != '/') return "the output folder \"" + folder + "\" is not an absolute path";
  if (WithTrailingSeparator(folder).size() > RecoverySettings::kMaxFolderLength) {
    return "the output folder path is too long: at most 199 bytes with its trailing '/'";
  }
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    return "the output folder \"" + folder + "\" does not exist or is not a folder";
  }
  return "";
}

std::string CheckLanguage(int language) {
  if (language >= kEnglish && language <= kLanguageCount) return "";
  return "the language must be 1 to 6 (1 English, 2 French, 3 German, 4 Italian, 5 Spanish, "
         "6 Romanian)";
}

std::string CheckDriveLetter(char letter) {
  if (IsDriveLetter(letter)) return "";
  return std::string("the drive letter \"") + letter + "\" is not one of B to M";
}

std::string CheckDrivePath(const std::string& path) {
  if (path.empty()) return "no path given for the drive";
  if (path.find_first_of("\r\n") != std::string::npos)
    return "a drive path cannot hold a line break";
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return "the drive path \"" + path + "\" does not exist";
  if (!fs::is_regular_file(status) && !fs::is_block_file(status)) {
    return "the drive path \"" + path + "\" is neither an image file nor a block device";
  }
  return "";
}

}  // namespace orlenta
