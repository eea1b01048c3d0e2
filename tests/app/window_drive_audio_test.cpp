// SPDX-License-Identifier: GPL-3.0-or-later
// The window's run on a CD drive holding music and data: the music becomes WAV files, and
// failing reads of data and of music lower the drive's speed, all told in the log before the
// run is told completed. It runs
// in its own process with the simulated-drive library loaded over a drive file (see
// CMakeLists.txt): an audio track, then a data track, each with one failing sector, in a
// CD-ROM device or in one libcdio will not open; the test writes the disc's sectors;
// elsewhere it is skipped.
#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "engine/options_file.h"
#include "engine/recovery_choice.h"
#include "support/disc_images.h"
#include "support/raw_image.h"
#include "window_fixture.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kAudioSectors = 150;
constexpr uint64_t kDataSectors = 300;
constexpr std::size_t kFailingAudioSector = 100;  // as the drive file in CMakeLists.txt says

// The value of `word` in the drive file at `drive`: the raw image's path, the stats file's.
std::string DriveFileWord(const std::string& drive, const std::string& wanted) {
  std::ifstream text(drive);
  for (std::string word; text >> word;) {
    if (word == wanted && text >> word) return word;
  }
  return "";
}

std::map<std::string, uint64_t> Stats(const std::string& drive) {
  std::map<std::string, uint64_t> stats;
  std::ifstream file(DriveFileWord(drive, "stats"));
  std::string key;
  for (uint64_t value = 0; file >> key >> value;) stats[key] = value;
  return stats;
}

class WindowDriveAudio : public WindowTest {
 protected:
  void SetUp() override {
    const char* drive = std::getenv("ORLENTA_SIMULATED_DRIVE");
    if (!drive) GTEST_SKIP() << "runs only with the simulated-drive library loaded";
    drive_ = drive;
    // Noise, as music is to the error correction, which lines reads up by their samples.
    const std::string noise = Pattern(kAudioSectors * 2352, 3);
    audio_.assign(noise.begin(), noise.end());
    std::vector<uint8_t> data = ReadFileBytes(ORLENTA_SAMPLE_DISC);
    data.resize(kDataSectors * 2048);
    std::vector<uint8_t> raw = audio_;
    const std::vector<uint8_t> framed = FrameRawSectors(data, RawMode::kMode1, kAudioSectors);
    raw.insert(raw.end(), framed.begin(), framed.end());
    std::ofstream(DriveFileWord(drive_, "image"), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
    MapDrive('E', drive_);
  }

  std::string drive_;
  std::vector<uint8_t> audio_;
};

TEST_F(WindowDriveAudio, MusicBecomesWavFilesAndReadErrorsLowerTheSpeed) {
  struct Case {
    const char* what;
    std::map<std::string, std::string> options;
    bool wav;
    std::vector<int> speedsTold;  // each lowering the log must tell
  };
  // The data's failing sector lowers the speed first; the music's then lowers it further.
  const Case cases[] = {
      {"audio on by default", {}, true, {8, 4}},
      {"audio turned off, a speed chosen", {{"audio", "off"}, {"speed", "4"}}, false, {2}},
  };
  const QString speedText = "Read errors: the drive now reads at ";
  for (const Case& c : cases) {
    for (const std::string& name : ListFolder(OutputFolder())) fs::remove(OutputFolder() + name);
    fs::remove(OptionsPathBeside(SettingsPath()));
    for (const auto& [key, value] : c.options) {
      ASSERT_TRUE(SaveOption(OptionsPathBeside(SettingsPath()), key, value));
    }
    StartWindow();
    ClickTreeItem(DriveItem(0));
    // The drive's figures come from its table of contents: its audio track and its length.
    const QStringList figures = LogLines();
    EXPECT_TRUE(figures.contains("Audio tracks 1") && figures.contains("Length 0:02"))
        << c.what << figures.join("\n").toStdString();
    // The music is read before the run is told done: the user may take the disc out then.
    const std::string wav = OutputFolder() + "Track 01.wav";
    bool wavWhenTold = false;
    shell.onMessage = [&] {
      wavWhenTold = fs::exists(wav) && fs::file_size(wav) == 44 + audio_.size();
    };
    Click(kStartButtonId);
    shell.onMessage = nullptr;
    ASSERT_FALSE(window->IsRunning()) << c.what;
    const QStringList log = LogLines();
    EXPECT_EQ(wavWhenTold, c.wav) << c.what;
    EXPECT_EQ(log.last(), " Process completed!") << c.what << log.join("\n").toStdString();
    EXPECT_EQ(fs::exists(wav), c.wav) << c.what;
    EXPECT_EQ(log.contains(QString::fromStdString("File recovered: " + wav)), c.wav)
        << c.what << log.join("\n").toStdString();
    // A drive libcdio cannot open (not a CD-ROM device) is read with the plain reads, and
    // the log says so once.
    const bool libcdioRefuses = DriveFileWord(drive_, "major") == "8";
    EXPECT_EQ(log.count("Music read without error correction, which cannot use this drive"),
              c.wav && libcdioRefuses ? 1 : 0)
        << c.what << log.join("\n").toStdString();
    if (c.wav) {
      // Every sample but the failing sector's, which is silence.
      std::vector<uint8_t> expected = audio_;
      std::fill_n(expected.begin() + kFailingAudioSector * 2352, 2352, uint8_t{0});
      const std::vector<uint8_t> bytes = ReadFileBytes(wav);
      ASSERT_EQ(bytes.size(), 44 + expected.size()) << c.what;
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + 44)) << c.what;
    }
    for (const int speed : c.speedsTold) {
      EXPECT_TRUE(log.contains(speedText + QString::number(speed) + "x"))
          << c.what << " " << speed << "x\n"
          << log.join("\n").toStdString();
    }
    // The last speed the log tells is the drive's.
    const QStringList told = log.filter(speedText);
    ASSERT_FALSE(told.isEmpty()) << c.what;
    EXPECT_EQ(std::to_string(Stats(drive_)["speed"]) + "x",
              told.last().mid(speedText.size()).toStdString())
        << c.what << log.join("\n").toStdString();
    window.reset();
  }
}

}  // namespace
}  // namespace orlenta
