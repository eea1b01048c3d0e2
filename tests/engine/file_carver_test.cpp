// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/file_carver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

#include "engine/file_kind.h"
#include "support/file_size_limit.h"
#include "support/memory_volume.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FileCarverTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    host.outputFolder = out.Folder();
  }

  // The volume behind drive E, its geometry queried, as at the start of a run.
  void Load(uint64_t sectors, const std::vector<std::pair<uint64_t, int>>& headers) {
    volume = source.Assign('E', std::make_shared<MemoryVolume>(BuildVolume(sectors, headers)));
    ASSERT_TRUE(QueryDriveGeometry(source, 'E'));
    TotalSectors = DriveGeometry.SectorCount();
    members.CurrentDriveLetter = 'E';
  }

  // What the scan does on meeting the header at `sector`.
  int32_t CarveAt(uint32_t sector) {
    members.CurrentSector = sector;
    reader.ReadSectors('E', sector, 1);
    return carver.CarveFile(DetectFileKind());
  }

  std::vector<uint8_t> Sectors(uint64_t first, uint64_t count) const {
    return SectorRange(volume->Bytes(), first, count);
  }

  TempDir out;
  MemoryVolumeSource source;
  RecordingHost host;
  RunMembers members;
  SectorReader reader{source, host, host};
  FileCarver carver{members, reader, host};
  std::shared_ptr<MemoryVolume> volume;
};

TEST_F(FileCarverTest, ASectorGivesTheFileOnlyItsDataBytes) {
  // Sectors 1 and 2 are shorter ones: the rest of them is filler of the volume, never data.
  Load(6, {{0, kJpeg}, {4, kGif}});
  volume->SetDataBytes(1, 1500);
  volume->SetDataBytes(2, 2000);
  EXPECT_EQ(CarveAt(0), kCarveToHeader);
  std::vector<uint8_t> expected = Sectors(0, 1);
  for (const auto& [sector, bytes] : {std::pair{1, 1500}, std::pair{2, 2000}, std::pair{3, 2048}}) {
    const std::vector<uint8_t> data = Sectors(sector, 1);
    expected.insert(expected.end(), data.begin(), data.begin() + bytes);
  }
  EXPECT_EQ(ReadFileBytes(out.File("1REC.jpg")), expected);
}

struct CarveCase {
  const char* name;
  uint64_t sectors;
  std::vector<std::pair<uint64_t, int>> headers;
  uint32_t headerAt;
  int32_t result;
  uint32_t currentSectorAfter;
  uint64_t fileSectors;
};

void PrintTo(const CarveCase& c, std::ostream* os) {
  *os << "result " << c.result;
}

class CarveResults : public FileCarverTest, public ::testing::WithParamInterface<CarveCase> {};

TEST_P(CarveResults, ResultPositionAndFile) {
  const CarveCase& c = GetParam();
  Load(c.sectors, c.headers);
  EXPECT_EQ(CarveAt(c.headerAt), c.result);
  EXPECT_EQ(members.CurrentSector, c.currentSectorAfter);
  const std::string path = out.File("1REC.jpg");
  EXPECT_EQ(ReadFileBytes(path), Sectors(c.headerAt, c.fileSectors));
  EXPECT_THAT(host.log, ElementsAre("File recovered: " + path));
  EXPECT_EQ(members.KindCounters[kJpeg], 1);
  EXPECT_THAT(host.messages, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CarveResults,
    ::testing::Values(
        CarveCase{"AdjacentHeaders", 4, {{0, kJpeg}, {1, kGif}}, 0, kCarveOneSector, 1, 1},
        CarveCase{
            "FivePlainSectorsThenHeader", 10, {{2, kJpeg}, {8, kPng}}, 2, kCarveToHeader, 8, 6},
        CarveCase{"HeaderInLastSector", 5, {{4, kJpeg}}, 4, kCarveToEnd, 5, 1},
        CarveCase{"RunsToTheEnd", 5, {{1, kJpeg}}, 1, kCarveToEnd, 5, 4},
        CarveCase{"OneSectorVolume", 1, {{0, kJpeg}}, 0, kCarveToEnd, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileCarverTest, ProgressRunsTo100WhenReadingPastTheEnd) {
  Load(5, {{1, kJpeg}});
  CarveAt(1);
  EXPECT_THAT(host.progress, ElementsAre(40, 60, 80, 100));
}

TEST_F(FileCarverTest, StopDuringAFileKeepsThePartialFile) {
  Load(20, {{2, kJpeg}});
  // Pumps: 1 the header read; then two per copied sector, the read's first.
  host.OnPump(6, [] { StopFlag = true; });
  EXPECT_EQ(CarveAt(2), kCarveStopped);
  EXPECT_EQ(members.CurrentSector, 5u);  // the sector read when the stop was seen
  EXPECT_EQ(ReadFileBytes(out.File("1REC.jpg")), Sectors(2, 3));
  EXPECT_EQ(host.log.size(), 1u);
}

TEST_F(FileCarverTest, CreateFailureReportsAndUsesUpTheNumber) {
  Load(6, {{2, kJpeg}});
  const std::string missing = out.Folder() + "missing/";
  host.outputFolder = missing;
  EXPECT_EQ(CarveAt(2), kCarveStopped);
  EXPECT_EQ(members.CurrentSector, 2u);
  EXPECT_THAT(host.fileErrorPaths, ElementsAre(missing + "1REC.jpg"));
  EXPECT_THAT(host.fileErrorCodes, ElementsAre(ENOENT));
  EXPECT_THAT(host.messages, ElementsAre(ShownMessage{"Eroare fisier", "Pellavine"}));
  EXPECT_THAT(host.log, IsEmpty());
  EXPECT_EQ(members.KindCounters[kJpeg], 1);

  host.outputFolder = out.Folder();  // the folder is asked again for every file
  CarveAt(2);
  EXPECT_THAT(ListFolder(out.Path()), ElementsAre("2REC.jpg"));
}

TEST_F(FileCarverTest, NeverOverwritesAnExistingFile) {
  Load(3, {{0, kJpeg}});
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  ASSERT_TRUE(WriteFileBytes(out.File("1REC.jpg"), old));
  CarveAt(0);
  EXPECT_EQ(ReadFileBytes(out.File("1REC.jpg")), old);
  EXPECT_EQ(ReadFileBytes(out.File("2REC.jpg")), Sectors(0, 3));
  EXPECT_EQ(members.KindCounters[kJpeg], 2);
  EXPECT_THAT(host.log, ElementsAre("File recovered: " + out.File("2REC.jpg")));
}

TEST_F(FileCarverTest, BothQuickTimeKindsShareMovWithoutClobbering) {
  Load(5, {{0, kQuickTimeMovieAtom}, {1, kQuickTimeMediaAtom}, {3, kQuickTimeMovieAtom}});
  EXPECT_EQ(CarveAt(0), kCarveOneSector);
  EXPECT_EQ(CarveAt(1), kCarveToHeader);
  EXPECT_EQ(CarveAt(3), kCarveToEnd);
  EXPECT_THAT(ListFolder(out.Path()), ElementsAre("1REC.mov", "2REC.mov", "3REC.mov"));
  EXPECT_EQ(ReadFileBytes(out.File("1REC.mov")), Sectors(0, 1));
  EXPECT_EQ(ReadFileBytes(out.File("2REC.mov")), Sectors(1, 2));
  EXPECT_EQ(ReadFileBytes(out.File("3REC.mov")), Sectors(3, 2));
  EXPECT_EQ(members.KindCounters[kQuickTimeMovieAtom], 3);
  EXPECT_EQ(members.KindCounters[kQuickTimeMediaAtom], 2);
}

TEST_F(FileCarverTest, FolderTextAndNameRunTogether) {
  Load(2, {{0, kPng}});
  host.outputFolder = out.Folder() + "out";
  host.stem = "XY";
  CarveAt(0);
  EXPECT_THAT(ListFolder(out.Path()), ElementsAre("out1XY.png"));
  EXPECT_THAT(host.log, ElementsAre("File recovered: " + out.File("out1XY.png")));
}

// Removed settings, or a name stem with control characters from a damaged settings file
// (they would split the file's line in the list): no file, and the program ends.
TEST_F(FileCarverTest, RemovedOrDamagedSettingsEndTheProgram) {
  for (const std::string& stem :
       std::vector<std::string>{"REC", "A\nB", std::string("\0", 1), "\x1B[m"}) {
    Load(3, {{0, kJpeg}});
    host = RecordingHost();
    StopFlag = false;
    host.stem = stem;
    host.outputFolder = stem == "REC" ? std::nullopt : std::optional(out.Folder());
    host.language = 2;  // the message is English whatever the language
    EXPECT_EQ(CarveAt(0), kCarveStopped);
    EXPECT_THAT(host.messages,
                ElementsAre(ShownMessage{"Missing file. Please reinstall!", "Orlenta"}));
    EXPECT_THAT(host.endProgramCodes, ElementsAre(1));
    EXPECT_TRUE(StopFlag);
    EXPECT_THAT(ListFolder(out.Path()), IsEmpty());
    EXPECT_THAT(host.log, IsEmpty());
  }
}

TEST_F(FileCarverTest, FailedWriteIsReportedAndTheFileKeepsWhatWasWritten) {
  Load(20, {{0, kJpeg}});
  // A file size limit makes the writes fail part-way, as a full disk would.
  int32_t result = 0;
  {
    const FileSizeLimit limit(8192);
    result = CarveAt(0);
  }

  EXPECT_EQ(result, kCarveStopped);
  EXPECT_THAT(host.fileErrorPaths, ElementsAre(out.File("1REC.jpg")));
  EXPECT_THAT(host.fileErrorCodes, ElementsAre(EFBIG));
  EXPECT_THAT(host.messages, ElementsAre(ShownMessage{"Eroare fisier", "Pellavine"}));
  EXPECT_EQ(ReadFileBytes(out.File("1REC.jpg")), Sectors(0, 4));
}

// Remembers what a carver tells of its files, as a report beside the files would.
struct RecordingObserver final : CarveObserver {
  struct Seen {
    std::string path;
    FileKind kind = kNoHeader;
    uint64_t firstSector = 0;
    std::vector<uint8_t> bytes;
    std::optional<bool> written;  // unset until the file ends
  };
  void FileStarted(const std::string& path, FileKind kind, uint64_t firstSector) override {
    files.push_back({path, kind, firstSector, {}, std::nullopt});
  }
  void BytesWritten(std::span<const uint8_t> bytes) override {
    files.back().bytes.insert(files.back().bytes.end(), bytes.begin(), bytes.end());
  }
  void FileEnded(bool written) override { files.back().written = written; }
  std::vector<Seen> files;
};

TEST_F(FileCarverTest, TheObserverSeesEveryFileByteForByte) {
  Load(9, {{1, kJpeg}, {4, kGif}, {5, kPng}});
  RecordingObserver observer;
  carver.SetObserver(&observer);
  CarveAt(1);
  CarveAt(4);
  CarveAt(5);
  ASSERT_EQ(observer.files.size(), 3u);
  const std::vector<std::pair<uint64_t, uint64_t>> spans = {{1, 3}, {4, 1}, {5, 4}};
  for (std::size_t i = 0; i < spans.size(); ++i) {
    const auto& seen = observer.files[i];
    EXPECT_EQ(seen.firstSector, spans[i].first);
    EXPECT_EQ(seen.bytes, Sectors(spans[i].first, spans[i].second));
    EXPECT_EQ(seen.bytes, ReadFileBytes(seen.path));
    EXPECT_EQ(seen.written, true);
  }
  EXPECT_EQ(observer.files[1].kind, kGif);
}

TEST_F(FileCarverTest, TheObserverHearsOfStopsAndFailuresAsTheFilesEnd) {
  Load(20, {{2, kJpeg}});
  RecordingObserver observer;
  carver.SetObserver(&observer);
  host.outputFolder = out.Folder() + "missing/";
  CarveAt(2);  // never created: nothing to tell
  EXPECT_TRUE(observer.files.empty());

  host.outputFolder = out.Folder();
  host.OnPump(host.pumps + 6, [] { StopFlag = true; });
  CarveAt(2);  // stopped: the file keeps what was written, and so does the record
  ASSERT_EQ(observer.files.size(), 1u);
  EXPECT_EQ(observer.files[0].bytes, ReadFileBytes(observer.files[0].path));
  EXPECT_EQ(observer.files[0].written, true);

  StopFlag = false;
  {
    const FileSizeLimit limit(8192);
    CarveAt(2);
  }
  ASSERT_EQ(observer.files.size(), 2u);
  EXPECT_EQ(observer.files[1].written, false);
}

struct LogLineCase {
  int language;
  const char* prefix;
};

void PrintTo(const LogLineCase& c, std::ostream* os) {
  *os << "language " << c.language;
}

class CarverLogLine : public FileCarverTest, public ::testing::WithParamInterface<LogLineCase> {};

TEST_P(CarverLogLine, InTheCurrentLanguage) {
  Load(1, {{0, kGif}});
  host.language = GetParam().language;
  CarveAt(0);
  EXPECT_THAT(host.log, ElementsAre(GetParam().prefix + out.File("1REC.gif")));
}

INSTANTIATE_TEST_SUITE_P(Languages, CarverLogLine,
                         ::testing::Values(LogLineCase{1, "File recovered: "},
                                           LogLineCase{2, "Fichier récupéré: "},
                                           LogLineCase{3, "Akte zurückgewonnen: "},
                                           LogLineCase{4, "La lima ha recuperato: "},
                                           LogLineCase{5, "Archivo recuperado: "},
                                           LogLineCase{6, "Fisier recuperat: "}));

}  // namespace
}  // namespace orlenta
