// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesystems/named_recovery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

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
          {"Holiday 2004/clip.avi", Sample("clip.avi")},
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
  // With `mostPerCopy`, the volume copies into files that many bytes at a time.
  RunOutcome Run(const std::vector<uint8_t>& image, const CarveRules& rules,
                 const std::vector<uint64_t>& failing = {}, uint64_t mostPerCopy = 0) {
    volume = source.Assign('E', std::make_shared<MemoryVolume>(image));
    if (mostPerCopy != 0) volume->CopyIntoFiles(mostPerCopy);
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

// Listed files side by side: a photo ending inside its last sector with a PNG inside it, a
// video right after it, a file of no kind we recover with a photo inside, an interleaved
// photo, two entries sharing a photo's sectors, and a photo no directory lists.
std::vector<uint8_t> SideBySideDisc() {
  HandMadeIso iso(200);
  iso.Describe(20, 1);
  iso.Folder(20, 1, 20,
             {{30, 40 * 2048 - 100, 0, "A.JPG;1"},
              {70, 57830, 0, "B.AVI;1"},
              {100, 6 * 2048, 0, "C.DAT;1"},
              {110, 6 * 2048, 0, "I.JPG;1", "", 2, 1},
              {130, 8192, 0, "ONE.JPG;1"},
              {131, 8192, 0, "TWO.JPG;1"}});
  iso.Put(30, Sample("photo1.jpg"));
  iso.Put(35, Sample("chart.png"));
  iso.Put(70, Sample("clip.avi"));
  iso.Put(101, Sample("photo1.jpg"));
  iso.Put(110, Sample("photo1.jpg"));
  iso.Put(130, Sample("photo2-exif.jpg"));
  iso.Put(150, Sample("photo2-exif.jpg"));
  return iso.Bytes();
}

// Every file a run wrote, by its path under the output folder.
std::map<std::string, std::string> Written(const TempDir& out) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(out.Folder())) {
    if (!entry.is_regular_file()) continue;
    const std::vector<uint8_t> bytes = ReadFileBytes(entry.path());
    files[std::filesystem::relative(entry.path(), out.Folder()).string()] = {bytes.begin(),
                                                                             bytes.end()};
  }
  return files;
}

TEST(NamedRun, FilesTakenStraightFromTheVolumeComeOutAsIfRead) {
  struct Case {
    const char* name;
    std::vector<uint8_t> image;
    uint64_t mostPerCopy;
    std::vector<uint64_t> failing;
  };
  const std::vector<uint8_t> holiday = HolidayDisc();
  const std::vector<uint8_t> sideBySide = SideBySideDisc();
  const uint64_t video = SectorOf(holiday, Sample("clip.avi"));
  const std::vector<Case> cases = {
      {"holiday disc", holiday, UINT64_MAX, {}},
      {"copies stopping inside a sector", holiday, 3000, {}},
      {"a bad sector inside a video", holiday, UINT64_MAX, {video + 20}},
      {"files side by side", sideBySide, UINT64_MAX, {}},
      {"files side by side, short copies", sideBySide, 5000, {}},
      {"files side by side, bad sectors", sideBySide, UINT64_MAX, {50, 80}},
  };
  const ChosenRules rules(true, true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NamedRunTest read;
    read.SetUp();
    ASSERT_EQ(read.Run(c.image, rules, c.failing), RunOutcome::kCompleted);
    NamedRunTest taken;
    taken.SetUp();
    ASSERT_EQ(taken.Run(c.image, rules, c.failing, c.mostPerCopy), RunOutcome::kCompleted);
    EXPECT_GT(taken.volume->BytesCopied(), 0u);
    EXPECT_TRUE(Written(taken.out) == Written(read.out));
    EXPECT_EQ(taken.named.FilesWhole(), read.named.FilesWhole());
    EXPECT_EQ(taken.named.FilesDamaged().size(), read.named.FilesDamaged().size());
    EXPECT_EQ(taken.run.Carver().FilesWrittenWhole(), read.run.Carver().FilesWrittenWhole());
    const SectorReader& readReader = read.run.Reader();
    const SectorReader& takenReader = taken.run.Reader();
    EXPECT_EQ(takenReader.SectorsRead(), readReader.SectorsRead());
    EXPECT_EQ(takenReader.ReadableSectors(), readReader.ReadableSectors());
    EXPECT_EQ(takenReader.UnreadableSectors(), readReader.UnreadableSectors());
    EXPECT_EQ(takenReader.Map().Runs().size(), readReader.Map().Runs().size());
    // What was copied was never read as well; a copy stopping inside a sector leaves the rest
    // of that sector to be read.
    if (c.mostPerCopy == UINT64_MAX) {
      EXPECT_LE(taken.volume->BytesRead() + taken.volume->BytesCopied(), read.volume->BytesRead());
    }
  }
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
