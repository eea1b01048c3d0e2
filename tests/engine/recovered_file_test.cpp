// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/recovered_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "engine/file_kind.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;

TEST(RecoveredFileName, CounterStemExtension) {
  EXPECT_EQ(RecoveredFileName(3, "REC", kJpeg), "3REC.jpg");
  EXPECT_EQ(RecoveredFileName(12, "", kMpeg), "12.mpg");
  EXPECT_EQ(RecoveredFileName(1, "AB", kQuickTimeMediaAtom), "1AB.mov");
  EXPECT_EQ(RecoveredFileName(1, "a/b", kGif), "1a_b.gif");  // never leaves the folder
}

TEST(RecoveredFile, CreatesTheNextNumberAndKeepsWhatWasWritten) {
  TempDir dir;
  int32_t counter = 0;
  {
    RecoveredFile file;
    ASSERT_TRUE(file.Create(dir.Folder(), "REC", kPng, counter));
    EXPECT_EQ(counter, 1);
    EXPECT_EQ(file.Path(), dir.File("1REC.png"));
    const uint8_t bytes[] = {1, 2, 3};
    EXPECT_TRUE(file.Append(bytes, 3));
  }  // closed by its destructor
  EXPECT_THAT(ReadFileBytes(dir.File("1REC.png")), ElementsAre(1, 2, 3));
}

TEST(RecoveredFile, SkipsNamesThatExist) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File("1REC.bmp"), {9}));
  ASSERT_TRUE(WriteFileBytes(dir.File("2REC.bmp"), {8}));
  int32_t counter = 0;
  RecoveredFile file;
  ASSERT_TRUE(file.Create(dir.Folder(), "REC", kBmp, counter));
  EXPECT_EQ(counter, 3);
  EXPECT_TRUE(file.Close());
  EXPECT_THAT(ListFolder(dir.Path()), ElementsAre("1REC.bmp", "2REC.bmp", "3REC.bmp"));
  EXPECT_THAT(ReadFileBytes(dir.File("1REC.bmp")), ElementsAre(9));
}

TEST(RecoveredFile, MissingFolderFailsAndTheNumberStaysUsed) {
  TempDir dir;
  int32_t counter = 4;
  RecoveredFile file;
  EXPECT_FALSE(file.Create(dir.Folder() + "nope/", "REC", kWave, counter));
  EXPECT_EQ(file.Error(), ENOENT);
  EXPECT_EQ(counter, 5);
  EXPECT_EQ(file.Path(), dir.Folder() + "nope/5REC.wav");
  const uint8_t byte = 0;
  EXPECT_FALSE(file.Append(&byte, 1));
}

}  // namespace
}  // namespace orlenta
