// SPDX-License-Identifier: GPL-3.0-or-later
// The recovery chosen in confyg's options file, as the window runs it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "engine/recovery_choice.h"
#include "support/disc_images.h"
#include "window_fixture.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;

constexpr std::size_t kSector = 2048;

std::vector<uint8_t> Sample(const std::string& name) {
  return ReadFileBytes(std::string(ORLENTA_FORMAT_SAMPLES) + "/" + name);
}

// Appends `bytes` to `disc` from a sector boundary on, the rest of its last sector zeros.
void Lay(std::vector<uint8_t>& disc, const std::vector<uint8_t>& bytes) {
  disc.insert(disc.end(), bytes.begin(), bytes.end());
  disc.resize((disc.size() + kSector - 1) / kSector * kSector, 0);
}

std::vector<uint8_t> Junk(std::size_t sectors) {
  std::mt19937 generator(13);
  std::vector<uint8_t> bytes(sectors * kSector);
  for (auto& b : bytes) b = static_cast<uint8_t>(generator());
  return bytes;
}

// A disc where the two recoveries differ: a JPEG followed by sectors of other data, then a
// FLAC, a kind only the wider detection knows.
class WindowRecoveryChoiceTest : public WindowTest {
 protected:
  void SetUp() override {
    ASSERT_FALSE(jpeg.empty());
    ASSERT_FALSE(flac.empty());
    Lay(disc, jpeg);
    Lay(disc, Junk(3));
    Lay(disc, flac);
    Lay(disc, Junk(2));
    ASSERT_TRUE(WriteFileBytes(temp.File("disc.img"), disc));
    MapDrive('E', temp.File("disc.img"));
  }

  void RecoverDriveE() {
    StartWindow();
    ClickTreeItem(DriveItem(0));
    Click(kStartButtonId);
    EXPECT_THAT(shell.messages, ElementsAre(ShellMessage{" Process completed!", "Orlenta"}));
  }

  const std::vector<uint8_t> jpeg = Sample("jfif-baseline.jpg");
  const std::vector<uint8_t> flac = Sample("flac-best.flac");
  std::vector<uint8_t> disc;
};

TEST_F(WindowRecoveryChoiceTest, ExactFilesAndMoreKindsRecoverEachOriginalByteForByte) {
  ASSERT_TRUE(
      SaveRecoveryChoice(OptionsPathBeside(SettingsPath()), RecoveryChoice::kExactAndMoreKinds));
  RecoverDriveE();
  EXPECT_THAT(ListFolder(OutputFolder()), ElementsAre("1REC.flac", "1REC.jpg"));
  EXPECT_EQ(ReadFileBytes(OutputFolder() + "1REC.jpg"), jpeg);
  EXPECT_EQ(ReadFileBytes(OutputFolder() + "1REC.flac"), flac);
}

TEST_F(WindowRecoveryChoiceTest, WithoutAnOptionsFileTheFileRunsToTheNextHeader) {
  RecoverDriveE();
  // No other header follows the JPEG: its file runs to the end of the disc.
  EXPECT_THAT(ListFolder(OutputFolder()), ElementsAre("1REC.jpg"));
  EXPECT_EQ(ReadFileBytes(OutputFolder() + "1REC.jpg"), disc);
}

// Names chosen in confyg: the files of the disc's folders come back under their own names,
// the log lists them as it lists carved files, and what no folder lists is carved beside.
TEST_F(WindowRecoveryChoiceTest, NamesChosenInConfygGiveTheDiscsFilesBackByName) {
  const std::string options = OptionsPathBeside(SettingsPath());
  ASSERT_TRUE(SaveRecoveryChoice(options, RecoveryChoice::kExactAndMoreKinds));
  ASSERT_TRUE(SaveNamesChoice(options, true));
  WriteTree(temp.File("tree"),
            {{"Holiday 2004/IMG_0042.JPG", {jpeg.begin(), jpeg.end()}},
             {"music/take.flac", {flac.begin(), flac.end()}}},
            1089806400);
  ASSERT_EQ(RunTool({"xorriso", "-as", "mkisofs", "-R", "-J", "-V", "Family", "-o",
                     temp.File("family.iso"), temp.File("tree")}),
            0);
  // A photo no folder lists any more, after the file system.
  std::vector<uint8_t> image = ReadFileBytes(temp.File("family.iso"));
  Lay(image, jpeg);
  ASSERT_TRUE(WriteFileBytes(temp.File("disc.img"), image));
  StartWindow();
  WatchLog();
  ClickTreeItem(DriveItem(0));
  Click(kStartButtonId);
  EXPECT_THAT(shell.messages, ElementsAre(ShellMessage{" Process completed!", "Orlenta"}));
  const std::string named = OutputFolder() + "Family/";
  EXPECT_EQ(ReadFileBytes(named + "Holiday 2004/IMG_0042.JPG"), jpeg);
  EXPECT_EQ(ReadFileBytes(named + "music/take.flac"), flac);
  EXPECT_THAT(ListFolder(OutputFolder()), ElementsAre("1REC.jpg", "Family"));
  EXPECT_EQ(ReadFileBytes(OutputFolder() + "1REC.jpg"), jpeg);
  for (const std::string& path : {named + "Holiday 2004/IMG_0042.JPG", named + "music/take.flac",
                                  OutputFolder() + "1REC.jpg"}) {
    EXPECT_TRUE(linesAdded.contains(QString::fromStdString("File recovered: " + path)))
        << path << "\n"
        << linesAdded.join("\n").toStdString();
  }
}

}  // namespace
}  // namespace orlenta
