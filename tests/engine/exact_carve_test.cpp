// SPDX-License-Identifier: GPL-3.0-or-later
// The carver and the scan following files' own structures, with the toy format.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/file_carver.h"
#include "engine/recovery_run.h"
#include "support/memory_volume.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/volume_bytes.h"
#include "toy_formats.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr uint32_t kSector = 2048;

// A volume of plain sectors with files and headers laid over it.
struct Disc {
  explicit Disc(uint64_t sectors) : bytes(BuildVolume(sectors, {})) {}
  // What does not fit runs off the end of the volume.
  Disc& Put(uint64_t sector, const std::vector<uint8_t>& file) {
    const std::size_t room = bytes.size() - sector * kSector;
    std::memcpy(bytes.data() + sector * kSector, file.data(), std::min(room, file.size()));
    return *this;
  }
  Disc& Header(uint64_t sector, int kind) {
    const std::vector<uint8_t> header = MakeSector(kind, sector);
    std::memcpy(bytes.data() + sector * kSector, header.data(), 16);
    return *this;
  }
  std::vector<uint8_t> Range(uint64_t first, uint64_t length) const {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(first * kSector),
            bytes.begin() + static_cast<std::ptrdiff_t>(first * kSector + length)};
  }
  std::vector<uint8_t> bytes;
};

// Remembers how each file ended, as a report would.
struct EndObserver final : CarveObserver {
  void FileStarted(const std::string&, FileKind, uint64_t) override { ends.emplace_back(); }
  void BytesWritten(std::span<const uint8_t>) override {}
  void FileCut(uint64_t length) override { ends.back().cut = length; }
  void FileEndVerified() override { ends.back().verified = true; }
  void FileEnded(bool written) override { ends.back().written = written; }
  struct End {
    uint64_t cut = 0;
    bool verified = false;
    bool written = false;
  };
  std::vector<End> ends;
};

class ExactCarveTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    host.outputFolder = out.Folder();
    carver.SetRules(rules);
    carver.SetObserver(&observer);
  }

  void Load(const Disc& disc) {
    volume = source.Assign('E', std::make_shared<MemoryVolume>(disc.bytes));
    ASSERT_TRUE(QueryDriveGeometry(source, 'E'));
    TotalSectors = DriveGeometry.SectorCount();
    members.CurrentDriveLetter = 'E';
  }

  int32_t CarveAt(uint32_t sector) {
    members.CurrentSector = sector;
    reader.ReadSectors('E', sector, 1);
    return carver.CarveFile(rules.Detect(SectorBuffer.data(), kSector));
  }

  TempDir out;
  MemoryVolumeSource source;
  RecordingHost host;
  RunMembers members;
  SectorReader reader{source, host, host};
  FileCarver carver{members, reader, host};
  ToyRules rules;
  EndObserver observer;
  std::shared_ptr<MemoryVolume> volume;
};

TEST_F(ExactCarveTest, AFollowedFileIsCutToItsLengthAndInnerHeadersStayInIt) {
  Disc disc(12);
  const std::vector<uint8_t> toy = MakeToyFile(3 * kSector + 100);
  disc.Put(1, toy).Header(2, kJpeg).Header(3, kGif).Header(5, kJpeg);
  Load(disc);
  EXPECT_EQ(CarveAt(1), kCarveToLength);
  EXPECT_EQ(members.CurrentSector, 4u);  // the sector holding the last byte
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), disc.Range(1, toy.size()));
  EXPECT_THAT(ListFolder(out.Path()), ElementsAre("1REC.png"));
  EXPECT_EQ(carver.FilesVerified()[kToyKind], 1u);
  EXPECT_THAT(carver.UnverifiedFiles(), IsEmpty());
  ASSERT_EQ(observer.ends.size(), 1u);
  EXPECT_EQ(observer.ends[0].cut, toy.size());
  EXPECT_TRUE(observer.ends[0].verified);
  EXPECT_TRUE(observer.ends[0].written);
}

TEST_F(ExactCarveTest, AFileEndingOnASectorBoundaryIsNotCut) {
  Disc disc(6);
  const std::vector<uint8_t> toy = MakeToyFile(2 * kSector);
  disc.Put(0, toy);
  Load(disc);
  EXPECT_EQ(CarveAt(0), kCarveToLength);
  EXPECT_EQ(members.CurrentSector, 1u);
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), toy);
  EXPECT_EQ(observer.ends[0].cut, 0u);
  EXPECT_TRUE(observer.ends[0].verified);
}

TEST_F(ExactCarveTest, AFileWhoseEndIsOnlyLikelyIsCutThereButNotVerified) {
  Disc disc(6);
  std::vector<uint8_t> toy = MakeToyFile(kSector + 100);
  std::memcpy(toy.data() + toy.size() - 4, "?END", 4);
  disc.Put(1, toy);
  Load(disc);
  EXPECT_EQ(CarveAt(1), kCarveToLength);
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), toy);
  EXPECT_EQ(carver.FilesVerified()[kToyKind], 0u);
  EXPECT_THAT(carver.UnverifiedFiles(), ElementsAre(out.File("1REC.png")));
  ASSERT_EQ(observer.ends.size(), 1u);
  EXPECT_FALSE(observer.ends[0].verified);
}

TEST_F(ExactCarveTest, ABrokenStructureFallsBackToTheFirstInnerHeader) {
  Disc disc(12);
  std::vector<uint8_t> toy = MakeToyFile(6 * kSector + 10);
  toy[toy.size() - 1] = '?';  // the trailer is damaged
  disc.Put(2, toy).Header(4, kJpeg).Header(6, kGif);
  Load(disc);
  EXPECT_EQ(CarveAt(2), kCarveToHeader);
  EXPECT_EQ(members.CurrentSector, 4u);  // the scan goes on from the inner header
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), disc.Range(2, 2 * kSector));
  EXPECT_EQ(carver.FilesVerified()[kToyKind], 0u);
  EXPECT_EQ(carver.FilesWrittenWhole()[kToyKind], 1u);
  EXPECT_THAT(carver.UnverifiedFiles(), ElementsAre(out.File("1REC.png")));
  EXPECT_EQ(observer.ends[0].cut, 2 * kSector);
  EXPECT_FALSE(observer.ends[0].verified);
}

TEST_F(ExactCarveTest, ABrokenStructureWithNoInnerHeaderRunsToTheNextHeader) {
  Disc disc(12);
  std::vector<uint8_t> toy = MakeToyFile(kSector + 10);
  toy[toy.size() - 2] = 0;
  disc.Put(0, toy).Header(5, kJpeg);
  Load(disc);
  EXPECT_EQ(CarveAt(0), kCarveToHeader);
  EXPECT_EQ(members.CurrentSector, 5u);
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), disc.Range(0, 5 * kSector));
  EXPECT_EQ(observer.ends[0].cut, 0u);
  EXPECT_FALSE(observer.ends[0].verified);
}

TEST_F(ExactCarveTest, TheVolumeEndingInsideAFileCutsItBackToItsInnerHeader) {
  Disc disc(6);
  disc.Put(1, MakeToyFile(9 * kSector)).Header(3, kJpeg);
  Load(disc);
  EXPECT_EQ(CarveAt(1), kCarveToHeader);
  EXPECT_EQ(members.CurrentSector, 3u);
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), disc.Range(1, 2 * kSector));
  EXPECT_THAT(carver.UnverifiedFiles(), ElementsAre(out.File("1REC.png")));
}

TEST_F(ExactCarveTest, TheVolumeEndingInsideAFileWithNoInnerHeaderKeepsItAll) {
  Disc disc(6);
  disc.Put(1, MakeToyFile(9 * kSector));
  Load(disc);
  EXPECT_EQ(CarveAt(1), kCarveToEnd);
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), disc.Range(1, 5 * kSector));
  EXPECT_FALSE(observer.ends[0].verified);
}

TEST_F(ExactCarveTest, AFinderLookingPastTheEndStillEndsAFileThatEndsTheVolume) {
  rules.lookPastEnd = true;
  Disc disc(5);
  disc.Put(2, MakeToyFile(3 * kSector)).Header(3, kJpeg);
  Load(disc);
  EXPECT_EQ(CarveAt(2), kCarveToLength);
  EXPECT_EQ(members.CurrentSector, 4u);
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), disc.Range(2, 3 * kSector));
  EXPECT_TRUE(observer.ends[0].verified);
}

TEST_F(ExactCarveTest, AnUnreadableSectorInsideBreaksTheStructure) {
  Disc disc(12);
  disc.Put(1, MakeToyFile(5 * kSector - 9)).Header(4, kJpeg).Header(9, kGif);
  Load(disc);
  volume->FailSector(3);
  EXPECT_EQ(CarveAt(1), kCarveToHeader);  // back to the inner header at 4
  std::vector<uint8_t> expected = disc.Range(1, 3 * kSector);
  std::fill_n(expected.begin() + 2 * kSector, kSector, 0);
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), expected);
  EXPECT_FALSE(observer.ends[0].verified);

  Disc plain(12);
  plain.Put(1, MakeToyFile(5 * kSector - 9)).Header(9, kGif);
  Load(plain);
  volume->FailSector(3);
  reader.BeginRun();
  EXPECT_EQ(CarveAt(1), kCarveToHeader);  // up to the next header, as described
  EXPECT_EQ(members.CurrentSector, 9u);
  EXPECT_EQ(ReadFileBytes(out.File("2REC.png")).size(), 8 * kSector);
  EXPECT_THAT(carver.UnverifiedFiles(), ElementsAre(out.File("1REC.png"), out.File("2REC.png")));
}

TEST_F(ExactCarveTest, AStopInsideAFollowedFileCutsItBackToItsInnerHeader) {
  Disc disc(40);
  disc.Put(0, MakeToyFile(30 * kSector)).Header(2, kJpeg);
  Load(disc);
  host.OnPump(12, [] { StopFlag = true; });
  EXPECT_EQ(CarveAt(0), kCarveStopped);
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), disc.Range(0, 2 * kSector));
  EXPECT_FALSE(observer.ends[0].verified);
  EXPECT_TRUE(observer.ends[0].written);
}

TEST_F(ExactCarveTest, KindsWithoutAFinderRunToTheNextHeaderAsDescribed) {
  Disc disc(8);
  disc.Header(1, kJpeg).Header(4, kGif);
  Load(disc);
  EXPECT_EQ(CarveAt(1), kCarveToHeader);
  EXPECT_EQ(ReadFileBytes(out.File("1REC.jpg")), disc.Range(1, 3 * kSector));
  EXPECT_THAT(carver.UnverifiedFiles(), ElementsAre(out.File("1REC.jpg")));
}

// A raw Mode 2 volume: sectors of 2,324 bytes, of which a Form 1 sector holds only the
// first 2,048 as data. A file laid over it fills the data of successive sectors.
struct Mode2Disc {
  static constexpr uint32_t kForm2 = 2324;
  static constexpr uint32_t kForm1 = 2048;
  explicit Mode2Disc(uint64_t sectors)
      : volume(
            std::make_shared<MemoryVolume>(std::vector<uint8_t>(sectors * kForm2, 0x5A), kForm2)) {}
  Mode2Disc& Form1(std::initializer_list<uint64_t> sectors) {
    for (const uint64_t sector : sectors) volume->SetDataBytes(sector, kForm1);
    return *this;
  }
  // Lays `file` over the data of the sectors from `first` on.
  Mode2Disc& Put(uint64_t first, const std::vector<uint8_t>& file) {
    std::vector<uint8_t> bytes = volume->Bytes();
    std::size_t done = 0;
    for (uint64_t sector = first; done < file.size(); ++sector) {
      const std::size_t take =
          std::min<std::size_t>(volume->SectorDataBytes(sector), file.size() - done);
      std::memcpy(bytes.data() + sector * kForm2, file.data() + done, take);
      done += take;
    }
    auto laid = std::make_shared<MemoryVolume>(bytes, kForm2);
    for (uint64_t sector = 0; sector < volume->SectorCount(); ++sector) {
      laid->SetDataBytes(sector, volume->SectorDataBytes(sector));
    }
    volume = laid;
    return *this;
  }
  std::shared_ptr<MemoryVolume> volume;
};

TEST_F(ExactCarveTest, AFileIsFollowedOverSectorsOfEitherFormOfARawMode2Volume) {
  // Form 1, Form 2, Form 1 and Form 1 data: the end lies 100 bytes into sector 4.
  const std::vector<uint8_t> toy = MakeToyFile(2048 + 2324 + 2048 + 100);
  Mode2Disc disc(8);
  disc.Form1({1, 3, 4}).Put(1, toy);
  volume = source.Assign('E', disc.volume);
  ASSERT_TRUE(QueryDriveGeometry(source, 'E'));
  TotalSectors = DriveGeometry.SectorCount();
  members.CurrentDriveLetter = 'E';
  members.CurrentSector = 1;
  reader.ReadSectors('E', 1, 1);
  EXPECT_EQ(carver.CarveFile(kToyKind), kCarveToLength);
  EXPECT_EQ(members.CurrentSector, 4u);  // the sector holding the last byte
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), toy);
  ASSERT_EQ(observer.ends.size(), 1u);
  EXPECT_TRUE(observer.ends[0].verified);
  EXPECT_EQ(observer.ends[0].cut, toy.size());
}

class ExactRunTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    host.outputFolder = out.Folder();
  }
  TempDir out;
  MemoryVolumeSource source;
  RecordingHost host;
  RecoveryRun run{source, host};
  ToyRules rules;
};

TEST_F(ExactRunTest, TheScanGoesOnAfterEachEndAndInnerHeadersStartNoFile) {
  Disc disc(24);
  const std::vector<uint8_t> first = MakeToyFile(4 * kSector + 7);
  const std::vector<uint8_t> second = MakeToyFile(kSector / 2);
  disc.Put(1, first).Header(2, kJpeg).Header(4, kToyKind);  // inner, header-like
  disc.Header(6, kGif);                                     // right after the first's end
  disc.Put(9, second);
  disc.Put(10, first).Header(12, kJpeg);
  const std::vector<uint8_t> firstOnDisc = disc.Range(1, first.size());
  source.Assign('E', std::make_shared<MemoryVolume>(disc.bytes));
  run.SetRules(rules);
  ASSERT_EQ(run.RunRecovery(), RunOutcome::kCompleted);
  EXPECT_THAT(ListFolder(out.Path()), ElementsAre("1REC.gif", "1REC.png", "2REC.png", "3REC.png"));
  EXPECT_EQ(ReadFileBytes(out.File("1REC.png")), firstOnDisc);
  EXPECT_EQ(ReadFileBytes(out.File("2REC.png")), second);
  EXPECT_EQ(ReadFileBytes(out.File("3REC.png")), disc.Range(10, first.size()));
  EXPECT_EQ(ReadFileBytes(out.File("1REC.gif")), disc.Range(6, 3 * kSector));
  EXPECT_EQ(run.Carver().FilesVerified()[kToyKind], 3u);
  // Cut or not, verified or not, each file was written whole.
  EXPECT_EQ(run.Carver().FilesWrittenWhole()[kToyKind], 3u);
  EXPECT_EQ(run.Carver().FilesWrittenWhole()[kGif], 1u);
  EXPECT_THAT(run.Carver().IncompleteFiles(), IsEmpty());
}

}  // namespace
}  // namespace orlenta
