// SPDX-License-Identifier: GPL-3.0-or-later
#include "carve_process_fixture.h"

#include <fstream>

#include "engine/settings_record.h"

namespace orlenta {

namespace fs = std::filesystem;

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

pid_t CarveProcessTest::Start(const std::vector<std::string>& args, const CarveLaunch& launch) {
  const pid_t pid = StartCarve(home_.Path().string(), args, OutPath().string(), launch);
  EXPECT_NE(pid, -1);
  return pid;
}

CarveOutcome CarveProcessTest::Wait(pid_t pid, double seconds) {
  CarveOutcome outcome;
  outcome.status = WaitForCarveAtMost(pid, seconds);
  EXPECT_NE(outcome.status, -1);
  outcome.out = FileText(OutPath());
  outcome.err = FileText(ErrPath());
  return outcome;
}

fs::path CarveProcessTest::SettingsFile() const {
  return home_.Path() / "config" / "orlenta" / "propCD.pro";
}

void CarveProcessTest::WriteSettingsBytes(const std::string& bytes) {
  fs::create_directories(SettingsFile().parent_path());
  WriteAll(SettingsFile(), bytes);
}

void CarveProcessTest::WriteSettings(const std::string& stem, const std::string& folder) {
  RecoverySettings settings;
  settings.SetNameStem(stem);
  settings.SetOutputFolder(folder);
  const auto& bytes = settings.Bytes();
  WriteSettingsBytes(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace orlenta
