// SPDX-License-Identifier: GPL-3.0-or-later
// Cue sheets of whole discs: several sessions, several files, audio beside data. Every data
// track is carved, each at its place on the disc, and the summary and the report list the
// tracks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "carve_runner.h"
#include "support/raw_image.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

class DiscTracksTest : public ::testing::Test {
 protected:
  std::string Home() const { return dir_.Path().string(); }
  std::string Out(const std::string& name) const { return dir_.File("out-" + name); }

  // An ISO 9660 image made by xorriso holding the sample media files `names`.
  std::vector<uint8_t> MakeIso(const std::string& name, const std::vector<std::string>& names) {
    const std::filesystem::path tree = dir_.Path() / (name + "-tree");
    std::filesystem::create_directories(tree);
    for (const std::string& file : names) {
      std::filesystem::copy_file(std::string(ORLENTA_SAMPLE_MEDIA) + "/" + file, tree / file);
    }
    const std::string iso = dir_.File(name);
    const std::string command =
        "xorriso -as mkisofs -quiet -o '" + iso + "' '" + tree.string() + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return ReadFileBytes(iso);
  }

  std::string WriteText(const std::string& name, const std::string& text) {
    EXPECT_TRUE(WriteFileBytes(dir_.File(name), std::vector<uint8_t>(text.begin(), text.end())));
    return dir_.File(name);
  }

  // Carves `cue` with --exact and a report; returns the files, and the summary and the
  // report in `summary` and `report`.
  std::map<std::string, std::string> Carve(const std::string& cue, const std::string& label,
                                           std::string& summary, std::string& report) {
    const std::string reportPath = dir_.File(label + ".xml");
    EXPECT_EQ(RunCarve(Home(), {"--quiet", "--exact", "--report", reportPath, cue, Out(label)}), 0)
        << FileText(dir_.File("stderr.txt"));
    summary = FileText(dir_.File("stderr.txt"));
    report = FileText(reportPath);
    return CarvedFiles(Out(label));
  }

  static std::string Sample(const std::string& name) {
    return FileText(std::string(ORLENTA_SAMPLE_MEDIA) + "/" + name);
  }

  TempDir dir_;
};

bool HasFile(const std::map<std::string, std::string>& files, const std::string& bytes) {
  for (const auto& [name, content] : files) {
    if (content == bytes) return true;
  }
  return false;
}

TEST_F(DiscTracksTest, TwoSessionsInTwoFilesAreBothCarvedAtTheirPlaceOnTheDisc) {
  const uint64_t first = MakeIso("session1.iso", {"photo1.jpg"}).size() / 2048;
  MakeIso("session2.iso", {"chart.png"});
  const std::string cue = WriteText("disc.cue",
                                    "REM SESSION 01\n"
                                    "FILE \"session1.iso\" BINARY\n"
                                    "  TRACK 01 MODE1/2048\n"
                                    "    INDEX 01 00:00:00\n"
                                    "REM SESSION 02\n"
                                    "FILE \"session2.iso\" BINARY\n"
                                    "  TRACK 02 MODE1/2048\n"
                                    "    INDEX 01 00:00:00\n");
  std::string summary, report;
  const auto files = Carve(cue, "sessions", summary, report);
  EXPECT_TRUE(HasFile(files, Sample("photo1.jpg")));
  EXPECT_TRUE(HasFile(files, Sample("chart.png")));
  // The second session begins after the 11,400 sectors no drive can read.
  const uint64_t second = first + 11400;
  EXPECT_NE(summary.find("Tracks: 2\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Track 1: data, sectors 0-" + std::to_string(first - 1) + " (session 1)"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("Track 2: data, sectors " + std::to_string(second) + "-"),
            std::string::npos)
      << summary;
  EXPECT_NE(report.find("<dfxmlext:track number=\"2\" session=\"2\" kind=\"data\" first_sector=\"" +
                        std::to_string(second) + "\""),
            std::string::npos)
      << report;
}

TEST_F(DiscTracksTest, OneRawFileOfAudioMode1AndVideoCdTracksGivesTheFilesOfEachDataTrack) {
  const std::vector<uint8_t> iso = MakeIso("photo.iso", {"photo1.jpg"});
  const std::string mpeg = Sample("clip.mpg");
  std::vector<uint8_t> bin(40 * 2352, 0x11);  // the audio track
  const auto add = [&bin](const std::vector<uint8_t>& data, RawMode mode, uint64_t at) {
    const std::vector<uint8_t> raw = FrameRawSectors(data, mode, at);
    bin.insert(bin.end(), raw.begin(), raw.end());
  };
  const uint64_t isoSectors = iso.size() / 2048;
  add(iso, RawMode::kMode1, 40);
  add({mpeg.begin(), mpeg.end()}, RawMode::kMode2Form2, 40 + isoSectors);
  ASSERT_TRUE(WriteFileBytes(dir_.File("mixed.bin"), bin));
  const std::string cue = WriteText("mixed.cue",
                                    "FILE \"mixed.bin\" BINARY\r\n"
                                    "  TRACK 01 AUDIO\r\n"
                                    "    INDEX 01 00:00:00\r\n"
                                    "  TRACK 02 MODE1/2352\r\n"
                                    "    INDEX 01 " +
                                        CueTime(40) +
                                        "\r\n"
                                        "  TRACK 03 MODE2/2352\r\n"
                                        "    INDEX 01 " +
                                        CueTime(40 + isoSectors) + "\r\n");
  std::string summary, report;
  const auto files = Carve(cue, "mixed", summary, report);
  EXPECT_TRUE(HasFile(files, Sample("photo1.jpg")));
  EXPECT_TRUE(HasFile(files, Sample("clip.mpg")));
  EXPECT_NE(summary.find("Track 1: audio, sectors 0-39 (session 1)"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Track 3: Mode 2 data, sectors " + std::to_string(40 + isoSectors)),
            std::string::npos)
      << summary;
}

// The 44-byte header of a WAV file of `frames` CD frames: 44.1 kHz, 16-bit, stereo.
std::string WavHeaderOf(uint64_t frames) {
  std::string header;
  const auto number = [&header](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) header += static_cast<char>(value >> (8 * i));
  };
  const auto data = static_cast<uint32_t>(frames * 2352);
  header += "RIFF";
  number(36 + data, 4);
  header += "WAVEfmt ";
  number(16, 4);
  number(1, 2);
  number(2, 2);
  number(44100, 4);
  number(176400, 4);
  number(4, 2);
  number(16, 2);
  header += "data";
  number(data, 4);
  return header;
}

TEST_F(DiscTracksTest, AudioTracksBecomeWavFilesInEitherByteOrderUnlessTurnedOff) {
  constexpr uint64_t kFrames = 30;
  std::vector<uint8_t> little(kFrames * 2352), big(kFrames * 2352);
  for (std::size_t i = 0; i < little.size(); i += 2) {
    const auto sample = static_cast<uint16_t>(i * 37 + (i >> 9));
    little[i] = big[i + 1] = static_cast<uint8_t>(sample);
    little[i + 1] = big[i] = static_cast<uint8_t>(sample >> 8);
  }
  ASSERT_TRUE(WriteFileBytes(dir_.File("little.bin"), little));
  ASSERT_TRUE(WriteFileBytes(dir_.File("big.bin"), big));
  MakeIso("data.iso", {"photo1.jpg"});
  const std::string cue = WriteText("music.cue",
                                    "FILE \"little.bin\" BINARY\n"
                                    "  TRACK 01 AUDIO\n"
                                    "    TITLE \"Intro/Side 1\"\n"
                                    "    INDEX 01 00:00:00\n"
                                    "FILE \"big.bin\" MOTOROLA\n"
                                    "  TRACK 02 AUDIO\n"
                                    "    INDEX 01 00:00:00\n"
                                    "REM SESSION 02\n"
                                    "FILE \"data.iso\" BINARY\n"
                                    "  TRACK 03 MODE1/2048\n"
                                    "    INDEX 01 00:00:00\n");
  const std::string wav = WavHeaderOf(kFrames) + std::string(little.begin(), little.end());
  std::string summary, report;
  auto files = Carve(cue, "music", summary, report);
  EXPECT_EQ(files["Track 01 - Intro_Side 1.wav"], wav);
  EXPECT_EQ(files["Track 02.wav"], wav);
  EXPECT_TRUE(HasFile(files, Sample("photo1.jpg")));
  EXPECT_NE(summary.find("Track 2: audio, sectors 30-59 (session 1), Track 02.wav"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("Track 3: data, sectors 11460-"), std::string::npos) << summary;

  // Turned off by the option, or by the options file the window and confyg share.
  ASSERT_EQ(RunCarve(Home(), {"--quiet", "--exact", "--no-audio", cue, Out("no-audio")}), 0);
  files = CarvedFiles(Out("no-audio"));
  EXPECT_EQ(files.count("Track 02.wav"), 0u);
  EXPECT_TRUE(HasFile(files, Sample("photo1.jpg")));
  std::filesystem::create_directories(dir_.Path() / "config" / "orlenta");
  WriteText("config/orlenta/options", "audio=off\n");
  ASSERT_EQ(RunCarve(Home(), {"--quiet", cue, Out("audio-off")}), 0);
  EXPECT_EQ(CarvedFiles(Out("audio-off")).count("Track 02.wav"), 0u);
}

}  // namespace
}  // namespace orlenta
