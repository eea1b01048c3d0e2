// SPDX-License-Identifier: GPL-3.0-or-later
// Raw images of the sample disc, made here from its ISO: carving them must give, byte for
// byte, the files that carving the ISO gives.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "carve_runner.h"
#include "platform/sha256.h"
#include "support/raw_image.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

class RawCarveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    iso_ = ReadFileBytes(ORLENTA_SAMPLE_DISC);
    ASSERT_FALSE(iso_.empty());
    ASSERT_EQ(RunCarve(Home(), {"--quiet", ORLENTA_SAMPLE_DISC, Out("plain")}), 0);
    plain_ = CarvedFiles(Out("plain"));
    ASSERT_GE(plain_.size(), 10u);
  }

  std::string Home() const { return dir_.Path().string(); }
  std::string Out(const std::string& name) const { return dir_.File("out-" + name); }

  // Writes `bytes` as `name` in the test's folder; returns its path.
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    EXPECT_TRUE(WriteFileBytes(dir_.File(name), bytes));
    return dir_.File(name);
  }
  std::string WriteText(const std::string& name, const std::string& text) {
    return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
  }

  // Carves `source` into a folder of its own and expects the plain image's files.
  void ExpectSameFilesAsPlain(const std::string& source, const std::string& label) {
    ASSERT_EQ(RunCarve(Home(), {"--quiet", source, Out(label)}), 0)
        << FileText(dir_.File("stderr.txt"));
    EXPECT_EQ(CarvedFiles(Out(label)), plain_) << label;
  }

  TempDir dir_;
  std::vector<uint8_t> iso_;
  std::map<std::string, std::string> plain_;
};

TEST_F(RawCarveTest, Mode1AndMode2Form1WithAndWithoutACueSheet) {
  for (const auto& [mode, name] : {std::pair{RawMode::kMode1, std::string("MODE1")},
                                   std::pair{RawMode::kMode2Form1, std::string("MODE2")}}) {
    const std::string bin = Write(name + ".iso", FrameRawSectors(iso_, mode));  // raw, named .iso
    ExpectSameFilesAsPlain(bin, name + "-bin");
    const std::string cue =
        WriteText(name + ".cue", "FILE \"" + name + ".iso\" BINARY\n  TRACK 01 " + name +
                                     "/2352\n    INDEX 01 00:00:00\n");
    ExpectSameFilesAsPlain(cue, name + "-cue");
  }
}

TEST_F(RawCarveTest, DamagedSyncPatternsGiveTheSameFiles) {
  std::vector<uint8_t> raw = FrameRawSectors(iso_, RawMode::kMode1);
  const uint64_t sectors = iso_.size() / 2048;
  for (const uint64_t sector : {uint64_t{0}, uint64_t{3}, uint64_t{17}, sectors / 2, sectors - 1}) {
    DamageSync(raw, sector);
  }
  ExpectSameFilesAsPlain(Write("scratched.bin", raw), "scratched");
}

TEST_F(RawCarveTest, AVideoCdForm2TrackGivesTheWholeMpegStream) {
  // An MPEG-1 stream in Mode 2 Form 2 sectors, as a Video CD's video track holds it: 2,324
  // data bytes per sector, none of the framing around them.
  const std::string mpeg = FileText(ORLENTA_SAMPLE_MEDIA "/clip.mpg");
  std::vector<uint8_t> stream(mpeg.begin(), mpeg.end());
  const std::string bin = Write("avseq01.dat", FrameRawSectors(stream, RawMode::kMode2Form2));
  ASSERT_EQ(RunCarve(Home(), {"--quiet", bin, Out("vcd")}), 0) << FileText(dir_.File("stderr.txt"));
  const auto files = CarvedFiles(Out("vcd"));
  ASSERT_EQ(files.size(), 1u);
  const std::string& carved = files.begin()->second;
  EXPECT_EQ(files.begin()->first, "1REC.mpg");
  EXPECT_EQ(carved.size() % 2324, 0u);
  EXPECT_EQ(carved.substr(0, mpeg.size()), mpeg);
  EXPECT_EQ(carved.substr(mpeg.size()), std::string(carved.size() - mpeg.size(), '\0'));
}

// A Video CD style image: a JPEG in Form 1 sectors and an MPEG stream in Form 2 sectors, in
// either order. Each must come back whole: no byte of one form's framing inside the other.
TEST_F(RawCarveTest, VideoCdStyleImagesGiveTheJpegAndTheMpegWhole) {
  const std::string jpeg = FileText(ORLENTA_SAMPLE_MEDIA "/photo1.jpg");
  const std::string mpeg = FileText(ORLENTA_SAMPLE_MEDIA "/clip.mpg");
  ASSERT_GT(jpeg.size(), 3 * 2048u);
  const std::vector<uint8_t> still(jpeg.begin(), jpeg.end()), video(mpeg.begin(), mpeg.end());
  const uint64_t stillSectors = (still.size() + 2047) / 2048;
  const uint64_t videoSectors = (video.size() + 2323) / 2324;
  for (const bool stillFirst : {true, false}) {
    std::vector<uint8_t> image;
    const auto add = [&image](const std::vector<uint8_t>& part, RawMode mode, uint64_t at) {
      const std::vector<uint8_t> raw = FrameRawSectors(part, mode, at);
      image.insert(image.end(), raw.begin(), raw.end());
    };
    if (stillFirst) {
      add(still, RawMode::kMode2Form1, 0);
      add(video, RawMode::kMode2Form2, stillSectors);
    } else {
      add(video, RawMode::kMode2Form2, 0);
      add(still, RawMode::kMode2Form1, videoSectors);
    }
    const std::string label = stillFirst ? "still-first" : "video-first";
    const std::string bin = Write(label + ".bin", image);
    ASSERT_EQ(RunCarve(Home(), {"--quiet", bin, Out(label)}), 0)
        << FileText(dir_.File("stderr.txt"));
    const auto files = CarvedFiles(Out(label));
    ASSERT_EQ(files.size(), 2u) << label;
    const std::string& carvedJpeg = files.at("1REC.jpg");
    const std::string& carvedMpeg = files.at("1REC.mpg");
    EXPECT_EQ(carvedJpeg.substr(0, jpeg.size()), jpeg) << label;
    EXPECT_EQ(carvedJpeg.size(), stillSectors * 2048) << label;
    EXPECT_EQ(carvedMpeg.substr(0, mpeg.size()), mpeg) << label;
    EXPECT_EQ(carvedMpeg.size(), videoSectors * 2324) << label;

    // Following the files' own structures ends each on its last byte, over either form.
    ASSERT_EQ(RunCarve(Home(), {"--quiet", "--exact", bin, Out(label + "-exact")}), 0)
        << FileText(dir_.File("stderr.txt"));
    const auto exact = CarvedFiles(Out(label + "-exact"));
    ASSERT_EQ(exact.size(), 2u) << label;
    EXPECT_EQ(exact.at("1REC.jpg"), jpeg) << label;
    EXPECT_EQ(exact.at("1REC.mpg"), mpeg) << label;
  }
}

TEST_F(RawCarveTest, ExactFilesOfAMode2Form1ImageAreThoseOfThePlainImage) {
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--exact", "--more-kinds", ORLENTA_SAMPLE_DISC,
                              Out("plain-exact")}),
            0);
  const std::string bin = Write("form1.bin", FrameRawSectors(iso_, RawMode::kMode2Form1));
  const std::string summary = dir_.File("summary.txt");
  ASSERT_EQ(
      WaitForCarve(StartCarve(
          Home(), {"--exact", "--more-kinds", "--hash-source", bin, Out("form1-exact")}, summary)),
      0)
      << FileText(dir_.File("stderr.txt"));
  EXPECT_EQ(CarvedFiles(Out("form1-exact")), CarvedFiles(Out("plain-exact")));
  EXPECT_EQ(FileText(summary).find("not verified"), std::string::npos) << FileText(summary);
  const std::string told = FileText(dir_.File("stderr.txt"));
  // The source's digest covers the 2,048 data bytes of each sector, as the plain image's does,
  // never the error correction that follows them.
  Sha256 data;
  data.Update(iso_);
  EXPECT_NE(told.find("Source SHA-256: " + data.HexDigest()), std::string::npos) << told;
}

TEST_F(RawCarveTest, APlainImageHoldingARawImageIsReadPlain) {
  // The sample disc, and then two raw images of a disc without pictures, as a backup of
  // ripped discs holds them: the raw ones take more than half the bytes, and their sectors
  // line up with 2,352-byte steps from the start of the whole, but the image starts plain.
  constexpr std::size_t kBothSteps = 2048 * 2352 / 16;  // a multiple of both sector sizes
  std::vector<uint8_t> backup = iso_;
  backup.resize((backup.size() + kBothSteps - 1) / kBothSteps * kBothSteps, 0);
  const std::vector<uint8_t> bin =
      FrameRawSectors(std::vector<uint8_t>(iso_.size(), 0x5A), RawMode::kMode1);
  for (int copy = 0; copy < 2; ++copy) backup.insert(backup.end(), bin.begin(), bin.end());
  ASSERT_GT(2 * bin.size(), backup.size() / 2);
  ASSERT_EQ(RunCarve(Home(), {"--quiet", Write("backup.iso", backup), Out("backup")}), 0);
  const auto files = CarvedFiles(Out("backup"));
  EXPECT_EQ(files.size(), plain_.size());
  for (const auto& [name, bytes] : plain_) {
    ASSERT_TRUE(files.count(name)) << name;
    EXPECT_EQ(files.at(name).substr(0, bytes.size()), bytes) << name;
  }
}

TEST_F(RawCarveTest, LayoutRawReadsARawImageWhoseStartIsDamaged) {
  std::vector<uint8_t> raw = FrameRawSectors(iso_, RawMode::kMode2Form1);
  for (uint64_t s = 0; s < 40; ++s) DamageSync(raw, s);
  const std::string bin = Write("start-damaged.bin", raw);
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--layout", "raw", bin, Out("forced")}), 0);
  EXPECT_EQ(CarvedFiles(Out("forced")), plain_);
  EXPECT_EQ(FileText(dir_.File("stderr.txt")).find("sync pattern"), std::string::npos);
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--layout", "sideways", bin, Out("bad")}), 2);
}

TEST_F(RawCarveTest, LayoutRawOnAPlainImageSaysThatNoSectorLooksRaw) {
  // As asked, but a plain image read as raw sectors yields nothing, and the user hears why.
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--layout", "raw", ORLENTA_SAMPLE_DISC, Out("forced")}),
            0);
  EXPECT_NE(FileText(dir_.File("stderr.txt"))
                .find("none of the sectors looked at carries the "
                      "CD sync pattern"),
            std::string::npos)
      << FileText(dir_.File("stderr.txt"));
}

TEST_F(RawCarveTest, SectorsWithSubchannelDataGiveTheSameFiles) {
  ExpectSameFilesAsPlain(Write("sub.bin", WithSubchannel(FrameRawSectors(iso_, RawMode::kMode1))),
                         "subchannel");
}

TEST_F(RawCarveTest, CueSheetsThatCannotBeReadAsWrittenEndTheRunAtOnce) {
  Write("disc.bin", FrameRawSectors(iso_, RawMode::kMode1));
  ASSERT_EQ(::mkfifo(dir_.File("pipe.bin").c_str(), 0600), 0);
  std::string many = "FILE \"disc.bin\" BINARY\n";
  for (int t = 1; t <= 300; ++t)
    many += "TRACK " + std::to_string(t) + " MODE1/2352\nINDEX 01 00:00:00\n";
  const std::vector<std::pair<std::string, std::string>> sheets = {
      {many, "300 tracks; a disc has at most 99"},
      {"FILE \"disc.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 -00:02:00\n", "bad character"},
      {"FILE \"pipe.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 00:00:00\n",
       "not a regular file"},
      {"FILE \"disc.bin\" BINARY\n TRACK 01 MODE1/2352\n INDEX 01 59:00:00\n", "past the end"}};
  for (const auto& [text, reason] : sheets) {
    const std::string cue = WriteText("bad.cue", text);
    EXPECT_EQ(RunCarve(Home(), {"--quiet", cue, Out("bad-cue")}), 2) << reason;
    const std::string said = FileText(dir_.File("stderr.txt"));
    EXPECT_NE(said.find(reason), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
  // A byte-order mark before the first line changes nothing.
  ExpectSameFilesAsPlain(WriteText("bom.cue",
                                   "\xEF\xBB\xBF"
                                   "FILE \"disc.bin\" BINARY\n"
                                   "  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"),
                         "bom");
}

// An evidence set made by ewfacquire, a tool of the field, from three copies of the sample
// disc in 1 MiB segments (three of them): read through all of them from the first, it gives
// the files of the plain image it was made from; a later segment alone is refused.
TEST_F(RawCarveTest, AnExpertWitnessSetGivesTheSameFilesAsThePlainImage) {
  if (std::system("command -v ewfacquire >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "ewfacquire missing";
  std::vector<uint8_t> three;
  for (int copy = 0; copy < 3; ++copy) three.insert(three.end(), iso_.begin(), iso_.end());
  const std::string plain = Write("three.iso", three);
  ASSERT_EQ(RunCarve(Home(), {"--quiet", plain, Out("three")}), 0);
  const auto expected = CarvedFiles(Out("three"));
  const std::string target = dir_.File("evidence");
  const std::string command = "ewfacquire -u -q -P 2048 -m optical -S 1048576 -d sha1 -t '" +
                              target + "' '" + plain + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  ASSERT_TRUE(std::filesystem::exists(target + ".E02"));
  ASSERT_EQ(RunCarve(Home(), {"--quiet", target + ".E01", Out("ewf")}), 0)
      << FileText(dir_.File("stderr.txt"));
  EXPECT_TRUE(CarvedFiles(Out("ewf")) == expected);
  EXPECT_EQ(RunCarve(Home(), {"--quiet", target + ".E02", Out("second")}), 2);
  EXPECT_NE(FileText(dir_.File("stderr.txt")).find("give its first file"), std::string::npos);
}

// bchunk, an outside tool, turns our BIN/CUE back into an ISO: its carve must match ours.
TEST_F(RawCarveTest, BchunkAgreesWithUs) {
  if (std::system("command -v bchunk >/dev/null 2>&1") != 0) GTEST_SKIP() << "bchunk missing";
  for (const auto& [mode, name] : {std::pair{RawMode::kMode1, std::string("MODE1")},
                                   std::pair{RawMode::kMode2Form1, std::string("MODE2")}}) {
    Write(name + ".bin", FrameRawSectors(iso_, mode));
    const std::string cue =
        WriteText(name + ".cue", "FILE \"" + name + ".bin\" BINARY\n  TRACK 01 " + name +
                                     "/2352\n    INDEX 01 00:00:00\n");
    ExpectSameFilesAsPlain(cue, name + "-ours");
    const std::string command = "cd '" + Home() + "' && bchunk " + name + ".bin " + name + ".cue " +
                                name + "-back >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << name;
    const std::string back = dir_.File(name + "-back01.iso");
    ASSERT_TRUE(std::filesystem::exists(back)) << name;
    ExpectSameFilesAsPlain(back, name + "-bchunk");
    EXPECT_EQ(CarvedFiles(Out(name + "-bchunk")), CarvedFiles(Out(name + "-ours")));
  }
}

}  // namespace
}  // namespace orlenta
