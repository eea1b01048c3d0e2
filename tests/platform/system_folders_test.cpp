// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace orlenta {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SystemFolders, XdgConfigHomeIsHonoured) {
  const ScopedEnv config("XDG_CONFIG_HOME", "/srv/config");
  EXPECT_EQ(SettingsFolder(), "/srv/config/orlenta/");
  EXPECT_EQ(SettingsPath(), "/srv/config/orlenta/propCD.pro");
}

TEST(SystemFolders, DefaultsUnderHome) {
  const ScopedEnv home("HOME", "/home/ana");
  for (const char* config : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
    const ScopedEnv unset("XDG_CONFIG_HOME", config);
    EXPECT_EQ(SettingsPath(), "/home/ana/.config/orlenta/propCD.pro");
  }
  EXPECT_EQ(DefaultOutputFolder(), "/home/ana/RecoveredByQuarn");
  EXPECT_EQ(DefaultOutputFolderWithSeparator(), "/home/ana/RecoveredByQuarn/");
}

TEST(SystemFolders, DefaultOutputFolderIsCreatedOnceAndLeftAlone) {
  TempDir dir;
  const ScopedEnv home("HOME", dir.Path().c_str());
  CreateDefaultOutputFolder();
  ASSERT_TRUE(std::filesystem::is_directory(dir.File("RecoveredByQuarn")));
  ASSERT_TRUE(WriteFileBytes(dir.File("RecoveredByQuarn/1REC.jpg"), {1}));
  CreateDefaultOutputFolder();
  EXPECT_EQ(ListFolder(dir.File("RecoveredByQuarn")).size(), 1u);
}

TEST(SystemFolders, TrailingSeparator) {
  EXPECT_EQ(WithTrailingSeparator("/a"), "/a/");
  EXPECT_EQ(WithTrailingSeparator("/a/"), "/a/");
  EXPECT_EQ(WithTrailingSeparator(""), "");
}

}  // namespace
}  // namespace orlenta
