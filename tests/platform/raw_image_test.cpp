// SPDX-License-Identifier: GPL-3.0-or-later
// Raw (2,352-byte) sector images and cue sheets, read through OpenPosixVolume as a run reads
// them: whatever the file is called, the volume hands back the sectors' data only.
#include "support/raw_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/file_kind.h"
#include "platform/cue_sheet.h"
#include "platform/posix_volume.h"
#include "support/temp_dir.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

// Every data byte of `volume`, read in one call as the read-ahead does.
std::vector<uint8_t> AllData(Volume& volume) {
  std::vector<uint8_t> bytes(volume.SectorCount() * volume.SectorSize());
  EXPECT_EQ(volume.ReadAt(0, bytes), static_cast<int64_t>(bytes.size()));
  return bytes;
}

std::vector<uint8_t> DataOf(RawMode mode, uint64_t sectors) {
  return BuildVolume(sectors, {{0, kJpeg}, {7, kGif}}, DataBytesPerSector(mode));
}

class RawFraming : public ::testing::TestWithParam<RawMode> {};

TEST_P(RawFraming, ReadsTheDataOfEverySectorWhateverTheName) {
  const RawMode mode = GetParam();
  const std::vector<uint8_t> data = DataOf(mode, 40);
  std::vector<uint8_t> raw = FrameRawSectors(data, mode);
  raw.insert(raw.end(), 1000, 0x33);  // a partial raw sector at the end is left out
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File("disc.iso"), raw));
  const auto volume = OpenPosixVolume(dir.File("disc.iso"));
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorSize(), DataBytesPerSector(mode));
  EXPECT_EQ(volume->SectorCount(), 40u);
  EXPECT_EQ(AllData(*volume), data);
  // A read that starts inside one sector and ends inside a later one.
  const uint32_t size = volume->SectorSize();
  std::vector<uint8_t> middle(2 * size);
  ASSERT_EQ(volume->ReadAt(5 * size + 100, middle), static_cast<int64_t>(middle.size()));
  EXPECT_TRUE(std::equal(middle.begin(), middle.end(), data.begin() + 5 * size + 100));
  const auto layout = DescribePosixVolume(dir.File("disc.iso"));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->rawMode, mode);
  EXPECT_EQ(layout->ImageOffset(3), 3 * 2352u + (mode == RawMode::kMode1 ? 16 : 24));
}

TEST_P(RawFraming, DamagedSyncPatternsAreStillReadByPosition) {
  const RawMode mode = GetParam();
  const std::vector<uint8_t> data = DataOf(mode, 200);
  std::vector<uint8_t> raw = FrameRawSectors(data, mode);
  for (const uint64_t sector : {0, 1, 2, 7, 30, 31, 100, 199}) DamageSync(raw, sector);
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File("scratched.bin"), raw));
  const auto volume = OpenPosixVolume(dir.File("scratched.bin"));
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorSize(), DataBytesPerSector(mode));
  EXPECT_EQ(AllData(*volume), data);
}

INSTANTIATE_TEST_SUITE_P(Modes, RawFraming,
                         ::testing::Values(RawMode::kMode1, RawMode::kMode2Form1,
                                           RawMode::kMode2Form2),
                         [](const ::testing::TestParamInfo<RawMode>& info) {
                           std::string name = RawModeName(info.param);
                           std::erase(name, ' ');
                           return name;
                         });

TEST(RawImage, APlainImageHoldingSyncPatternsStaysPlain) {
  // A plain image with a raw sector copied into its first sector, and the sync pattern
  // in a few more places: chance, not framing.
  std::vector<uint8_t> data = BuildVolume(64, {});
  const std::vector<uint8_t> raw = FrameRawSectors(BuildVolume(1, {}), RawMode::kMode1);
  std::copy(raw.begin(), raw.begin() + 2048, data.begin());
  for (const std::size_t at : {2352u * 5, 2352u * 40}) {
    std::copy(raw.begin(), raw.begin() + 16, data.begin() + static_cast<std::ptrdiff_t>(at));
  }
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File("plain.iso"), data));
  const auto volume = OpenPosixVolume(dir.File("plain.iso"));
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorSize(), 2048u);
  EXPECT_EQ(AllData(*volume), data);
}

TEST(RawImage, ReadPastTheEndOrOfNothing) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File("d.bin"),
                             FrameRawSectors(DataOf(RawMode::kMode1, 3), RawMode::kMode1)));
  const auto volume = OpenPosixVolume(dir.File("d.bin"));
  ASSERT_TRUE(volume);
  std::vector<uint8_t> two(4096);
  EXPECT_EQ(volume->ReadAt(2 * 2048, two), 2048);  // short: one sector left
  EXPECT_EQ(volume->ReadAt(3 * 2048, two), -1);
  EXPECT_EQ(volume->ReadAt(0, std::span<uint8_t>()), 0);
}

// A disc as a ripping tool leaves it: an audio track and a Mode 1 track in one data file,
// and a Video CD style Mode 2 Form 2 track in a second one.
class CueSheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mode1_ = DataOf(RawMode::kMode1, 20);
    form2_ = DataOf(RawMode::kMode2Form2, 12);
    std::vector<uint8_t> first(30 * 2352, 0x11);  // the audio track: no sync anywhere
    const std::vector<uint8_t> track = FrameRawSectors(mode1_, RawMode::kMode1, 30);
    first.insert(first.end(), track.begin(), track.end());
    ASSERT_TRUE(WriteFileBytes(dir_.File("disc (1).bin"), first));
    ASSERT_TRUE(
        WriteFileBytes(dir_.File("video.bin"), FrameRawSectors(form2_, RawMode::kMode2Form2)));
  }

  std::string WriteCue(const std::string& name, const std::string& text) {
    EXPECT_TRUE(WriteFileBytes(dir_.File(name), std::vector<uint8_t>(text.begin(), text.end())));
    return dir_.File(name);
  }

  std::string FullSheet() const {
    return "REM made by a ripping tool\r\n"
           "FILE \"disc (1).bin\" BINARY\r\n"
           "  TRACK 01 AUDIO\r\n"
           "    INDEX 01 00:00:00\r\n"
           "  TRACK 02 MODE1/2352\r\n"
           "    INDEX 01 " +
           CueTime(30) +
           "\r\n"
           "FILE \"video.bin\" BINARY\r\n"
           "  TRACK 03 MODE2/2352\r\n"
           "    INDEX 01 00:00:00\r\n";
  }

  TempDir dir_;
  std::vector<uint8_t> mode1_;
  std::vector<uint8_t> form2_;
};

TEST_F(CueSheetTest, TheFirstDataTrackByDefaultAnotherWhenTold) {
  // Named .txt: a cue sheet is known by what it says.
  const std::string cue = WriteCue("sheet.txt", FullSheet());
  const auto volume = OpenPosixVolume(cue);
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorSize(), 2048u);
  EXPECT_EQ(AllData(*volume), mode1_);
  const auto layout = DescribePosixVolume(cue);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->dataPath, dir_.File("disc (1).bin"));
  EXPECT_EQ(layout->firstByte, 30u * 2352);

  const auto video = OpenPosixVolume(cue, nullptr, 3);
  ASSERT_TRUE(video);
  EXPECT_EQ(video->SectorSize(), 2324u);
  EXPECT_EQ(AllData(*video), form2_);
}

TEST_F(CueSheetTest, TracksInOneFileEndWhereTheNextBegins) {
  const std::string cue = WriteCue("two.cue",
                                   "FILE \"disc (1).bin\" BINARY\n"
                                   "  TRACK 01 MODE1/2352\n"
                                   "    INDEX 01 " +
                                       CueTime(30) +
                                       "\n"
                                       "  TRACK 02 MODE1/2352\n"
                                       "    INDEX 01 " +
                                       CueTime(40) + "\n");
  const auto volume = OpenPosixVolume(cue);
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorCount(), 10u);
  EXPECT_EQ(AllData(*volume), SectorRange(mode1_, 0, 10));
}

TEST_F(CueSheetTest, SheetsThatGiveNoVolumeSayWhy) {
  VolumeOpenError error;
  EXPECT_EQ(OpenPosixVolume(WriteCue("a.cue",
                                     "FILE \"gone.bin\" BINARY\n  TRACK 01 MODE1/2352\n"
                                     "    INDEX 01 00:00:00\n"),
                            &error),
            nullptr);
  EXPECT_NE(error.reason.find("gone.bin, which cannot be opened"), std::string::npos);
  EXPECT_EQ(error.errnum, ENOENT);
  EXPECT_EQ(OpenPosixVolume(WriteCue("b.cue",
                                     "FILE \"disc (1).bin\" BINARY\n  TRACK 01 AUDIO\n"
                                     "    INDEX 01 00:00:00\n"),
                            &error),
            nullptr);
  EXPECT_EQ(error.reason, "names no data track");
  EXPECT_EQ(OpenPosixVolume(WriteCue("c.cue", FullSheet()), &error, 9), nullptr);
}

TEST(CueSheetText, KnownByFileAndTrackLines) {
  EXPECT_TRUE(LooksLikeCueSheet("FILE \"a.bin\" BINARY\n  TRACK 01 MODE1/2352\n"));
  EXPECT_TRUE(
      LooksLikeCueSheet("\xEF\xBB\xBFREM x\r\nfile a.bin binary\r\n\ttrack 1 mode1/2352\r\n"));
  EXPECT_FALSE(LooksLikeCueSheet("FILE but no track"));
  EXPECT_FALSE(LooksLikeCueSheet("FILENAME x\nTRACKS y\n"));
  EXPECT_FALSE(LooksLikeCueSheet(std::string("FILE a\nTRACK 1\n\0", 16)));
}

}  // namespace
}  // namespace orlenta
