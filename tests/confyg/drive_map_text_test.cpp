// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_map_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/drive_map_file.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;
using ::testing::StartsWith;

constexpr const char* kHandWritten =
    "# my discs\r\n"
    "\n"
    "  e=/old/e.iso\n"
    "B=/b.iso\n"
    "some note\n"
    "E=/newer/e.iso\n"
    "Z=/not/a/letter\n"
    "F=/f.iso";  // no line end

TEST(DriveMapTextTest, SettingALetterKeepsEveryOtherLineAsWritten) {
  EXPECT_EQ(EditDriveMapText(kHandWritten, {{'E', "/new/e.iso"}}),
            "# my discs\r\n"
            "\n"
            "B=/b.iso\n"
            "some note\n"
            "E=/new/e.iso\n"
            "Z=/not/a/letter\n"
            "F=/f.iso\n");
}

TEST(DriveMapTextTest, TakingALetterAwayRemovesAllItsLinesAndANewOneGoesLast) {
  const std::string edited = EditDriveMapText(kHandWritten, {{'E', ""}, {'M', "/dev/sr1"}});
  EXPECT_EQ(edited,
            "# my discs\r\n"
            "\n"
            "B=/b.iso\n"
            "some note\n"
            "Z=/not/a/letter\n"
            "F=/f.iso\n"
            "M=/dev/sr1\n");
  EXPECT_THAT(ParseDriveMap(edited),
              ElementsAre(Pair('B', "/b.iso"), Pair('F', "/f.iso"), Pair('M', "/dev/sr1")));
}

TEST(DriveMapTextTest, ANewFileStartsWithItsCommentAndTakingAwayAMissingLetterChangesNothing) {
  const std::string created = EditDriveMapText("", {{'E', "/a b.iso"}, {'G', ""}});
  EXPECT_THAT(created, StartsWith("#"));
  EXPECT_THAT(ParseDriveMap(created), ElementsAre(Pair('E', "/a b.iso")));
  EXPECT_EQ(EditDriveMapText("# only a comment\n", {{'G', ""}}), "# only a comment\n");
}

TEST(DriveMapTextTest, ChangesBetweenTwoMapsNameOnlyWhatDiffers) {
  EXPECT_THAT(DriveChangesBetween({{'B', "/b"}, {'E', "/e"}, {'F', "/f"}},
                                  {{'B', "/b"}, {'E', "/e2"}, {'G', "/g"}}),
              ElementsAre(Pair('E', "/e2"), Pair('F', ""), Pair('G', "/g")));
}

}  // namespace
}  // namespace orlenta
