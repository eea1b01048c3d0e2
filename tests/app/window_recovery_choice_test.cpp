// SPDX-License-Identifier: GPL-3.0-or-later
// The recovery and the file filter chosen in confyg's options file, as the window runs them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "engine/options_file.h"
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

// Whether the JPEG sample is the larger of the two files on the disc.
bool JpegLarger() {
  return Sample("jfif-baseline.jpg").size() > Sample("flac-best.flac").size();
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
// On an ISO 9660 disc with Rock Ridge and Joliet names, and on a UDF disc whose long names
// only UDF carries.
TEST_F(WindowRecoveryChoiceTest, NamesChosenInConfygGiveTheDiscsFilesBackByName) {
  const std::string options = OptionsPathBeside(SettingsPath());
  ASSERT_TRUE(SaveRecoveryChoice(options, RecoveryChoice::kExactAndMoreKinds));
  ASSERT_TRUE(SaveNamesChoice(options, true));
  const std::string photo = "Holiday 2004 at the seaside/IMG_0042 the boat leaving.JPG";
  const std::string sound = "music/a take recorded on the beach at night.flac";
  WriteTree(temp.File("tree"),
            {{photo, {jpeg.begin(), jpeg.end()}}, {sound, {flac.begin(), flac.end()}}}, 1089806400);
  const std::vector<std::string> makers[] = {
      {"xorriso", "-as", "mkisofs", "-R", "-J", "-V", "Family", "-o", temp.File("family.iso"),
       temp.File("tree")},
      {"genisoimage", "-quiet", "-udf", "-input-charset", "utf-8", "-V", "Family", "-o",
       temp.File("family.iso"), temp.File("tree")},
  };
  StartWindow();
  WatchLog();
  for (const std::vector<std::string>& maker : makers) {
    SCOPED_TRACE(maker.front());
    std::filesystem::remove_all(OutputFolder());
    std::filesystem::create_directory(OutputFolder());
    linesAdded.clear();
    shell.messages.clear();
    ASSERT_EQ(RunTool(maker), 0);
    // A photo no folder lists any more, after the file system.
    std::vector<uint8_t> image = ReadFileBytes(temp.File("family.iso"));
    Lay(image, jpeg);
    ASSERT_TRUE(WriteFileBytes(temp.File("disc.img"), image));
    ClickTreeItem(DriveItem(0));
    Click(kStartButtonId);
    EXPECT_THAT(shell.messages, ElementsAre(ShellMessage{" Process completed!", "Orlenta"}));
    const std::string named = OutputFolder() + "Family/";
    EXPECT_EQ(ReadFileBytes(named + photo), jpeg);
    EXPECT_EQ(ReadFileBytes(named + sound), flac);
    EXPECT_THAT(ListFolder(OutputFolder()), ElementsAre("1REC.jpg", "Family"));
    EXPECT_EQ(ReadFileBytes(OutputFolder() + "1REC.jpg"), jpeg);
    for (const std::string& path : {named + photo, named + sound, OutputFolder() + "1REC.jpg"}) {
      EXPECT_TRUE(linesAdded.contains(QString::fromStdString("File recovered: " + path)))
          << path << "\n"
          << linesAdded.join("\n").toStdString();
    }
  }
}

// The filter stored beside the recovery: which of the two files the window writes.
struct StoredFilter {
  const char* name;
  std::vector<std::pair<std::string, std::string>> lines;  // key, value; "<between>" for a
                                                           // size between the two files'
  std::vector<std::string> written;
};

void PrintTo(const StoredFilter& filter, std::ostream* out) {
  *out << filter.name;
}

class WindowFilterTest : public WindowRecoveryChoiceTest,
                         public ::testing::WithParamInterface<StoredFilter> {};

TEST_P(WindowFilterTest, WritesOnlyTheFilesTheStoredFilterKeeps) {
  const std::string options = OptionsPathBeside(SettingsPath());
  ASSERT_TRUE(SaveRecoveryChoice(options, RecoveryChoice::kExactAndMoreKinds));
  for (auto [key, value] : GetParam().lines) {
    if (value == "<between>") value = std::to_string(std::min(jpeg.size(), flac.size()) + 1);
    ASSERT_TRUE(SaveOption(options, key, value));
  }
  RecoverDriveE();
  const std::vector<std::string> written = ListFolder(OutputFolder());
  EXPECT_EQ(written, GetParam().written);
  for (const std::string& name : written) {
    EXPECT_EQ(ReadFileBytes(OutputFolder() + name), name.ends_with(".jpg") ? jpeg : flac) << name;
  }
}

TEST_F(WindowRecoveryChoiceTest, FilesByKindChosenInConfygGoToAFolderPerKind) {
  const std::string options = OptionsPathBeside(SettingsPath());
  ASSERT_TRUE(SaveRecoveryChoice(options, RecoveryChoice::kExactAndMoreKinds));
  ASSERT_TRUE(SaveOption(options, "by-kind", "on"));
  RecoverDriveE();
  EXPECT_THAT(ListFolder(OutputFolder()), ElementsAre("flac", "jpg"));
  EXPECT_EQ(ReadFileBytes(OutputFolder() + "jpg/1REC.jpg"), jpeg);
  EXPECT_EQ(ReadFileBytes(OutputFolder() + "flac/1REC.flac"), flac);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, WindowFilterTest,
    ::testing::Values(
        StoredFilter{"kinds", {{"kinds", "FLAC"}}, {"1REC.flac"}},
        StoredFilter{
            "minSize", {{"min-size", "<between>"}}, {JpegLarger() ? "1REC.jpg" : "1REC.flac"}},
        StoredFilter{"minPixels", {{"min-pixels", "5000x5000"}}, {"1REC.flac"}},
        // What cannot be read leaves nothing out.
        StoredFilter{"damaged",
                     {{"kinds", "pcx"}, {"min-size", "lots"}, {"min-pixels", "wide"}},
                     {"1REC.flac", "1REC.jpg"}},
        StoredFilter{"cleared", {{"kinds", ""}, {"min-size", "0"}}, {"1REC.flac", "1REC.jpg"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlenta
