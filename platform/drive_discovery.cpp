// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_discovery.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "drive_map_file.h"
#include "optical_drives.h"
#include "system_folders.h"

namespace orlenta {
namespace {

constexpr char kFirstKernelLetter = 'D';

// True when `a` and `b` name the same device or file, however each is spelled.
bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return a == b;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool AlreadyMapped(const std::map<char, std::string>& drives, const std::string& device) {
  return std::any_of(drives.begin(), drives.end(),
                     [&](const auto& drive) { return SameFile(drive.second, device); });
}

void AddKernelDrives(const DriveDiscoveryPaths& paths, std::map<char, std::string>& drives) {
  char letter = kFirstKernelLetter;
  for (const std::string& device : KernelOpticalDrives(paths.sysBlockRoot, paths.devRoot)) {
    if (AlreadyMapped(drives, device)) continue;
    while (IsDriveLetter(letter) && drives.count(letter) != 0) ++letter;
    if (!IsDriveLetter(letter)) return;
    drives[letter] = device;
  }
}

}  // namespace

DriveMap DiscoverDrives(const DriveDiscoveryPaths& paths) {
  // A drive map file that cannot be read names no drives; the kernel's are still found.
  std::map<char, std::string> drives =
      LoadDriveMapFile(paths.driveMapFile).value_or(std::map<char, std::string>{});
  AddKernelDrives(paths, drives);
  DriveMap map;
  for (const auto& [letter, path] : drives) {
    if (CanOpenForReading(path)) map.Assign(letter, path);
  }
  return map;
}

std::string DefaultDriveMapFile() {
  return SettingsFolder() + kDriveMapFileName;
}

}  // namespace orlenta
