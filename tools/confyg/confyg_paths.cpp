// SPDX-License-Identifier: GPL-3.0-or-later
#include "confyg_paths.h"

#include <filesystem>

#include "platform/drive_discovery.h"
#include "platform/system_folders.h"

namespace orlenta {

std::string InstallFolderFor(const std::string& programFolder) {
  const std::filesystem::path folder =
      std::filesystem::path(programFolder) / ORLENTA_INSTALL_FOLDER_FROM_BIN;
  std::error_code error;
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, error);
  std::string text = (error ? folder.lexically_normal() : canonical).string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

ConfygPaths DefaultConfygPaths(const std::string& programFolder) {
  return {SettingsPath(), DefaultDriveMapFile(), InstallFolderFor(programFolder)};
}

}  // namespace orlenta
