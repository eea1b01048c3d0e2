// SPDX-License-Identifier: GPL-3.0-or-later
// The window's run on a CD drive holding music and data: the music becomes WAV files, and a
// failing read lowers the drive's speed, both told in the log. It runs in its own process
// with the simulated-drive library loaded over a drive file (see CMakeLists.txt): an audio
// track, then a data track whose one sector fails; the test writes the disc's sectors;
// elsewhere it is skipped.
#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <fstream>
#include <map>

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
    uint64_t lastSpeed;
  };
  const Case cases[] = {
      {"audio on by default", {}, true, 8},
      {"audio turned off, a speed chosen", {{"audio", "off"}, {"speed", "4"}}, false, 2},
  };
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
    Click(kStartButtonId);
    ASSERT_FALSE(window->IsRunning()) << c.what;
    const QStringList log = LogLines();
    const std::string wav = OutputFolder() + "Track 01.wav";
    EXPECT_EQ(fs::exists(wav), c.wav) << c.what;
    EXPECT_EQ(log.contains(QString::fromStdString("File recovered: " + wav)), c.wav)
        << c.what << log.join("\n").toStdString();
    if (c.wav) {
      const std::vector<uint8_t> bytes = ReadFileBytes(wav);
      ASSERT_EQ(bytes.size(), 44 + audio_.size()) << c.what;
      EXPECT_TRUE(std::equal(audio_.begin(), audio_.end(), bytes.begin() + 44)) << c.what;
    }
    const QString speedLine =
        "Read errors: the drive now reads at " + QString::number(c.lastSpeed) + "x";
    EXPECT_TRUE(log.contains(speedLine)) << c.what << log.join("\n").toStdString();
    EXPECT_EQ(Stats(drive_)["speed"], c.lastSpeed) << c.what;
    window.reset();
  }
}

}  // namespace
}  // namespace orlenta
