// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orlenta {

// The files confyg works on, and the install folder a new settings file names.
struct ConfygPaths {
  std::string settingsFile;
  std::string driveMapFile;
  std::string installFolder;  // without a trailing separator
};

// The install folder (help pages and the confyg link) of the programs in `programFolder`:
// the same relative place in the build tree and once installed, with every link resolved.
std::string InstallFolderFor(const std::string& programFolder);

// The user's settings and drive map files, and the install folder of `programFolder`.
ConfygPaths DefaultConfygPaths(const std::string& programFolder);

}  // namespace orlenta
