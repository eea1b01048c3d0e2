// SPDX-License-Identifier: GPL-3.0-or-later
#include "optical_drives.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace orlenta {
namespace {

constexpr int kScsiTypeOpticalDrive = 5;

// The number after "sr" of an entry such as "sr12", or -1 for any other name.
int OpticalDriveNumber(const std::string& name) {
  if (name.size() < 3 || name.compare(0, 2, "sr") != 0) return -1;
  int number = 0;
  for (std::size_t i = 2; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9' || number > 100000) return -1;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

bool IsOpticalDriveType(const std::filesystem::path& entry) {
  std::ifstream typeFile(entry / "device" / "type");
  int type = -1;
  return typeFile >> type && type == kScsiTypeOpticalDrive;
}

}  // namespace

std::vector<std::string> KernelOpticalDrives(const std::string& sysBlockRoot,
                                             const std::string& devRoot) {
  std::vector<std::pair<int, std::string>> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(sysBlockRoot, error)) {
    const std::string name = entry.path().filename().string();
    const int number = OpticalDriveNumber(name);
    if (number >= 0 && IsOpticalDriveType(entry.path())) found.emplace_back(number, name);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> devices;
  for (const auto& [number, name] : found) devices.push_back(devRoot + "/" + name);
  return devices;
}

bool CanOpenForReading(const std::string& path) {
  // O_NONBLOCK lets an empty optical drive open; without it the kernel refuses the open
  // with "no medium" and the drive would vanish from the list until a disc goes in.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace orlenta
