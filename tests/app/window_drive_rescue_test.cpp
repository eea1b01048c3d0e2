// SPDX-License-Identifier: GPL-3.0-or-later
// The window keeping the image of a disc in a drive, and going on with a run that was
// stopped. It runs in its own process with the simulated-drive library loaded over a drive
// file (see CMakeLists.txt) holding one data track whose sector 700 fails slowly; the test
// writes the disc's sectors; elsewhere it is skipped.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>

#include "rescue/rescue_mapfile.h"
#include "rescue/rescue_record.h"
#include "support/raw_image.h"
#include "window_fixture.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

constexpr uint64_t kDiscSectors = 1500;

// The raw image the drive file names.
std::string RawImagePath(const std::string& drive) {
  std::ifstream text(drive);
  for (std::string word; text >> word;) {
    if (word == "image" && text >> word) return word;
  }
  return "";
}

// The recovered files of `folder` by name, without what the rescue keeps beside them.
std::map<std::string, std::vector<uint8_t>> Files(const std::string& folder) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const std::string& name : ListFolder(folder)) {
    if (name.rfind("rescue-", 0) != 0) files[name] = ReadFileBytes(folder + name);
  }
  return files;
}

// A desktop that runs `atExit` when the program would end, and lets it go on.
class ExitWatchingShell final : public RecordingShell {
 public:
  explicit ExitWatchingShell(std::function<void()> atExit) : atExit_(std::move(atExit)) {}
  void EndProcess(int exitCode) override {
    RecordingShell::EndProcess(exitCode);
    atExit_();
  }

 private:
  std::function<void()> atExit_;
};

class WindowDriveRescue : public WindowTest {
 protected:
  void SetUp() override {
    const char* drive = std::getenv("ORLENTA_SIMULATED_DRIVE");
    if (!drive) GTEST_SKIP() << "runs only with the simulated-drive library loaded";
    drive_ = drive;
    // The sample disc as the drive's one Mode 1 track.
    std::vector<uint8_t> data = ReadFileBytes(ORLENTA_SAMPLE_DISC);
    data.resize(kDiscSectors * 2048);
    raw_ = FrameRawSectors(data, RawMode::kMode1);
    WriteRaw();
    MapDrive('E', drive_);
  }

  void WriteRaw() {
    std::ofstream out(RawImagePath(drive_), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(raw_.data()),
              static_cast<std::streamsize>(raw_.size()));
  }

  // Starts a run and clicks `id` (Stop, Exit) as soon as it has begun its `nth` file.
  void StartAndClickAtAFile(ControlId id = kStopButtonId, int nth = 1) {
    auto* log = static_cast<QListWidget*>(window->Control(kLogListId));
    int files = 0;
    const QMetaObject::Connection watch =
        QObject::connect(log->model(), &QAbstractItemModel::rowsInserted, [&] {
          if (!window->IsRunning() || ++files != nth) return;
          Click(id);
        });
    Click(kStartButtonId);
    QObject::disconnect(watch);
  }

  // The sectors the image kept in the output folder holds, by the mapfile beside it.
  std::vector<uint64_t> SectorsKept() {
    const std::vector<uint8_t> map = ReadFileBytes(Out("rescue-E.img.map"));
    const auto states = ParseRescueMapfile(std::string(map.begin(), map.end()), kDiscSectors, 2048);
    std::vector<uint64_t> kept;
    for (uint64_t sector = 0; states && sector < kDiscSectors; ++sector) {
      if ((*states)[sector] == SectorState::kRead) kept.push_back(sector);
    }
    return kept;
  }

  std::string Out(const std::string& name) const { return OutputFolder() + name; }
  QString LastLogLine() const { return LogLines().isEmpty() ? "" : LogLines().back(); }
  // What the kept image still lacks, told just above the run's closing line.
  QString UnreadLine() const {
    const QStringList told = LogLines().filter(QRegularExpression("^Sectors still unread: "));
    return told.isEmpty() ? "" : told.back();
  }

  // The files the command line recovers from the drive in one uninterrupted run.
  std::map<std::string, std::vector<uint8_t>> OneRun() {
    const std::string folder = temp.Folder() + "one-run/";
    EXPECT_EQ(QProcess::execute(ORLENTA_CARVE_BINARY, {QString::fromStdString(drive_),
                                                       QString::fromStdString(folder), "--quiet"}),
              0);
    return Files(folder);
  }

  std::string drive_;
  std::vector<uint8_t> raw_;
};

TEST_F(WindowDriveRescue, GoesOnWithAStoppedRunReadingOnlyWhatIsStillUnread) {
  const auto oneRun = OneRun();
  ASSERT_THAT(oneRun, SizeIs(11));
  StartWindow();
  ClickTreeItem(DriveItem(0));
  StartAndClickAtAFile();
  EXPECT_THAT(shell.questions, IsEmpty());
  ASSERT_TRUE(fs::exists(Out("rescue-E.img.map")));
  ASSERT_TRUE(fs::exists(Out("rescue-E.tsv")));
  EXPECT_EQ(LastLogLine(), " Recovery process aborted!");
  const std::string unreadAfterStop = UnreadLine().toStdString();
  EXPECT_THAT(unreadAfterStop, HasSubstr("Sectors still unread: ")) << unreadAfterStop;
  EXPECT_NE(unreadAfterStop, "Sectors still unread: 0");
  const auto firstFiles = Files(OutputFolder());
  EXPECT_LT(firstFiles.size(), oneRun.size());

  // What the drive gives from now on differs from the disc before the stop: a run that read
  // those sectors again from the drive, not from the image, would write other files.
  const std::vector<uint64_t> kept = SectorsKept();
  ASSERT_FALSE(kept.empty());
  for (const uint64_t sector : kept) {
    std::fill_n(raw_.begin() + static_cast<std::ptrdiff_t>(sector * 2352), 2352, uint8_t{0x5a});
  }
  WriteRaw();

  Click(kStartButtonId);
  ASSERT_THAT(shell.questions, SizeIs(1));
  const QString unread =
      QString::fromStdString(unreadAfterStop.substr(std::string("Sectors still unread: ").size()));
  EXPECT_TRUE(shell.questions[0].text.contains(" " + unread + " sectors"))
      << shell.questions[0].text.toStdString();
  EXPECT_EQ(shell.answers[0], (ShellMessage{"Yes", "No"}));
  EXPECT_EQ(Files(OutputFolder()), oneRun);
  EXPECT_EQ(UnreadLine(), "Sectors still unread: 1");
  EXPECT_FALSE(fs::exists(Out("rescue-E-2.img")));
}

TEST_F(WindowDriveRescue, StartingAfreshKeepsEverythingAnEarlierRunWrote) {
  shell.answer = false;
  StartWindow();
  ClickTreeItem(DriveItem(0));
  StartAndClickAtAFile();
  const auto firstFiles = Files(OutputFolder());
  const std::vector<uint8_t> firstMap = ReadFileBytes(Out("rescue-E.img.map"));
  const std::vector<uint8_t> firstImage = ReadFileBytes(Out("rescue-E.img"));

  Click(kStartButtonId);  // answered No: afresh, under new names
  ASSERT_THAT(shell.questions, SizeIs(1));
  for (const auto& [name, bytes] : firstFiles) EXPECT_EQ(ReadFileBytes(Out(name)), bytes) << name;
  EXPECT_EQ(ReadFileBytes(Out("rescue-E.img.map")), firstMap);
  EXPECT_EQ(ReadFileBytes(Out("rescue-E.img")), firstImage);
  EXPECT_TRUE(fs::exists(Out("rescue-E-2.img.map")));
  EXPECT_EQ(Files(OutputFolder()).size(), firstFiles.size() + 11);
  EXPECT_EQ(UnreadLine(), "Sectors still unread: 1");
  EXPECT_EQ(LastLogLine(), " Process completed!");

  // The last run was not stopped: nothing to go on with.
  Click(kStartButtonId);
  EXPECT_THAT(shell.questions, SizeIs(1));
  EXPECT_TRUE(fs::exists(Out("rescue-E-3.img.map")));
}

TEST_F(WindowDriveRescue, ExitDuringARunKeepsTheRecordAndMapOfWhatWasWritten) {
  std::size_t filesAtExit = 0;
  std::optional<RescueRecord> recordAtExit;
  std::vector<uint64_t> keptAtExit;
  ExitWatchingShell desktop([&] {
    filesAtExit = Files(OutputFolder()).size();
    const std::vector<uint8_t> record = ReadFileBytes(Out("rescue-E.tsv"));
    recordAtExit = ParseRescueRecord(std::string(record.begin(), record.end()));
    keptAtExit = SectorsKept();
  });
  StartWindow(desktop);
  ClickTreeItem(DriveItem(0));
  StartAndClickAtAFile(kExitButtonId, 3);
  ASSERT_THAT(desktop.exitCodes, SizeIs(1));
  // The program ends there and then: what a run that goes on needs is on the disk already.
  // Every file but the one being written then is recorded; that one stays as it was written.
  EXPECT_EQ(filesAtExit, 3u);
  ASSERT_TRUE(recordAtExit);
  EXPECT_EQ(recordAtExit->files.size(), 2u);
  EXPECT_FALSE(keptAtExit.empty());
  window.reset();
}

TEST_F(WindowDriveRescue, AnImageOfAnotherDiscIsNeitherOfferedNorTouched) {
  // A stopped run's image and mapfile, of a disc of 100 sectors: not this one.
  const std::string map =
      "# Mapfile\n0x00000000     ?               1\n0x00000000  0x00032000  ?\n";
  std::ofstream(Out("rescue-E.img.map")) << map;
  { std::ofstream image(Out("rescue-E.img")); }
  fs::resize_file(Out("rescue-E.img"), 100 * 2048);
  StartWindow();
  ClickTreeItem(DriveItem(0));
  Click(kStartButtonId);
  EXPECT_THAT(shell.questions, IsEmpty());
  EXPECT_EQ(fs::file_size(Out("rescue-E.img")), 100u * 2048);
  const std::vector<uint8_t> mapNow = ReadFileBytes(Out("rescue-E.img.map"));
  EXPECT_EQ(std::string(mapNow.begin(), mapNow.end()), map);
  EXPECT_EQ(fs::file_size(Out("rescue-E-2.img")), kDiscSectors * 2048);
  EXPECT_EQ(UnreadLine(), "Sectors still unread: 1");
}

}  // namespace
}  // namespace orlenta
