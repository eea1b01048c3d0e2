// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/sector_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/file_carver.h"
#include "engine/file_kind.h"
#include "support/memory_volume.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;

constexpr uint32_t kSector = 2048;

class SectorReaderTest : public EngineTest {
 protected:
  std::shared_ptr<MemoryVolume> Use(uint64_t sectors, char letter = 'E') {
    auto volume =
        source.Assign(letter, std::make_shared<MemoryVolume>(BuildVolume(sectors, {{3, kJpeg}})));
    EXPECT_TRUE(QueryDriveGeometry(source, letter));
    return volume;
  }
  static std::vector<uint8_t> Buffer(std::size_t from, std::size_t to) {
    return {SectorBuffer.begin() + from, SectorBuffer.begin() + to};
  }
  static std::vector<uint8_t> Sector(const MemoryVolume& volume, uint64_t sector) {
    return SectorRange(volume.Bytes(), sector, 1);
  }

  MemoryVolumeSource source;
  RecordingHost host;
  SectorReader reader{source, host, host};
  TempDir out;
};

TEST_F(SectorReaderTest, GeometryIsOneSectorPerClusterOfTheVolume) {
  Use(37);
  EXPECT_EQ(DriveGeometry.sectorsPerCluster, 1u);
  EXPECT_EQ(DriveGeometry.bytesPerSector, kSector);
  EXPECT_EQ(DriveGeometry.totalClusters, 37u);
  EXPECT_EQ(DriveGeometry.SectorCount(), 37u);
}

TEST_F(SectorReaderTest, FailedGeometryQueryLeavesTheOldValues) {
  DriveGeometry = {2, 512, 3, 40};
  EXPECT_FALSE(QueryDriveGeometry(source, 'Q'));  // no volume
  source.Assign('H', std::make_shared<MemoryVolume>(std::vector<uint8_t>(32768), 16384));
  EXPECT_FALSE(QueryDriveGeometry(source, 'H'));  // sectors larger than SectorBuffer
  EXPECT_EQ(DriveGeometry.sectorsPerCluster, 2u);
  EXPECT_EQ(DriveGeometry.bytesPerSector, 512u);
  EXPECT_EQ(DriveGeometry.totalClusters, 40u);
}

TEST_F(SectorReaderTest, Sector0Then5LeavesExactlySector5AndTouchesNothingBeyond) {
  const auto volume = Use(8);
  std::fill(SectorBuffer.begin(), SectorBuffer.end(), uint8_t{0xA5});
  EXPECT_EQ(reader.ReadSectors('E', 0, 1), 1);
  EXPECT_EQ(reader.ReadSectors('E', 5, 1), 1);
  EXPECT_EQ(Buffer(0, kSector),
            std::vector<uint8_t>(volume->Bytes().begin() + 10240, volume->Bytes().begin() + 12288));
  EXPECT_THAT(Buffer(kSector, kSectorBufferSize), Each(0xA5));
  EXPECT_EQ(host.pumps, 2);
}

TEST_F(SectorReaderTest, SeveralSectorsNeverReachPastTheBuffer) {
  const auto volume = Use(8);
  std::fill(SectorBuffer.begin(), SectorBuffer.end(), uint8_t{0xA5});
  reader.ReadSectors('E', 2, 2);
  EXPECT_EQ(Buffer(0, 2 * kSector), SectorRange(volume->Bytes(), 2, 2));
  EXPECT_THAT(Buffer(2 * kSector, kSectorBufferSize), Each(0xA5));
  reader.ReadSectors('E', 1, 5);  // 5 sectors do not fit: only 4 are placed
  EXPECT_EQ(Buffer(0, 4 * kSector), SectorRange(volume->Bytes(), 1, 4));
  EXPECT_THAT(Buffer(4 * kSector, kSectorBufferSize), Each(0xA5));
}

TEST_F(SectorReaderTest, PastTheEndLeavesTheBufferAsItWas) {
  const auto volume = Use(8);
  reader.ReadSectors('E', 7, 1);
  EXPECT_EQ(reader.ReadSectors('E', 8, 1), 1);
  EXPECT_EQ(reader.ReadSectors('E', 4000000000u, 1), 1);
  EXPECT_EQ(Buffer(0, kSector), Sector(*volume, 7));
  EXPECT_EQ(host.pumps, 3);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(SectorReaderTest, OpenFailureIsToldOnceAndStopsTheRun) {
  DriveGeometry = {1, kSector, 0, 100};
  std::fill(SectorBuffer.begin(), SectorBuffer.end(), uint8_t{0x5A});
  for (uint32_t sector = 0; sector < 3; ++sector) EXPECT_EQ(reader.ReadSectors('Z', sector, 1), 1);
  EXPECT_THAT(host.messages, ElementsAre(ShownMessage{"Error initiating reading", "Orlenta"}));
  EXPECT_TRUE(StopFlag);
  EXPECT_THAT(Buffer(0, kSectorBufferSize), Each(0x5A));
  EXPECT_EQ(host.pumps, 3);
}

TEST_F(SectorReaderTest, ReadsAheadInLargeBlocksThroughOneOpen) {
  const auto volume = Use(1000);
  const int opensBefore = source.Opens('E');
  for (uint32_t sector = 0; sector < 1000; ++sector) {
    reader.ReadSectors('E', sector, 1);
    ASSERT_EQ(Buffer(0, kSector), Sector(*volume, sector)) << sector;
  }
  // The first reads of a run are small, until the source has shown itself fast.
  EXPECT_LE(volume->ReadCalls(), 6);
  EXPECT_GE(volume->LargestRead(), std::size_t{256} * 1024);
  EXPECT_EQ(source.Opens('E') - opensBefore, 1);
  EXPECT_EQ(host.pumps, 1000);
  EXPECT_EQ(reader.SectorsReached(), 1000u);
  EXPECT_EQ(reader.UnreadableSectors(), 0u);
}

TEST_F(SectorReaderTest, JumpsBackAndForthAndBetweenDrives) {
  const auto e = Use(900, 'E');
  const auto f = source.Assign('F', std::make_shared<MemoryVolume>(BuildVolume(900, {})));
  for (const auto& [letter, sector] : std::vector<std::pair<char, uint32_t>>{
           {'E', 5}, {'E', 700}, {'E', 3}, {'F', 3}, {'E', 899}}) {
    reader.ReadSectors(letter, sector, 1);
    EXPECT_EQ(Buffer(0, kSector), Sector(letter == 'E' ? *e : *f, sector)) << letter << sector;
  }
  EXPECT_NE(Sector(*e, 3), Sector(*f, 3));
}

class SectorReaderFailureTest : public SectorReaderTest,
                                public ::testing::WithParamInterface<MemoryVolume::Failure> {};

TEST_P(SectorReaderFailureTest, OnlyTheFailingSectorIsZeroedAndCountedOnce) {
  const auto volume = Use(600);
  volume->FailSector(7, GetParam());
  std::fill(SectorBuffer.begin(), SectorBuffer.end(), uint8_t{0x5A});
  // The run's second read (sectors 1-16) meets the failing sector: what it gave back before
  // it is kept, and only the rest of it is tried sector by sector. Then the block's reads
  // grow again: sector 17, 18-33, 34-289, 290-511.
  reader.ReadSectors('E', 0, 1);
  EXPECT_EQ(volume->ReadCalls(), 6 + (GetParam() == MemoryVolume::Failure::kShort ? 10 : 16));
  for (int pass = 0; pass < 2; ++pass) {  // the second pass re-reads the failing block
    for (uint32_t sector = 0; sector < 600; ++sector) {
      reader.ReadSectors('E', sector, 1);
      if (sector == 7) {
        ASSERT_THAT(Buffer(0, kSector), Each(0)) << "pass " << pass;
      } else {
        ASSERT_EQ(Buffer(0, kSector), Sector(*volume, sector)) << "pass " << pass << " " << sector;
      }
    }
  }
  EXPECT_EQ(reader.UnreadableSectors(), 1u);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(StopFlag);
  reader.BeginRun();
  EXPECT_EQ(reader.UnreadableSectors(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Failures, SectorReaderFailureTest,
                         ::testing::Values(MemoryVolume::Failure::kNothing,
                                           MemoryVolume::Failure::kShort));

// A failing sector is counted when it is asked for, not when the read-ahead block holding
// it is loaded: a run stopped early reports no unreadable sectors it never reached.
TEST_F(SectorReaderTest, SectorsNeverAskedForAreNotCountedUnreadable) {
  const auto volume = Use(600);
  volume->FailSector(300);
  for (uint32_t sector = 0; sector < 10; ++sector) reader.ReadSectors('E', sector, 1);
  EXPECT_EQ(reader.UnreadableSectors(), 0u);
}

TEST_F(SectorReaderTest, StopDuringTheRereadOfAFailedStepEndsItAtOnce) {
  // The second read (sectors 1-16) fails, so each of its sectors is tried alone: on a
  // drive that is seconds per sector. Stop must be heard after each of them.
  const auto volume = Use(600);
  volume->FailSector(5);
  host.OnPump(3, [] { StopFlag = true; });
  reader.ReadSectors('E', 0, 1);
  // The first read's sector is kept, never read again.
  EXPECT_EQ(Buffer(0, kSector), Sector(*volume, 0));
  EXPECT_EQ(volume->ReadCalls(), 2 + 3);  // the two reads, then three sectors alone
  EXPECT_EQ(host.pumps, 4);               // one per sector tried, one after the read
  EXPECT_EQ(reader.UnreadableSectors(), 0u);
  // What was not tried is not taken for read: the next sector is asked of the volume again.
  StopFlag = false;
  reader.ReadSectors('E', 4, 1);
  EXPECT_EQ(Buffer(0, kSector), Sector(*volume, 4));
  EXPECT_GT(volume->ReadCalls(), 5);
}

TEST_F(SectorReaderTest, AScratchIsTriedSectorBySectorOrJumpedOverWhenAsked) {
  // A 2,000-sector scratch: by default every sector of it is tried once; skipping bad zones,
  // a few dozen failing reads cross it (the last jump may land past its end, over sectors
  // that are then skipped too), and what follows is read as ever.
  for (const bool skip : {false, true}) {
    reader.BeginRun();
    reader.SkipBadZones(skip);
    const auto volume = Use(3000);
    for (uint64_t sector = 700; sector < 2700; ++sector) volume->FailSector(sector);
    std::vector<std::vector<uint8_t>> got;
    for (uint32_t sector = 0; sector < 3000; ++sector) {
      reader.ReadSectors('E', sector, 1);
      got.push_back(Buffer(0, kSector));
    }
    // What the map says of each sector is what it got: its bytes, or zeros in its place.
    uint64_t mismatches = 0;
    for (const SectorMap::Run& run : reader.Map().Runs()) {
      for (uint64_t sector = run.first; sector < run.first + run.count; ++sector) {
        const bool read = run.state == SectorState::kRead;
        if (read && sector >= 700 && sector < 2700) ++mismatches;
        const auto expected = read ? Sector(*volume, sector) : std::vector<uint8_t>(kSector, 0);
        if (got[sector] != expected) ++mismatches;
      }
    }
    EXPECT_EQ(mismatches, 0u) << skip;
    EXPECT_EQ(reader.Map().Sectors(), 3000u);
    EXPECT_EQ(reader.Map().Runs().front().count, 700u);
    EXPECT_EQ(reader.Map().Runs().back().state, SectorState::kRead);
    EXPECT_EQ(reader.UnreadableSectors() + reader.SkippedSectors() + reader.ReadableSectors(),
              3000u);
    if (skip) {
      EXPECT_LE(volume->FailedReads(), 64) << "skipping";
      EXPECT_GT(reader.SkippedSectors(), 1900u);
      EXPECT_GE(reader.ReadableSectors(), 700u + 200u);
    } else {
      // Once in the scratch, the reads stay one sector long until it ends.
      EXPECT_EQ(volume->FailedReads(), 2000 + 1) << "every sector once, and the read that met it";
      EXPECT_EQ(reader.SkippedSectors(), 0u);
      EXPECT_EQ(reader.ReadableSectors(), 1000u);
    }
    reader.Close();
  }
}

TEST_F(SectorReaderTest, CloseReopensOnTheNextRead) {
  const auto volume = Use(4);
  const int opensBefore = source.Opens('E');
  reader.ReadSectors('E', 1, 1);
  reader.Close();
  reader.ReadSectors('E', 2, 1);
  EXPECT_EQ(source.Opens('E') - opensBefore, 2);
  EXPECT_EQ(Buffer(0, kSector), Sector(*volume, 2));
}

// A disk of 2 TiB and more in 512-byte sectors: more sectors than 32 bits count. Its bytes
// are made up where asked, so nothing of its size is held; its last sectors hold a JPEG.
class HugeVolume final : public Volume {
 public:
  static constexpr uint64_t kSectors = (uint64_t{1} << 32) + 8;
  uint32_t SectorSize() const override { return 512; }
  uint64_t SectorCount() const override { return kSectors; }
  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    const uint64_t end = std::min<uint64_t>(offset + into.size(), kSectors * 512);
    if (offset >= end) return -1;
    for (uint64_t at = offset; at < end; ++at) into[at - offset] = ByteAt(at);
    return static_cast<int64_t>(end - offset);
  }
  static uint8_t ByteAt(uint64_t at) {
    const uint64_t sector = at / 512;
    if (sector < kSectors - 4) return 0;
    return MakeSector(sector == kSectors - 4 ? kJpeg : 0, sector, 512)[at % 512];
  }
};

class HugeVolumeSource final : public VolumeSource {
 public:
  std::unique_ptr<Volume> Open(char) override { return std::make_unique<HugeVolume>(); }
};

TEST_F(SectorReaderTest, SectorsPast32BitsAreCountedAndReadWhereTheyLie) {
  HugeVolumeSource huge;
  ASSERT_TRUE(QueryDriveGeometry(huge, 'H'));
  EXPECT_EQ(DriveGeometry.SectorCount(), HugeVolume::kSectors);
  SectorReader reader(huge, host, host);
  RunMembers members;
  FileCarver carver(members, reader, host);
  host.outputFolder = out.Folder();
  TotalSectors = DriveGeometry.SectorCount();
  members.CurrentDriveLetter = 'H';
  members.CurrentSector = HugeVolume::kSectors - 4;
  reader.ReadSectors('H', members.CurrentSector, 1);
  ASSERT_EQ(DetectFileKind(), kJpeg);
  // The file runs to the very last sector of the disk.
  EXPECT_EQ(carver.CarveFile(kJpeg), kCarveToEnd);
  EXPECT_EQ(members.CurrentSector, HugeVolume::kSectors);
  std::vector<uint8_t> expected;
  for (uint64_t at = (HugeVolume::kSectors - 4) * 512; at < HugeVolume::kSectors * 512; ++at) {
    expected.push_back(HugeVolume::ByteAt(at));
  }
  EXPECT_EQ(ReadFileBytes(out.File("1REC.jpg")), expected);
}

TEST(ProgressPercent, TruncatesIn64Bits) {
  EXPECT_EQ(ProgressPercent(0, 0), 0);
  EXPECT_EQ(ProgressPercent(99, 100), 99);
  EXPECT_EQ(ProgressPercent(2, 3), 66);
  EXPECT_EQ(ProgressPercent(50000000, 100000000), 50);  // a 32-bit product would wrap
}

}  // namespace
}  // namespace orlenta
