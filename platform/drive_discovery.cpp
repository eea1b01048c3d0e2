#include "drive_discovery.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "drive_map_file.h"
#include "optical_drives.h"
#include "system_folders.h"

namespace orlenta {
namespace {

constexpr char kFirstKernelLetter = 'D';

std::map<char, std::string> ReadDriveMapFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::ostringstream text;
  text << file.rdbuf();
  return ParseDriveMap(text.str());
}

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
  std::map<char, std::string> drives = ReadDriveMapFile(paths.driveMapFile);
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
