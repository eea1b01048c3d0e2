// SPDX-License-Identifier: GPL-3.0-or-later
#include "first_run.h"

#include <QFileInfo>
#include <QProcess>
#include <filesystem>

namespace orlenta {

bool PrepareFirstRun(const std::string& settingsPath, const QString& programFolder) {
  std::error_code error;
  if (std::filesystem::exists(settingsPath, error)) return true;
  const QString confyg = programFolder + "/confyg";
  if (QFileInfo(confyg).isExecutable()) QProcess::execute(confyg, {"--init"});
  return std::filesystem::exists(settingsPath, error);
}

}  // namespace orlenta
