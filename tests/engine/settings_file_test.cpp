// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/settings_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "engine/file_carver.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// A settings record with every byte different from its neighbours, byte 419 and the check
// value at offset 420 as given.
std::vector<uint8_t> Record(uint8_t byte419, int32_t checkValue) {
  std::vector<uint8_t> bytes(RecoverySettings::kSize);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  bytes[216] = 2;
  bytes[419] = byte419;
  for (std::size_t i = 0; i < 4; ++i) {
    bytes[420 + i] = static_cast<uint8_t>(static_cast<uint32_t>(checkValue) >> (8 * i));
  }
  return bytes;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string path = dir.File("propCD.pro");
  RecordingHost host;
};

TEST_F(SettingsFileTest, LoadReadsTheFirst620Bytes) {
  EXPECT_EQ(LoadSettings(path).status, SettingsStatus::kMissing);
  auto bytes = Record(0x10, 0x10);
  bytes.insert(bytes.end(), {1, 2, 3, 4});
  ASSERT_TRUE(WriteFileBytes(path, bytes));
  const LoadedSettings loaded = LoadSettings(path);
  EXPECT_EQ(loaded.status, SettingsStatus::kLoaded);
  EXPECT_TRUE(
      std::equal(loaded.record.Bytes().begin(), loaded.record.Bytes().end(), bytes.begin()));
}

TEST_F(SettingsFileTest, ShortFileReadsZeroPadded) {
  ASSERT_TRUE(WriteFileBytes(path, {'A', 'B', 0, 0, '/', 'o', '/'}));
  const LoadedSettings loaded = LoadSettings(path);
  EXPECT_EQ(loaded.status, SettingsStatus::kLoaded);
  EXPECT_EQ(loaded.record.NameStem(), "AB");
  EXPECT_EQ(loaded.record.OutputFolder(), "/o/");
  EXPECT_EQ(loaded.record.LanguageIndex(), 1);
  // The file ends inside the folder's text: what is there is a cut-off name, not a folder.
  EXPECT_EQ(ReadOutputFolder(path), std::nullopt);
}

TEST_F(SettingsFileTest, ADamagedOutputFolderIsNeverUsed) {
  const auto record = [](const std::string& folder, std::size_t length = 620) {
    std::vector<uint8_t> bytes(620, 0);
    std::copy(folder.begin(), folder.end(), bytes.begin() + 4);
    bytes.resize(length);
    return bytes;
  };
  std::vector<uint8_t> random(620);
  for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<uint8_t>(i * 37 + 11);
  const std::vector<std::pair<std::vector<uint8_t>, std::string>> damaged = {
      {record("/home/ana/out/", 12), "does not end inside its field"},   // cut short
      {{}, "does not end inside its field"},                             // 0 bytes
      {record(std::string(200, 'x')), "does not end inside its field"},  // no NUL at all
      {record("/home/ana/\x01\x02/"), "control characters"},
      {random, "control characters"},
      {record("out/"), "is not an absolute path"},
  };
  for (const auto& [bytes, problem] : damaged) {
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    EXPECT_THAT(OutputFolderProblem(LoadSettings(path)), HasSubstr(problem)) << problem;
    EXPECT_EQ(ReadOutputFolder(path), std::nullopt) << problem;
  }
  for (const std::string folder : {"", "/home/ana/out/"}) {
    ASSERT_TRUE(WriteFileBytes(path, record(folder, 4 + folder.size() + 1)));
    EXPECT_EQ(OutputFolderProblem(LoadSettings(path)), "") << folder;
    EXPECT_EQ(ReadOutputFolder(path), folder);
  }
}

TEST_F(SettingsFileTest, AFifoInPlaceOfTheFileIsUnreadableAndNeverWaitedFor) {
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(LoadSettings(path).status, SettingsStatus::kUnreadable);
  EXPECT_EQ(ReadOutputFolder(path), std::nullopt);
}

TEST_F(SettingsFileTest, OutputFolderOfAMissingFileIsNone) {
  EXPECT_EQ(ReadOutputFolder(path), std::nullopt);
  ASSERT_TRUE(WriteFileBytes(path, std::vector<uint8_t>(620, 0)));
  EXPECT_EQ(ReadOutputFolder(path), "");
}

struct CheckCase {
  uint8_t byte419;
  int32_t stored;
  bool passes;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
  *os << "byte " << int{c.byte419} << " stored " << c.stored;
}

class VerifySettingsTest : public SettingsFileTest,
                           public ::testing::WithParamInterface<CheckCase> {};

TEST_P(VerifySettingsTest, StoredValueMustBeTheSignExtendedByte419) {
  ASSERT_TRUE(WriteFileBytes(path, Record(GetParam().byte419, GetParam().stored)));
  EXPECT_EQ(VerifySettings(path), GetParam().passes);
  EXPECT_EQ(ComputeCheckValue(path), static_cast<int8_t>(GetParam().byte419));
}

INSTANTIATE_TEST_SUITE_P(Values, VerifySettingsTest,
                         ::testing::Values(CheckCase{0x00, 0, true}, CheckCase{0xFF, -1, true},
                                           CheckCase{0xFF, 255, false}, CheckCase{0x7F, 127, true},
                                           CheckCase{0x80, -128, true}, CheckCase{0x80, 128, false},
                                           CheckCase{0x00, 1, false}));

TEST_F(SettingsFileTest, MissingFileFailsTheCheck) {
  EXPECT_FALSE(VerifySettings(path));
  EXPECT_EQ(ComputeCheckValue(path), 0);
}

TEST_F(SettingsFileTest, SaveLanguageChangesByte216AndAppendsTheCheckValue) {
  for (const bool earlierSave : {false, true}) {
    auto before = Record(0x9C, -100);
    if (earlierSave) before.insert(before.end(), {0x55, 0x55, 0x55, 0x55});  // a stale trailer
    ASSERT_TRUE(WriteFileBytes(path, before));
    SaveLanguage(path, 5, host);
    EXPECT_THAT(host.messages, IsEmpty());
    const auto after = ReadFileBytes(path);
    ASSERT_EQ(after.size(), 624u);
    for (std::size_t i = 0; i < RecoverySettings::kSize; ++i) {
      if (i == 216) continue;
      EXPECT_EQ(after[i], before[i]) << "byte " << i;
    }
    EXPECT_EQ(after[216], 5);
    EXPECT_THAT(std::vector<uint8_t>(after.begin() + 620, after.end()),
                ElementsAre(0x9C, 0xFF, 0xFF, 0xFF));
    EXPECT_TRUE(VerifySettings(path));
    EXPECT_THAT(ListFolder(dir.Path()), ElementsAre("propCD.pro"));
  }
}

TEST_F(SettingsFileTest, FailedCheckWritesNothing) {
  const auto before = Record(0x9C, 156);
  ASSERT_TRUE(WriteFileBytes(path, before));
  SaveLanguage(path, 2, host);
  EXPECT_THAT(host.messages, ElementsAre(ShownMessage{MissingFileText[2], "Orlenta"}));
  EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(SettingsFileTest, MissingFileShowsMissingTwiceThenWriteError) {
  SaveLanguage(path, 6, host);
  const ShownMessage missing{MissingFileText[6], "Orlenta"};
  EXPECT_THAT(host.messages,
              ElementsAre(missing, missing, ShownMessage{WriteErrorText[6], "Orlenta"}));
  EXPECT_THAT(ListFolder(dir.Path()), IsEmpty());
}

TEST_F(SettingsFileTest, AFolderInPlaceOfTheFileIsUnreadableNotBlank) {
  std::filesystem::create_directory(path);
  EXPECT_EQ(LoadSettings(path).status, SettingsStatus::kUnreadable);
  EXPECT_EQ(ReadOutputFolder(path), std::nullopt);
  EXPECT_FALSE(VerifySettings(path));
}

TEST_F(SettingsFileTest, SaveThroughASymbolicLinkKeepsTheLinkAndThePermissions) {
  const std::string real = dir.File("real.pro");
  ASSERT_TRUE(WriteFileBytes(real, Record(0x05, 0x05)));
  std::filesystem::permissions(real, std::filesystem::perms(0600));
  std::filesystem::create_symlink(real, path);
  SaveLanguage(path, 4, host);
  EXPECT_THAT(host.messages, IsEmpty());
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(ReadFileBytes(real).size(), 624u);
  EXPECT_EQ(ReadFileBytes(real)[216], 4);
  EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms(0600));
}

}  // namespace
}  // namespace orlenta
