// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "confyg_test_support.h"
#include "engine/settings_file.h"
#include "platform/system_folders.h"
#include "support/file_size_limit.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SettingsStoreTest : public ::testing::Test {
 protected:
  TempDir dir;
  const ConfygPaths paths = PathsIn(dir);
  const std::string folder = fs::path(paths.settingsFile).parent_path();

  void WriteSettings(const std::vector<uint8_t>& bytes) {
    fs::create_directories(folder);
    ASSERT_TRUE(WriteFileBytes(paths.settingsFile, bytes));
  }
};

TEST_F(SettingsStoreTest, InitCreatesDefaultsThatTheProgramReadsBack) {
  EXPECT_EQ(InitSettings(paths), InitOutcome::kCreated);
  const LoadedSettings loaded = LoadSettings(paths.settingsFile);
  ASSERT_EQ(loaded.status, SettingsStatus::kLoaded);
  EXPECT_EQ(loaded.record.NameStem(), "REC");
  EXPECT_EQ(loaded.record.OutputFolder(), DefaultOutputFolderWithSeparator());
  EXPECT_EQ(loaded.record.OpenFolderWhenDone(), 0);
  EXPECT_EQ(loaded.record.RawLanguageIndex(), 1);
  EXPECT_EQ(loaded.record.InstallFolder(), paths.installFolder);
  EXPECT_TRUE(VerifySettings(paths.settingsFile));
  EXPECT_EQ(ReadFileBytes(paths.settingsFile).size(), 624u);
  // Beside the settings only the lock file that every edit takes: no new file left behind.
  EXPECT_THAT(ListFolder(folder), ElementsAre(".lock", "propCD.pro"));
}

TEST_F(SettingsStoreTest, InitLeavesAWholeFileAsItIs) {
  WriteSettings(PatternRecord());
  EXPECT_EQ(InitSettings(paths), InitOutcome::kKept);
  EXPECT_EQ(ReadFileBytes(paths.settingsFile), PatternRecord());
}

TEST_F(SettingsStoreTest, InitCompletesADamagedFileKeepingItsBytes) {
  auto wrongCheck = PatternRecord();
  wrongCheck[420] ^= 1;
  WriteSettings(wrongCheck);
  EXPECT_EQ(InitSettings(paths), InitOutcome::kRepaired);
  EXPECT_THAT(ChangedBytes(wrongCheck, ReadFileBytes(paths.settingsFile)), ElementsAre(420));
  EXPECT_TRUE(VerifySettings(paths.settingsFile));

  WriteSettings({'A', 'B', 0, 0, '/', 'o', '/', 0});  // cut short: no language, no folder
  EXPECT_EQ(InitSettings(paths), InitOutcome::kRepaired);
  const RecoverySettings repaired = LoadSettings(paths.settingsFile).record;
  EXPECT_EQ(repaired.NameStem(), "AB");
  EXPECT_EQ(repaired.OutputFolder(), "/o/");
  EXPECT_EQ(repaired.RawLanguageIndex(), 1);
  EXPECT_EQ(repaired.InstallFolder(), paths.installFolder);
  EXPECT_TRUE(VerifySettings(paths.settingsFile));
}

TEST_F(SettingsStoreTest, AFolderInPlaceOfTheFileIsNeitherEditedNorReplaced) {
  fs::create_directories(paths.settingsFile);
  EXPECT_EQ(InitSettings(paths), InitOutcome::kUnreadable);
  EXPECT_EQ(LoadSettingsForEditing(paths), std::nullopt);
  EXPECT_TRUE(fs::is_directory(paths.settingsFile));
}

TEST_F(SettingsStoreTest, AnInstallFolderTooLongForItsFieldIsLeftOutNotCut) {
  const RecoverySettings record = DefaultSettings("/" + std::string(199, 'x'));
  EXPECT_EQ(record.InstallFolder(), "");
  EXPECT_EQ(DefaultSettings("/" + std::string(198, 'x')).InstallFolder().size(), 199u);
}

TEST_F(SettingsStoreTest, AWriteThatFailsMidwayLeavesTheOldFileIntact) {
  WriteSettings(PatternRecord());
  const RecoverySettings record = DefaultSettings(paths.installFolder);
  bool stored = true;
  {
    const FileSizeLimit limit(300);
    stored = StoreSettings(paths, record);
  }
  EXPECT_FALSE(stored);
  EXPECT_EQ(ReadFileBytes(paths.settingsFile), PatternRecord());
  EXPECT_THAT(ListFolder(folder), ElementsAre("propCD.pro"));
  EXPECT_EQ(InitSettings(paths), InitOutcome::kKept);
}

TEST_F(SettingsStoreTest, AReadOnlyFolderLeavesTheOldFileIntact) {
  if (::geteuid() == 0) GTEST_SKIP() << "folder permissions do not bind the superuser";
  WriteSettings(PatternRecord());
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  const bool stored = StoreSettings(paths, DefaultSettings(paths.installFolder));
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_FALSE(stored);
  EXPECT_EQ(ReadFileBytes(paths.settingsFile), PatternRecord());
  EXPECT_THAT(ListFolder(folder), ElementsAre("propCD.pro"));
}

TEST_F(SettingsStoreTest, DriveMapFileRoundTripsAndMissingMeansNoDrives) {
  EXPECT_THAT(LoadDriveMapFile(paths.driveMapFile).value(), IsEmpty());
  const std::map<char, std::string> drives = {{'E', "/dev/sr0"}, {'M', "/images/a b.iso"}};
  ASSERT_EQ(EditDriveMapFile(paths.driveMapFile, DriveChangesBetween({}, drives)),
            EditOutcome::kStored);
  EXPECT_EQ(LoadDriveMapFile(paths.driveMapFile), drives);
  ASSERT_EQ(EditDriveMapFile(paths.driveMapFile, DriveChangesBetween(drives, {})),
            EditOutcome::kStored);
  EXPECT_THAT(LoadDriveMapFile(paths.driveMapFile).value(), IsEmpty());
}

TEST_F(SettingsStoreTest, AnUnreadableDriveMapIsNotTakenForAnEmptyOne) {
  fs::create_directories(paths.driveMapFile);
  EXPECT_EQ(LoadDriveMapFile(paths.driveMapFile), std::nullopt);
  EXPECT_EQ(EditDriveMapFile(paths.driveMapFile, {{'E', "/dev/sr0"}}), EditOutcome::kUnreadable);
}

}  // namespace
}  // namespace orlenta
