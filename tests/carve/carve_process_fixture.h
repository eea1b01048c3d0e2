// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "carve_runner.h"
#include "support/temp_dir.h"

namespace orlenta {

// What a finished orlenta-carve left: its exit status and what it wrote.
struct CarveOutcome {
  int status = -1;
  std::string out;
  std::string err;
};

// orlenta-carve as a user runs it: a separate process, HOME and XDG_CONFIG_HOME in the
// test's own folder, real files on disk.
class CarveProcessTest : public ::testing::Test {
 protected:
  pid_t Start(const std::vector<std::string>& args, const CarveLaunch& launch = {});
  CarveOutcome Wait(pid_t pid, double seconds = 120);
  CarveOutcome Run(const std::vector<std::string>& args, const CarveLaunch& launch = {}) {
    return Wait(Start(args, launch));
  }

  // Writes a settings file whose record holds `stem` and `folder`.
  void WriteSettings(const std::string& stem, const std::string& folder);
  // Writes `bytes` as the whole settings file.
  void WriteSettingsBytes(const std::string& bytes);
  std::filesystem::path SettingsFile() const;

  std::filesystem::path OutPath() const { return home_.Path() / "stdout.txt"; }
  std::filesystem::path ErrPath() const { return home_.Path() / "stderr.txt"; }
  std::filesystem::path Folder(const char* name) const { return home_.Path() / name; }

  TempDir home_;
};

void WriteAll(const std::filesystem::path& path, const std::string& bytes);

}  // namespace orlenta
