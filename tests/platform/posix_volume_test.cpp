#include "platform/posix_volume.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "engine/file_kind.h"
#include "engine/sector_reader.h"
#include "platform/drive_map.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

TEST(PosixVolume, ImageOfWholeSectorsTailIgnored) {
  TempDir dir;
  std::vector<uint8_t> bytes = BuildVolume(5, {{2, kJpeg}});
  bytes.insert(bytes.end(), 100, 0x77);
  ASSERT_TRUE(WriteFileBytes(dir.File("disc.iso"), bytes));
  const auto volume = OpenPosixVolume(dir.File("disc.iso"));
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->SectorSize(), 2048u);
  EXPECT_EQ(volume->SectorCount(), 5u);
  std::vector<uint8_t> sector(2048);
  EXPECT_EQ(volume->ReadAt(2 * 2048, sector), 2048);
  EXPECT_EQ(sector, SectorRange(bytes, 2, 1));
  std::vector<uint8_t> across(4096);
  EXPECT_EQ(volume->ReadAt(4 * 2048, across), 2048 + 100);  // short at the end of the file
  EXPECT_EQ(volume->ReadAt(bytes.size(), across), -1);
}

TEST(PosixVolume, ReadsBeyond4GiBThroughTheSectorReader) {
  TempDir dir;
  const std::string path = dir.File("dvd.iso");
  const uint64_t far = (uint64_t{4} << 30) / 2048 + 3;  // a sector past 4 GiB
  const std::vector<uint8_t> marker = MakeSector(kGif, far);
  {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>((far + 10) * 2048)), 0);  // sparse: cheap
    ASSERT_EQ(::pwrite(fd, marker.data(), marker.size(), static_cast<off_t>(far * 2048)), 2048);
    ::close(fd);
  }
  ResetEngineState();
  DriveMap drives;
  drives.Assign('E', path);
  ASSERT_TRUE(QueryDriveGeometry(drives, 'E'));
  EXPECT_EQ(DriveGeometry.SectorCount(), far + 10);
  RecordingHost host;
  SectorReader reader(drives, host, host);
  reader.ReadSectors('E', static_cast<uint32_t>(far), 1);
  EXPECT_TRUE(std::equal(marker.begin(), marker.end(), SectorBuffer.begin()));
  EXPECT_EQ(DetectFileKind(), kGif);
  ResetEngineState();
}

TEST(PosixVolume, DirectoryRefused) {
  TempDir dir;
  VolumeOpenError error;
  EXPECT_EQ(OpenPosixVolume(dir.Path().string(), &error), nullptr);
  EXPECT_EQ(error.reason, "is a directory");
}

TEST(PosixVolume, MissingFileRefusedWithErrno) {
  TempDir dir;
  VolumeOpenError error;
  EXPECT_EQ(OpenPosixVolume(dir.File("none.iso"), &error), nullptr);
  EXPECT_EQ(error.errnum, ENOENT);
  EXPECT_EQ(OpenPosixVolume(dir.File("none.iso")), nullptr);  // no error wanted: fine too
}

TEST(DriveMap, UnknownLetterHasNoVolume) {
  DriveMap drives;
  EXPECT_EQ(drives.Open('E'), nullptr);
}

}  // namespace
}  // namespace orlenta
