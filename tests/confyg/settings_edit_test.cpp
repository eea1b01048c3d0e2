// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_edit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "confyg_test_support.h"
#include "value_checks.h"

namespace orlenta {
namespace {

using ::testing::HasSubstr;

TEST(ValueChecksTest, NameStemHoldsAtMostThreeBytesNoSeparatorNorControlCharacter) {
  EXPECT_EQ(EnglishText(CheckNameStem("")), "");
  EXPECT_EQ(EnglishText(CheckNameStem("REC")), "");
  EXPECT_THAT(EnglishText(CheckNameStem("RECO")), HasSubstr("at most 3"));
  EXPECT_THAT(EnglishText(CheckNameStem("\xC3\x89\xC3\x89")),
              HasSubstr("it takes 4 bytes, at most 3"));  // two letters, 4 bytes
  EXPECT_THAT(EnglishText(CheckNameStem("a/b")), HasSubstr("'/'"));
  // A control character would split the line that lists each recovered file.
  for (const std::string& stem :
       std::vector<std::string>{"a\nb", std::string("\0", 1), "\x1B", "\t", "\x7F"}) {
    EXPECT_THAT(EnglishText(CheckNameStem(stem)), HasSubstr("control characters")) << stem;
  }
}

TEST(ValueChecksTest, OutputFolderMustBeAnExistingAbsoluteFolderThatFits) {
  TempDir dir;
  EXPECT_EQ(EnglishText(CheckOutputFolder("")), "");  // the default folder
  EXPECT_EQ(EnglishText(CheckOutputFolder(dir.Path().string())), "");
  EXPECT_EQ(EnglishText(CheckOutputFolder(dir.Folder())), "");
  EXPECT_THAT(EnglishText(CheckOutputFolder(dir.File("missing"))), HasSubstr("does not exist"));
  ASSERT_TRUE(WriteFileBytes(dir.File("file"), {1}));
  EXPECT_THAT(EnglishText(CheckOutputFolder(dir.File("file"))), HasSubstr("not a folder"));
  EXPECT_THAT(EnglishText(CheckOutputFolder("relative/folder")), HasSubstr("absolute"));
  // 198 bytes and the separator fit the field's 199; one more does not.
  const std::string deep = dir.Folder() + std::string(198 - dir.Folder().size(), 'y');
  std::filesystem::create_directories(deep);
  EXPECT_EQ(EnglishText(CheckOutputFolder(deep)), "");
  std::filesystem::create_directories(deep + "z");
  EXPECT_THAT(EnglishText(CheckOutputFolder(deep + "z")), HasSubstr("too long"));
}

TEST(ValueChecksTest, ADriveIsAnImageFileOrABlockDevice) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File("disc.iso"), {1}));
  EXPECT_EQ(EnglishText(CheckDrivePath(dir.File("disc.iso"))), "");
  EXPECT_THAT(EnglishText(CheckDrivePath(dir.File("none.iso"))), HasSubstr("does not exist"));
  EXPECT_THAT(EnglishText(CheckDrivePath(dir.Folder())), HasSubstr("neither"));
  EXPECT_THAT(EnglishText(CheckDrivePath("/dev/null")), HasSubstr("neither"));
  EXPECT_NE(EnglishText(CheckDrivePath("")), "");
  EXPECT_NE(EnglishText(CheckDrivePath(dir.File("disc.iso\nF=/x"))), "");
}

TEST(SettingsEditTest, OnlyTheEditedFieldsAndTheCheckValueChange) {
  const auto before = PatternRecord();
  struct Case {
    SettingsEdit edit;
    std::size_t first, last;  // the bytes the field occupies
  };
  const std::vector<Case> cases = {
      {{.nameStem = "AB"}, 0, 3},
      {{.outputFolder = "/media/out"}, 4, 203},
      {{.openFolderWhenDone = true}, 208, 211},
      {{.language = 5}, 216, 216},
  };
  for (const Case& c : cases) {
    RecoverySettings record = RecoverySettings::FromBytes(before);
    ApplySettingsEdit(c.edit, record);
    const std::vector<uint8_t> after(record.Bytes().begin(), record.Bytes().end());
    for (const std::size_t i : ChangedBytes(before, after)) {
      EXPECT_TRUE(i >= c.first && i <= c.last) << "byte " << i << " changed";
    }
    EXPECT_EQ(record.CheckValue(), record.ComputedCheckValue());
  }
}

TEST(SettingsEditTest, StoredValuesReadBackAndTheFolderEndsWithASeparator) {
  RecoverySettings record = RecoverySettings::FromBytes(PatternRecord());
  ApplySettingsEdit({"XY", "/media/out", false, 6}, record);
  EXPECT_EQ(record.NameStem(), "XY");
  EXPECT_EQ(record.OutputFolder(), "/media/out/");
  EXPECT_EQ(record.OpenFolderWhenDone(), 0);
  EXPECT_EQ(record.RawLanguageIndex(), 6);
  ApplySettingsEdit({.outputFolder = "/media/out/", .openFolderWhenDone = true}, record);
  EXPECT_EQ(record.OutputFolder(), "/media/out/");
  EXPECT_EQ(record.OpenFolderWhenDone(), 1);
}

}  // namespace
}  // namespace orlenta
