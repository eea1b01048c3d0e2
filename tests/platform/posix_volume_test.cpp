// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix_volume.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/file_kind.h"
#include "engine/sector_reader.h"
#include "platform/drive_map.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

// `volume` holds `sectors` whole sectors of 2,048 bytes, and sector `probe` reads as the
// same sector of `bytes`.
void ExpectSectors(Volume& volume, const std::vector<uint8_t>& bytes, uint64_t sectors,
                   uint64_t probe) {
  EXPECT_EQ(volume.SectorSize(), 2048u);
  EXPECT_EQ(volume.SectorCount(), sectors);
  std::vector<uint8_t> sector(2048);
  EXPECT_EQ(volume.ReadAt(probe * 2048, sector), 2048);
  EXPECT_EQ(sector, SectorRange(bytes, probe, 1));
}

TEST(PosixVolume, ImageOfWholeSectorsTailIgnored) {
  TempDir dir;
  std::vector<uint8_t> bytes = BuildVolume(5, {{2, kJpeg}});
  bytes.insert(bytes.end(), 100, 0x77);
  ASSERT_TRUE(WriteFileBytes(dir.File("disc.iso"), bytes));
  const auto volume = OpenPosixVolume(dir.File("disc.iso"));
  ASSERT_TRUE(volume);
  ExpectSectors(*volume, bytes, 5, 2);
  std::vector<uint8_t> across(4096);
  EXPECT_EQ(volume->ReadAt(4 * 2048, across), 2048 + 100);  // short at the end of the file
  EXPECT_EQ(volume->ReadAt(bytes.size(), across), -1);
  // Cut short while open, as a disc taken out: what it no longer holds is gone, not bad.
  std::filesystem::resize_file(dir.File("disc.iso"), 3 * 2048);
  EXPECT_EQ(volume->ReadAt(2 * 2048, across), 2048);
  EXPECT_EQ(volume->ReadAt(3 * 2048, across), Volume::kMediumGone);
}

TEST(PosixVolume, AnImageFileCopiesIntoFilesHereAndOnOtherFileSystems) {
  TempDir dir;
  const std::vector<uint8_t> bytes = BuildVolume(8, {{2, kJpeg}, {5, kPng}});
  ASSERT_TRUE(WriteFileBytes(dir.File("disc.iso"), bytes));
  // Into the image's own file system, and into memory's where there is one of its own: the
  // kernel copies between file systems of different kinds another way.
  std::vector<std::string> folders = {dir.Folder()};
  std::unique_ptr<TempDir> shm;
  if (std::filesystem::is_directory("/dev/shm")) {
    shm = std::make_unique<TempDir>("/dev/shm");
    folders.push_back(shm->Folder());
  }
  struct Case {
    uint64_t offset, length, fileOffset, copied;
  };
  // Whole sectors into the file's start; a stretch into its middle; a stretch running past
  // the volume's end, copied only up to it.
  const std::vector<Case> cases = {{2 * 2048, 3 * 2048, 0, 3 * 2048},
                                   {5 * 2048 + 7, 1000, 3000, 1000},
                                   {7 * 2048, 3 * 2048, 0, 2048}};
  for (const std::string& folder : folders) {
    const auto volume = OpenPosixVolume(dir.File("disc.iso"));
    ASSERT_TRUE(volume && volume->CopiesToFiles());
    for (const Case& c : cases) {
      SCOPED_TRACE(folder + " from " + std::to_string(c.offset));
      const std::string path = folder + "copy";
      std::FILE* file = std::fopen(path.c_str(), "wb");
      ASSERT_NE(file, nullptr);
      std::fputs("buffered", file);  // written first, never lost to the copy
      EXPECT_EQ(volume->CopyToFile(c.offset, c.length, file, c.fileOffset), c.copied);
      std::fclose(file);
      const std::vector<uint8_t> got = ReadFileBytes(path);
      ASSERT_EQ(got.size(), std::max<uint64_t>(8, c.fileOffset + c.copied));
      EXPECT_TRUE(std::equal(got.begin() + static_cast<long>(c.fileOffset), got.end(),
                             bytes.begin() + static_cast<long>(c.offset)));
      if (c.fileOffset >= 8) {
        EXPECT_EQ(std::string(got.begin(), got.begin() + 8), "buffered");
      }
    }
  }
  std::FILE* file = std::fopen(dir.File("past the end").c_str(), "wb");
  EXPECT_EQ(OpenPosixVolume(dir.File("disc.iso"))->CopyToFile(8 * 2048, 2048, file, 0), 0u);
  std::fclose(file);
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

// Nothing to read is no volume: never a run that "completes" over no sector at all.
TEST(PosixVolume, SourcesWithoutOneWholeSectorAreRefused) {
  TempDir dir;
  const auto write = [&](const std::string& name, const std::string& text) {
    EXPECT_TRUE(WriteFileBytes(dir.File(name), std::vector<uint8_t>(text.begin(), text.end())));
    return dir.File(name);
  };
  const std::string track = "  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n";
  const std::vector<std::string> sources = {
      write("empty.iso", ""),
      write("one.iso", "x"),
      write("almost.iso", std::string(2047, 'x')),
      write("itself.cue", "FILE \"itself.cue\" BINARY\n" + track),
      write("other.cue", "FILE \"itself.cue\" BINARY\n" + track),
      write("short.cue", "FILE \"short.bin\" BINARY\n" + track),
      "/proc/self/mem",
  };
  write("short.bin", std::string(2351, '\0'));
  for (const std::string& source : sources) {
    VolumeOpenError error;
    EXPECT_EQ(OpenPosixVolume(source, &error), nullptr) << source;
    EXPECT_EQ(error.reason, "cannot be read: not one whole sector") << source;
    EXPECT_FALSE(DescribePosixVolume(source)) << source;
  }
  // An evidence signature followed by garbage is no set at all.
  VolumeOpenError error;
  EXPECT_EQ(
      OpenPosixVolume(write("garbage.E01", std::string("EVF\x09\x0D\x0A\xFF\x00\x01\x01\x00", 11) +
                                               std::string(5000, 'g')),
                      &error),
      nullptr);
  EXPECT_NE(error.reason.find("evidence"), std::string::npos) << error.reason;
}

TEST(DriveMap, UnknownLetterHasNoVolume) {
  DriveMap drives;
  EXPECT_EQ(drives.Open('E'), nullptr);
}

// A block device takes its size and sector size from the kernel. A read-only loop device
// over an image stands in for an optical drive; without the rights to make one the test is
// skipped.
class LoopDevice {
 public:
  LoopDevice(const std::string& image, int sectorSize) {
    const std::string command = "losetup --find --show --read-only --sector-size " +
                                std::to_string(sectorSize) + " '" + image + "' 2>/dev/null";
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
      char line[256] = {};
      if (std::fgets(line, sizeof line, pipe)) device_ = std::string(line, strcspn(line, "\n"));
      ::pclose(pipe);
    }
  }
  ~LoopDevice() {
    if (!device_.empty()) std::system(("losetup -d " + device_ + " 2>/dev/null").c_str());
  }
  const std::string& Device() const { return device_; }

 private:
  std::string device_;
};

TEST(PosixVolume, BlockDeviceGeometryComesFromTheKernel) {
  TempDir dir;  // a path of our own making, without quotes
  const std::vector<uint8_t> bytes = BuildVolume(8, {{3, kPng}});
  ASSERT_TRUE(WriteFileBytes(dir.File("disc.iso"), bytes));
  const LoopDevice loop(dir.File("disc.iso"), 2048);
  if (loop.Device().empty()) GTEST_SKIP() << "no loop device can be made here";
  const auto volume = OpenPosixVolume(loop.Device());
  ASSERT_TRUE(volume);
  ExpectSectors(*volume, bytes, 8, 3);
}

}  // namespace
}  // namespace orlenta
