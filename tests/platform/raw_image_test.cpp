// SPDX-License-Identifier: GPL-3.0-or-later
// Raw (2,352-byte) sector images and cue sheets, read through OpenPosixVolume as a run reads
// them: whatever the file is called, the volume hands back the sectors' data only.
#include "support/raw_image.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
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

// What a volume hands out for `data` framed in `mode`: a Mode 2 image has sectors of 2,324
// bytes, of which a Form 1 sector fills 2,048, the rest zeros.
std::vector<uint8_t> AsVolumeBytes(const std::vector<uint8_t>& data, RawMode mode) {
  if (mode != RawMode::kMode2Form1) return data;
  std::vector<uint8_t> bytes;
  for (std::size_t at = 0; at < data.size(); at += 2048) {
    bytes.insert(bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                 data.begin() + static_cast<std::ptrdiff_t>(at + 2048));
    bytes.resize(bytes.size() + 2324 - 2048, 0);
  }
  return bytes;
}

uint32_t VolumeSectorSize(RawMode mode) {
  return mode == RawMode::kMode1 ? 2048 : 2324;
}

std::string WriteImage(TempDir& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
  EXPECT_TRUE(WriteFileBytes(dir.File(name), bytes));
  return dir.File(name);
}

ImageReading Forced(LayoutChoice layout) {
  ImageReading how;
  how.layout = layout;
  return how;
}

// A cue sheet's track `number` alone.
ImageReading Track(int number) {
  ImageReading how;
  how.track = number;
  return how;
}

class RawFraming : public ::testing::TestWithParam<RawMode> {};

TEST_P(RawFraming, ReadsTheDataOfEverySectorWhateverTheName) {
  const RawMode mode = GetParam();
  const std::vector<uint8_t> data = DataOf(mode, 40);
  std::vector<uint8_t> raw = FrameRawSectors(data, mode);
  raw.insert(raw.end(), 1000, 0x33);  // a partial raw sector at the end is left out
  TempDir dir;
  const auto volume = OpenPosixVolume(WriteImage(dir, "disc.iso", raw));
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorSize(), VolumeSectorSize(mode));
  EXPECT_EQ(volume->SectorCount(), 40u);
  const std::vector<uint8_t> expected = AsVolumeBytes(data, mode);
  EXPECT_EQ(AllData(*volume), expected);
  EXPECT_EQ(volume->SectorDataBytes(39), DataBytesPerSector(mode));
  // A read that starts inside one sector and ends inside a later one.
  const uint32_t size = volume->SectorSize();
  std::vector<uint8_t> middle(2 * size);
  ASSERT_EQ(volume->ReadAt(5 * size + 100, middle), static_cast<int64_t>(middle.size()));
  EXPECT_TRUE(std::equal(middle.begin(), middle.end(), expected.begin() + 5 * size + 100));
  const auto layout = DescribePosixVolume(dir.File("disc.iso"));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->rawMode, mode == RawMode::kMode1 ? RawMode::kMode1 : RawMode::kMode2);
  EXPECT_EQ(layout->ImageOffset(3), 3 * 2352u + (mode == RawMode::kMode1 ? 16 : 24));
}

TEST_P(RawFraming, DamagedSyncPatternsAreStillReadByPosition) {
  const RawMode mode = GetParam();
  const std::vector<uint8_t> data = DataOf(mode, 200);
  std::vector<uint8_t> raw = FrameRawSectors(data, mode);
  for (const uint64_t sector : {0, 1, 2, 7, 30, 31, 100, 199}) DamageSync(raw, sector);
  TempDir dir;
  const auto volume = OpenPosixVolume(WriteImage(dir, "scratched.bin", raw));
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorSize(), VolumeSectorSize(mode));
  EXPECT_EQ(AllData(*volume), AsVolumeBytes(data, mode));
}

TEST_P(RawFraming, SubchannelDataAfterEachSectorIsLeftOut) {
  const RawMode mode = GetParam();
  const std::vector<uint8_t> data = DataOf(mode, 50);
  TempDir dir;
  const std::string image = WriteImage(dir, "sub.bin", WithSubchannel(FrameRawSectors(data, mode)));
  const auto volume = OpenPosixVolume(image);
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorCount(), 50u);
  EXPECT_EQ(AllData(*volume), AsVolumeBytes(data, mode));
  EXPECT_EQ(DescribePosixVolume(image)->stride, 2448u);
}

INSTANTIATE_TEST_SUITE_P(Modes, RawFraming,
                         ::testing::Values(RawMode::kMode1, RawMode::kMode2Form1,
                                           RawMode::kMode2Form2),
                         [](const ::testing::TestParamInfo<RawMode>& info) {
                           std::string name = RawModeName(info.param);
                           std::erase(name, ' ');
                           return name;
                         });

// A Mode 2 image whose forms change along the way, as on a Video CD: each sector gives the
// data its own subheader says it holds.
TEST(MixedForms, EachSectorGivesTheDataOfItsOwnForm) {
  const std::vector<uint8_t> form1 = DataOf(RawMode::kMode2Form1, 6);
  const std::vector<uint8_t> form2 = DataOf(RawMode::kMode2Form2, 5);
  for (const bool form1First : {true, false}) {
    std::vector<uint8_t> raw = FrameRawSectors(
        form1First ? form1 : form2, form1First ? RawMode::kMode2Form1 : RawMode::kMode2Form2);
    const std::vector<uint8_t> rest = FrameRawSectors(
        form1First ? form2 : form1, form1First ? RawMode::kMode2Form2 : RawMode::kMode2Form1,
        form1First ? 6 : 5);
    raw.insert(raw.end(), rest.begin(), rest.end());
    TempDir dir;
    const auto volume = OpenPosixVolume(WriteImage(dir, "vcd.bin", raw));
    ASSERT_TRUE(volume);
    ASSERT_EQ(volume->SectorSize(), 2324u);
    ASSERT_EQ(volume->SectorCount(), 11u);
    std::vector<uint8_t> expected = AsVolumeBytes(form1, RawMode::kMode2Form1);
    if (form1First) {
      expected.insert(expected.end(), form2.begin(), form2.end());
    } else {
      expected.insert(expected.begin(), form2.begin(), form2.end());
    }
    EXPECT_EQ(AllData(*volume), expected) << form1First;
    const uint64_t firstForm2 = form1First ? 6 : 0;
    for (uint64_t s = 0; s < 11; ++s) {
      const bool isForm2 = s >= firstForm2 && s < firstForm2 + 5;
      EXPECT_EQ(volume->SectorDataBytes(s), isForm2 ? 2324u : 2048u) << s << " " << form1First;
    }
  }
}

TEST(MixedForms, ASectorWhoseSubheaderIsDamagedTakesItsPredecessorsForm) {
  // Mostly Form 2, so the image's own majority would say the wrong thing for sector 3.
  std::vector<uint8_t> raw = FrameRawSectors(DataOf(RawMode::kMode2Form1, 5), RawMode::kMode2Form1);
  const std::vector<uint8_t> video =
      FrameRawSectors(DataOf(RawMode::kMode2Form2, 20), RawMode::kMode2Form2, 5);
  raw.insert(raw.end(), video.begin(), video.end());
  raw[3 * 2352 + 18] ^= 0x20;  // the two copies of sector 3's subheader disagree
  DamageSync(raw, 4);
  raw[4 * 2352 + 22] = 0x64;
  TempDir dir;
  const auto volume = OpenPosixVolume(WriteImage(dir, "v.bin", raw));
  ASSERT_TRUE(volume);
  std::vector<uint8_t> bytes(6 * 2324);
  ASSERT_EQ(volume->ReadAt(0, bytes), static_cast<int64_t>(bytes.size()));
  for (const uint64_t s : {2, 3, 4}) EXPECT_EQ(volume->SectorDataBytes(s), 2048u) << s;
  EXPECT_EQ(volume->SectorDataBytes(5), 2324u);
  // Asked without a read first, as after a failed block, the answer is the same.
  const auto fresh = OpenPosixVolume(dir.File("v.bin"));
  EXPECT_EQ(fresh->SectorDataBytes(4), 2048u);
}

TEST(MixedForms, ALongDamagedStretchReadsTheSameHoweverTheReadsCutIt) {
  // One Form 1 sector, then 20 whose subheaders are damaged, in a mostly Form 2 image: the
  // damaged ones further than the look-back from the Form 1 sector take the image's form,
  // read in one go or sector by sector.
  std::vector<uint8_t> raw =
      FrameRawSectors(DataOf(RawMode::kMode2Form1, 21), RawMode::kMode2Form1);
  const std::vector<uint8_t> video =
      FrameRawSectors(DataOf(RawMode::kMode2Form2, 30), RawMode::kMode2Form2, 21);
  raw.insert(raw.end(), video.begin(), video.end());
  for (uint64_t s = 1; s < 21; ++s) raw[s * 2352 + 18] ^= 0x01;
  TempDir dir;
  const auto atOnce = OpenPosixVolume(WriteImage(dir, "v.bin", raw));
  const auto bySector = OpenPosixVolume(dir.File("v.bin"));
  ASSERT_TRUE(atOnce && bySector);
  std::vector<uint8_t> whole(51 * 2324);
  ASSERT_EQ(atOnce->ReadAt(0, whole), static_cast<int64_t>(whole.size()));
  for (uint64_t s = 0; s < 21; ++s) {
    std::vector<uint8_t> sector(2324);
    ASSERT_EQ(bySector->ReadAt(s * 2324, sector), 2324);
    EXPECT_EQ(atOnce->SectorDataBytes(s), bySector->SectorDataBytes(s)) << s;
    EXPECT_EQ(atOnce->SectorDataBytes(s), s <= 16 ? 2048u : 2324u) << s;
    EXPECT_TRUE(std::equal(sector.begin(), sector.end(), whole.begin() + s * 2324)) << s;
  }
}

TEST(RawImage, OnlyTheFirstSectorsDecideAndTheUserCanOverrule) {
  // A plain image whose second half holds a raw image, as a backup of ripped discs would.
  std::vector<uint8_t> plain = BuildVolume(40, {{0, kPng}});
  const std::vector<uint8_t> bin = FrameRawSectors(DataOf(RawMode::kMode1, 60), RawMode::kMode1);
  plain.insert(plain.end(), bin.begin(), bin.end());
  TempDir dir;
  const std::string image = WriteImage(dir, "backup.iso", plain);
  const auto volume = OpenPosixVolume(image);
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorSize(), 2048u);
  EXPECT_EQ(volume->SectorCount(), plain.size() / 2048);
  EXPECT_EQ(DescribePosixVolume(image, nullptr, Forced(LayoutChoice::kRaw))->rawMode,
            RawMode::kMode1);

  // A raw image whose first 32 sectors lost their sync: only --layout raw reads it raw.
  const std::vector<uint8_t> data = DataOf(RawMode::kMode1, 100);
  std::vector<uint8_t> raw = FrameRawSectors(data, RawMode::kMode1);
  for (uint64_t s = 0; s < 32; ++s) DamageSync(raw, s);
  const std::string damaged = WriteImage(dir, "damaged.bin", raw);
  EXPECT_EQ(DescribePosixVolume(damaged)->rawMode, RawMode::kNone);
  const auto forced = OpenPosixVolume(damaged, nullptr, Forced(LayoutChoice::kRaw));
  ASSERT_TRUE(forced);
  EXPECT_EQ(AllData(*forced), data);
  const auto asPlain =
      OpenPosixVolume(WriteImage(dir, "good.bin", FrameRawSectors(data, RawMode::kMode1)), nullptr,
                      Forced(LayoutChoice::kPlain));
  ASSERT_TRUE(asPlain);
  EXPECT_EQ(asPlain->SectorSize(), 2048u);
  EXPECT_EQ(asPlain->SectorCount(), 100u * 2352 / 2048);
}

TEST(RawImage, RawSectorsOfASizeNotReadAreRefused) {
  // 2,368-byte sectors: sync and counting addresses, at a distance we do not read.
  const std::vector<uint8_t> raw = FrameRawSectors(DataOf(RawMode::kMode1, 40), RawMode::kMode1);
  std::vector<uint8_t> odd;
  for (std::size_t at = 0; at < raw.size(); at += 2352) {
    odd.insert(odd.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
               raw.begin() + static_cast<std::ptrdiff_t>(at + 2352));
    odd.resize(odd.size() + 16, 0x55);
  }
  TempDir dir;
  VolumeOpenError error;
  EXPECT_EQ(OpenPosixVolume(WriteImage(dir, "odd.bin", odd), &error), nullptr);
  EXPECT_NE(error.reason.find("raw CD sectors of 2368 bytes"), std::string::npos) << error.reason;
  EXPECT_TRUE(OpenPosixVolume(dir.File("odd.bin"), nullptr, Forced(LayoutChoice::kPlain)));
}

TEST(RawImage, APlainImageHoldingSyncPatternsStaysPlain) {
  // A plain image with a raw sector copied into its first sector, and the sync pattern
  // in a few more places: chance, not framing.
  std::vector<uint8_t> data = BuildVolume(64, {});
  const std::vector<uint8_t> raw = FrameRawSectors(BuildVolume(1, {}), RawMode::kMode1);
  std::copy(raw.begin(), raw.begin() + 2048, data.begin());
  for (const std::size_t at : {2352u * 1, 2352u * 5, 2352u * 40}) {
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

// A sheet of several tracks is the disc it describes: every data track at its place, the
// audio track's sectors holding nothing; one track is read alone when asked for.
TEST_F(CueSheetTest, TheWholeDiscByDefaultOneTrackWhenTold) {
  // Named .txt: a cue sheet is known by what it says.
  const std::string cue = WriteCue("sheet.txt", FullSheet());
  const auto volume = OpenPosixVolume(cue);
  ASSERT_TRUE(volume);
  // Audio 0-29, Mode 1 30-49, then video.bin's Mode 2 track 50-61: sectors of 2,324 bytes.
  ASSERT_EQ(volume->SectorSize(), 2324u);
  ASSERT_EQ(volume->SectorCount(), 62u);
  const std::vector<uint8_t> disc = AllData(*volume);
  EXPECT_EQ(SectorRange(disc, 0, 30, 2324), std::vector<uint8_t>(30 * 2324, 0));
  EXPECT_EQ(volume->SectorDataBytes(0), 0u);
  EXPECT_EQ(SectorRange(disc, 30, 20, 2324), AsVolumeBytes(mode1_, RawMode::kMode2Form1));
  EXPECT_EQ(volume->SectorDataBytes(30), 2048u);
  EXPECT_EQ(SectorRange(disc, 50, 12, 2324), form2_);
  EXPECT_EQ(volume->SectorDataBytes(55), 2324u);
  const auto layout = DescribePosixVolume(cue);
  ASSERT_TRUE(layout);
  ASSERT_EQ(layout->tracks.size(), 3u);
  EXPECT_EQ(layout->tracks[2].firstSector, 50u);
  EXPECT_EQ(layout->ImageOffset(31), 31u * 2352 + 16);  // in disc (1).bin
  EXPECT_EQ(layout->ImageOffset(51), 1u * 2352 + 24);   // in video.bin
  EXPECT_EQ(layout->DataTrackAt(51)->layout.dataPath, dir_.File("video.bin"));

  const auto video = OpenPosixVolume(cue, nullptr, Track(3));
  ASSERT_TRUE(video);
  EXPECT_EQ(video->SectorSize(), 2324u);
  EXPECT_EQ(AllData(*video), form2_);
}

TEST_F(CueSheetTest, SessionsPregapsAndByteOrderPlaceTheTracks) {
  const std::string cue = WriteCue("sessions.cue",
                                   "FILE \"disc (1).bin\" BINARY\n"
                                   "  TRACK 01 AUDIO\n"
                                   "    INDEX 01 00:00:00\n"
                                   "  TRACK 02 MODE1/2352\n"
                                   "    PREGAP 00:00:10\n"
                                   "    INDEX 01 " +
                                       CueTime(30) +
                                       "\r\n"
                                       "REM SESSION 02\r\n"
                                       "FILE \"video.bin\" MOTOROLA\n"
                                       "  TRACK 03 MODE2/2352\n"
                                       "    INDEX 01 00:00:00\n");
  const auto layout = DescribePosixVolume(cue);
  ASSERT_TRUE(layout);
  ASSERT_EQ(layout->tracks.size(), 3u);
  EXPECT_EQ(layout->tracks[1].firstSector, 40u);  // 30 in its file, 10 of pregap before
  EXPECT_EQ(layout->tracks[1].session, 1);
  EXPECT_EQ(layout->tracks[2].firstSector, 60u + 11400);
  EXPECT_EQ(layout->tracks[2].session, 2);
  EXPECT_TRUE(layout->tracks[2].bigEndianAudio);
  EXPECT_FALSE(layout->tracks[0].bigEndianAudio);
  const auto volume = OpenPosixVolume(cue);
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorCount(), 60u + 11400 + 12);
  // Nothing is read between the sessions: its sectors give no data.
  EXPECT_EQ(volume->SectorDataBytes(60 + 5000), 0u);
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
  const auto volume = OpenPosixVolume(cue, nullptr, Track(1));
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
  EXPECT_EQ(OpenPosixVolume(WriteCue("c.cue", FullSheet()), &error, Track(9)), nullptr);
}

TEST_F(CueSheetTest, Mode2SectorsWithoutSyncAndHeaderTakeTheirFormFromTheirSubheader) {
  // MODE2/2336: each sector from its subheader on, Form 1 sectors then Form 2 ones.
  const std::vector<uint8_t> still = DataOf(RawMode::kMode2Form1, 4);
  std::vector<uint8_t> raw = FrameRawSectors(still, RawMode::kMode2Form1);
  const std::vector<uint8_t> video = FrameRawSectors(form2_, RawMode::kMode2Form2, 4);
  raw.insert(raw.end(), video.begin(), video.end());
  std::vector<uint8_t> bare;
  for (std::size_t at = 0; at < raw.size(); at += 2352) {
    bare.insert(bare.end(), raw.begin() + static_cast<std::ptrdiff_t>(at + 16),
                raw.begin() + static_cast<std::ptrdiff_t>(at + 2352));
  }
  ASSERT_TRUE(WriteFileBytes(dir_.File("bare.bin"), bare));
  const auto volume = OpenPosixVolume(WriteCue(
      "bare.cue", "FILE \"bare.bin\" BINARY\n  TRACK 01 MODE2/2336\n    INDEX 01 00:00:00\n"));
  ASSERT_TRUE(volume);
  std::vector<uint8_t> expected = AsVolumeBytes(still, RawMode::kMode2Form1);
  expected.insert(expected.end(), form2_.begin(), form2_.end());
  EXPECT_EQ(AllData(*volume), expected);
}

TEST_F(CueSheetTest, AByteOrderMarkBeforeTheFirstLineIsSkipped) {
  const auto volume =
      OpenPosixVolume(WriteCue("bom.cue",
                               "\xEF\xBB\xBF"
                               "FILE \"disc (1).bin\" BINARY\n  TRACK 01 MODE1/2352\n"
                               "    INDEX 01 " +
                                   CueTime(30) + "\n"));
  ASSERT_TRUE(volume);
  EXPECT_EQ(AllData(*volume), mode1_);
}

TEST_F(CueSheetTest, DataFilesThatAreNoRegularFileOrTooShortAreRefused) {
  ASSERT_EQ(::mkfifo(dir_.File("pipe.bin").c_str(), 0600), 0);
  std::filesystem::create_directory(dir_.File("folder.bin"));
  for (const std::string name : {"pipe.bin", "folder.bin", "/dev/null"}) {
    VolumeOpenError error;
    // A FIFO must not block the open: nothing ever writes into this one.
    EXPECT_EQ(OpenPosixVolume(WriteCue("odd.cue", "FILE \"" + name +
                                                      "\" BINARY\n  TRACK 01 MODE1/2352\n"
                                                      "    INDEX 01 00:00:00\n"),
                              &error),
              nullptr);
    EXPECT_NE(error.reason.find("which is not a regular file"), std::string::npos) << name;
  }
  // Sheets that name the sheet's own folder: as ".", and as a name libcue reads as nothing
  // (bytes after an unquoted name, which libcue complains of).
  const std::vector<std::pair<std::string, std::string>> ownFolder = {
      {"\".\" ", "which is not a regular file"},
      {"short.bin " + std::string(36, '\xFF'), "cannot be read as written"}};
  for (const auto& [file, reason] : ownFolder) {
    VolumeOpenError error;
    EXPECT_EQ(OpenPosixVolume(WriteCue("own.cue", "FILE " + file +
                                                      "BINARY\n  TRACK 1 MODE2/2352\n"
                                                      "    INDEX 01 00:00:00\n"),
                              &error),
              nullptr);
    EXPECT_NE(error.reason.find(reason), std::string::npos) << error.reason;
  }
  // "disc (1).bin" holds 50 sectors; a track of it starting at sector 80 is not there.
  VolumeOpenError error;
  EXPECT_EQ(OpenPosixVolume(WriteCue("past.cue",
                                     "FILE \"disc (1).bin\" BINARY\n"
                                     "  TRACK 01 MODE1/2352\n    INDEX 01 " +
                                         CueTime(30) +
                                         "\n  TRACK 02 MODE1/2352\n"
                                         "    INDEX 01 " +
                                         CueTime(80) + "\n"),
                            &error),
            nullptr);
  EXPECT_NE(error.reason.find("puts track 2 past the end of"), std::string::npos) << error.reason;
}

// Whatever libcue prints of a sheet it rejects or repairs stays off the terminal; the sheet
// is refused with the first complaint as its reason.
TEST_F(CueSheetTest, SheetsLibcueRepairsAreRefusedQuietly) {
  std::string many = "FILE \"disc (1).bin\" BINARY\n";
  for (int t = 1; t <= 120; ++t) {
    many += "  TRACK " + std::to_string(t) + " MODE1/2352\n    INDEX 01 00:00:00\n";
  }
  const std::vector<std::pair<std::string, std::string>> sheets = {
      {many, "120 tracks; a disc has at most 99"},
      {"FILE \"disc (1).bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 -00:02:00\n",
       "bad character"}};
  for (const auto& [text, complaint] : sheets) {
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    const int caught = ::open(dir_.File("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(caught, STDERR_FILENO);
    VolumeOpenError error;
    const auto volume = OpenPosixVolume(WriteCue("bad.cue", text), &error);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(caught);
    EXPECT_EQ(volume, nullptr) << complaint;
    EXPECT_NE(error.reason.find("is a cue sheet that cannot be read as written ("),
              std::string::npos);
    EXPECT_NE(error.reason.find(complaint), std::string::npos) << error.reason;
    EXPECT_TRUE(ReadFileBytes(dir_.File("stderr.txt")).empty()) << complaint;
  }
}

TEST_F(CueSheetTest, LinesEndingInACarriageReturnAloneAreReadAsASheet) {
  std::string sheet =
      "FILE \"disc (1).bin\" BINARY\r  TRACK 01 MODE1/2352\r    INDEX 01 " + CueTime(30) + "\r";
  const auto volume = OpenPosixVolume(WriteCue("mac.cue", sheet));
  ASSERT_TRUE(volume);
  EXPECT_EQ(AllData(*volume), mode1_);
}

// An INDEX time that does not fit is refused, never read as some other frame (0 when it
// wraps round).
TEST_F(CueSheetTest, IndexTimesThatOverflowAreRefused) {
  for (const std::string time : {"4294967296:00:00", "2147483647:00:00", "00:00:4294967300",
                                 "477218:00:00", "00:60:00", "00:00:75", "99999999999:00:00"}) {
    VolumeOpenError error;
    const auto volume =
        OpenPosixVolume(WriteCue("big.cue",
                                 "FILE \"disc (1).bin\" BINARY\n  TRACK 01 MODE1/2352\n"
                                 "    INDEX 01 " +
                                     time + "\n"),
                        &error);
    EXPECT_EQ(volume, nullptr) << time;
    EXPECT_NE(error.reason.find("is a cue sheet that cannot be read as written (INDEX 01 " + time +
                                ": out of range)"),
              std::string::npos)
        << error.reason;
  }
  // The largest time that fits is no overflow: only past the end of the file.
  VolumeOpenError error;
  EXPECT_EQ(OpenPosixVolume(WriteCue("far.cue",
                                     "FILE \"disc (1).bin\" BINARY\n  TRACK 01 MODE1/2352\n"
                                     "    INDEX 01 477217:59:74\n"),
                            &error),
            nullptr);
  EXPECT_NE(error.reason.find("past the end"), std::string::npos) << error.reason;
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
