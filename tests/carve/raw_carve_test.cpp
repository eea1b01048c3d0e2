// SPDX-License-Identifier: GPL-3.0-or-later
// Raw images of the sample disc, made here from its ISO: carving them must give, byte for
// byte, the files that carving the ISO gives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "carve_runner.h"
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
