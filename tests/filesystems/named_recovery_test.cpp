// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesystems/named_recovery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/chosen_rules.h"
#include "engine/recovery_run.h"
#include "support/disc_images.h"
#include "support/memory_volume.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr int64_t kTime = 1089806400;  // 2004-07-14 12:00 UTC

std::string Sample(const std::string& name) {
  const std::vector<uint8_t> bytes = ReadFileBytes(std::string(ORLENTA_SAMPLE_MEDIA) + "/" + name);
  return {bytes.begin(), bytes.end()};
}

// A JPEG that begins a sector inside a file of no kind we recover.
std::string Album() {
  return std::string(2048, 'A') + Sample("photo2-exif.jpg");
}

DiscTree HolidayTree() {
  return {{"Holiday 2004/IMG_0042.JPG", Sample("photo1.jpg")},
          {"Holiday 2004/chart.png", Sample("chart.png")},
          {"docs/notes.txt", Sample("notes.txt")},
          {"docs/album.dat", Album()},
          {"docs/empty.txt", ""}};
}

// An image of HolidayTree, and after the file system's end a JPEG that no directory lists.
std::vector<uint8_t> HolidayDisc() {
  TempDir dir;
  WriteTree(dir.File("tree"), HolidayTree(), kTime);
  EXPECT_EQ(RunTool({"xorriso", "-as", "mkisofs", "-R", "-J", "-V", "Holiday 2004", "-o",
                     dir.File("disc.iso"), dir.File("tree")}),
            0);
  std::vector<uint8_t> image = ReadFileBytes(dir.File("disc.iso"));
  const std::string loose = Sample("photo2-exif.jpg");
  image.insert(image.end(), loose.begin(), loose.end());
  image.resize((image.size() + 2047) / 2048 * 2048 + 4 * 2048, 0);
  return image;
}

uint64_t SectorOf(const std::vector<uint8_t>& image, const std::string& text) {
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  const auto found = std::search(image.begin(), image.end(), bytes.begin(), bytes.end());
  return static_cast<uint64_t>(found - image.begin()) / 2048;
}

class NamedRunTest : public ::testing::Test {
 public:
  void SetUp() override { host.outputFolder = out.Folder(); }
  void TestBody() override {}

  // Runs a recovery by name of `image` with `rules`, sectors `failing` unreadable.
  RunOutcome Run(const std::vector<uint8_t>& image, const CarveRules& rules,
                 const std::vector<uint64_t>& failing = {}) {
    volume = source.Assign('E', std::make_shared<MemoryVolume>(image));
    for (const uint64_t sector : failing) volume->FailSector(sector);
    run.SetRules(rules);
    run.SetListedFiles(&named);
    return run.RunRecovery();
  }

  std::string Named(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(named.Root() + path);
    return {bytes.begin(), bytes.end()};
  }

  TempDir out;
  MemoryVolumeSource source;
  std::shared_ptr<MemoryVolume> volume;
  RecordingHost host;
  RecoveryRun run{source, host};
  NamedRecovery named;
};

TEST(NamedRun, ListedFilesComeBackByNameAndOnlyTheRestIsCarved) {
  const std::vector<uint8_t> image = HolidayDisc();
  for (const bool exact : {false, true}) {
    SCOPED_TRACE(exact ? "exact" : "as described");
    NamedRunTest recovery;
    recovery.SetUp();
    const ChosenRules rules(exact, exact);
    ASSERT_EQ(recovery.Run(image, rules), RunOutcome::kCompleted);
    const NamedRecovery& named = recovery.named;
    EXPECT_EQ(named.Root(), recovery.out.Folder() + "Holiday 2004/");
    for (const auto& [path, content] : HolidayTree()) {
      EXPECT_TRUE(recovery.Named(path) == content) << path;
      const auto when = std::filesystem::last_write_time(named.Root() + path);
      EXPECT_EQ(std::chrono::file_clock::to_sys(when).time_since_epoch(),
                std::chrono::seconds(kTime))
          << path;
    }
    EXPECT_EQ(named.FilesWhole(), HolidayTree().size());
    EXPECT_THAT(named.FilesDamaged(), ::testing::IsEmpty());
    // The JPEG inside the album and the one no directory lists; nothing listed again.
    EXPECT_EQ(recovery.run.Carver().FilesWrittenWhole()[kJpeg], 2u);
    EXPECT_EQ(recovery.run.Carver().FilesWrittenWhole()[kPng], 0u);
    EXPECT_THAT(recovery.host.logHistory,
                Contains("File recovered: " + named.Root() + "Holiday 2004/IMG_0042.JPG"));
  }
}

TEST_F(NamedRunTest, UnreadableSectorsBecomeZerosInTheFileThatHoldsThem) {
  const std::vector<uint8_t> image = HolidayDisc();
  const std::string photo = Sample("photo1.jpg");
  const uint64_t bad = SectorOf(image, photo) + 2;
  // The Rock Ridge folder's sector too: the Joliet copy still names its files.
  const uint64_t folder = SectorOf(image, "IMG_0042.JPG;1");
  const ChosenRules rules(true, true);
  ASSERT_EQ(Run(image, rules, {bad, folder}), RunOutcome::kCompleted);
  std::string expected = photo;
  std::fill_n(expected.begin() + 2 * 2048, 2048, '\0');
  EXPECT_TRUE(Named("Holiday 2004/IMG_0042.JPG") == expected);

  EXPECT_THAT(named.FilesDamaged(), ElementsAre(named.Root() + "Holiday 2004/IMG_0042.JPG"));
  EXPECT_EQ(named.FilesWhole(), HolidayTree().size() - 1);
  // The directories cost a few sectors more than the one pass.
  // A disc this small has as many directory sectors as files: a tenth at most.
  EXPECT_LE(named.DirectoryBytesRead(), image.size() / 10);
}

TEST_F(NamedRunTest, AnEarlierFolderOfTheSameNameIsNeverTouched) {
  std::filesystem::create_directory(out.File("Holiday 2004"));
  ASSERT_TRUE(WriteFileBytes(out.File("Holiday 2004/keep.txt"), {'k'}));
  const ChosenRules rules(false, false);
  ASSERT_EQ(Run(HolidayDisc(), rules), RunOutcome::kCompleted);
  EXPECT_EQ(named.Root(), out.Folder() + "Holiday 2004 (2)/");
  EXPECT_THAT(ListFolder(out.File("Holiday 2004")), ElementsAre("keep.txt"));
}

TEST_F(NamedRunTest, ExtentsThatCannotBeRightHideNothingFromCarving) {
  HandMadeIso iso(100);
  iso.Describe(20, 1);
  // Two entries claim the sectors of one photo; a third runs past the volume's end.
  iso.Folder(20, 1, 20,
             {{40, 8192, 0, "ONE.JPG;1"}, {41, 8192, 0, "TWO.JPG;1"}, {90, 40960, 0, "BIG.JPG;1"}});
  iso.Put(40, Sample("photo1.jpg"));
  iso.Put(90, Sample("photo2-exif.jpg"));
  const ChosenRules rules(true, true);
  ASSERT_EQ(Run(iso.Bytes(), rules), RunOutcome::kCompleted);
  EXPECT_EQ(run.Carver().FilesWrittenWhole()[kJpeg], 2u);
  EXPECT_EQ(Named("ONE.JPG").size(), 8192u);
  EXPECT_EQ(Named("BIG.JPG").size(), 10u * 2048);
  EXPECT_THAT(named.FilesDamaged(), Contains(HasSubstr("BIG.JPG")));
  EXPECT_THAT(named.Listing().problems, Contains(HasSubstr("past the end")));
}

TEST_F(NamedRunTest, FilesOfAnOlderSessionComeBackBesideTheirNewerVersions) {
  const std::vector<uint8_t> image = MultisessionImage(
      "xorriso", {{{{"b.txt", "old b"}, {"gone.txt", "gone"}}, {}},
                  {{{"b.txt", "new b"}, {"b (session 1).txt", "clash"}}, {"/gone.txt"}}});
  ASSERT_FALSE(image.empty());
  const ChosenRules rules(true, true);
  ASSERT_EQ(Run(image, rules), RunOutcome::kCompleted);
  EXPECT_EQ(Named("b.txt"), "new b");
  EXPECT_EQ(Named("b (session 1).txt"), "clash");
  EXPECT_EQ(Named("b (session 1) (2).txt"), "old b");
  EXPECT_EQ(Named("gone (session 1).txt"), "gone");
  EXPECT_EQ(named.FilesWhole(), 4u);
}

}  // namespace
}  // namespace orlenta
