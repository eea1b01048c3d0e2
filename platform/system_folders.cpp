// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace orlenta {
namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/";
}

}  // namespace

std::string WithTrailingSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string SettingsFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string base = config && *config == '/' ? config : HomeFolder() + "/.config";
  return WithTrailingSeparator(base) + "orlenta/";
}

std::string SettingsPath() {
  return SettingsFolder() + "propCD.pro";
}

std::string DefaultOutputFolder() {
  return WithTrailingSeparator(HomeFolder()) + "RecoveredByQuarn";
}

std::string DefaultOutputFolderWithSeparator() {
  return DefaultOutputFolder() + "/";
}

void CreateDefaultOutputFolder() {
  std::error_code ignored;
  std::filesystem::create_directory(DefaultOutputFolder(), ignored);
}

}  // namespace orlenta
