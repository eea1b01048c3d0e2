// SPDX-License-Identifier: GPL-3.0-or-later
#include "posix_volume.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "disc_volume.h"
#include "drives/direct_reads.h"
#include "drives/drive_reads.h"
#include "drives/drive_toc.h"
#include "drives/speed_lowering.h"
#include "ewf_volume.h"
#include "file_copy.h"
#include "image_layout.h"
#include "raw_volume.h"
#include "read_fully.h"
#include "split_image.h"

namespace orlenta {
namespace {

class PosixVolume final : public Volume {
 public:
  // `imageFile`: `fd` is a regular file, read as it stands, whose bytes can be copied
  // into other files inside the kernel.
  PosixVolume(int fd, uint32_t sectorSize, uint64_t sectorCount, bool imageFile = false)
      : fd_(fd), sectorSize_(sectorSize), sectorCount_(sectorCount), imageFile_(imageFile) {}
  ~PosixVolume() override { ::close(fd_); }
  PosixVolume(const PosixVolume&) = delete;
  PosixVolume& operator=(const PosixVolume&) = delete;

  uint32_t SectorSize() const override { return sectorSize_; }
  uint64_t SectorCount() const override { return sectorCount_; }

  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    errno = 0;
    const std::size_t done = ReadBlockDevice(fd_, offset, into, sectorSize_);
    if (done > 0 || into.empty()) return static_cast<int64_t>(done);
    // Nothing read inside the volume as it was opened: a bad sector, or the medium is gone.
    const uint64_t volumeEnd = sectorCount_ * sectorSize_;
    if (offset >= volumeEnd) return -1;
    const uint64_t end = std::min<uint64_t>(offset + into.size(), volumeEnd);
    return MediumEndsBefore(fd_, end, errno) ? kMediumGone : -1;
  }

  uint64_t CopyToFile(uint64_t offset, uint64_t length, std::FILE* file,
                      uint64_t fileOffset) override {
    const uint64_t volumeEnd = sectorCount_ * sectorSize_;
    if (!imageFile_ || offset >= volumeEnd || std::fflush(file) != 0) return 0;
    return CopyInKernel(fd_, offset, ::fileno(file), fileOffset,
                        std::min(length, volumeEnd - offset));
  }

  bool CopiesToFiles() const override { return imageFile_; }

 private:
  int fd_;
  uint32_t sectorSize_;
  uint64_t sectorCount_;
  bool imageFile_;
};

bool DeviceGeometry(int fd, uint32_t& sectorSize, uint64_t& bytes) {
  int logical = 0;
  if (::ioctl(fd, BLKSSZGET, &logical) != 0 || logical <= 0) return false;
  if (::ioctl(fd, BLKGETSIZE64, &bytes) != 0) return false;
  sectorSize = static_cast<uint32_t>(logical);
  return true;
}

void Fail(VolumeOpenError* error, int errnum, const char* reason) {
  if (error) *error = {errnum, reason};
}

// Why a file of type `mode` cannot be read as a volume.
const char* NotAVolume(mode_t mode) {
  return S_ISDIR(mode) ? "is a directory" : "is not an image file or a block device";
}

// The layout of what `fd` (opened from `path`) holds, whatever its sector count.
std::optional<SectorLayout> AnyLayoutOf(int fd, const std::string& path, const ImageReading& how,
                                        VolumeOpenError* error) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    Fail(error, errno, "cannot be examined");
    return std::nullopt;
  }
  if (S_ISREG(info.st_mode)) {
    return ProbeImageLayout(fd, path, static_cast<uint64_t>(info.st_size), how, error);
  }
  if (!S_ISBLK(info.st_mode)) {
    Fail(error, 0, NotAVolume(info.st_mode));
    return std::nullopt;
  }
  DriveDisc drive = ReadDriveDisc(fd, path);
  if (drive.status == TocStatus::kRead) return std::move(drive.disc);
  SectorLayout layout;
  if (drive.status == TocStatus::kUnreadable) {
    layout.note =
        "the drive's table of contents cannot be read; the disc is read by its capacity from "
        "sector 0, without its tracks and sessions";
  }
  uint64_t bytes = 0;
  if (!DeviceGeometry(fd, layout.sectorSize, bytes)) {
    Fail(error, errno, "does not report its size (no medium?)");
    return std::nullopt;
  }
  layout.dataPath = path;
  layout.stride = layout.sectorSize;
  layout.sectorCount = bytes / layout.sectorSize;
  return layout;
}

// The layout of what `fd` (opened from `path`) holds; a block device is plain sectors of the
// kernel's size. A source without one whole sector (an empty file, a few bytes, a cue sheet
// whose track is empty) gives no volume: there is nothing to read, and a run over it would
// say it completed.
std::optional<SectorLayout> LayoutOf(int fd, const std::string& path, const ImageReading& how,
                                     VolumeOpenError* error) {
  std::optional<SectorLayout> layout = AnyLayoutOf(fd, path, how, error);
  if (layout && layout->sectorCount == 0) {
    Fail(error, 0, "cannot be read: not one whole sector");
    return std::nullopt;
  }
  return layout;
}

// Opens `path` for reading without ever waiting: a FIFO would block the open until some
// writer came. Anything but an image file or a block device is refused before it is read.
// A block device is opened again in the ordinary way, since a drive opened without
// blocking answers even when it holds no disc.
int OpenReadOnly(const std::string& path, VolumeOpenError* error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    Fail(error, errno, "cannot be opened");
    return fd;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    Fail(error, errno, "cannot be examined");
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(info.st_mode) && !S_ISBLK(info.st_mode)) {
    Fail(error, 0, NotAVolume(info.st_mode));
    ::close(fd);
    return -1;
  }
  if (S_ISREG(info.st_mode)) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }
  ::close(fd);
  fd = OpenBlockDeviceDirect(path);
  if (fd < 0) Fail(error, errno, "cannot be opened");
  return fd;
}

// A cue sheet's data file, which must still be a regular file: never a FIFO that would
// block, nor a device.
int OpenDataFile(const std::string& path, VolumeOpenError* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    Fail(error, errno, "cannot be opened");
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    Fail(error, 0, "names a data file that is not a regular file");
    ::close(fd);
    return -1;
  }
  return fd;
}

// Every data track of a disc, each read from its own data file as its layout says.
std::unique_ptr<Volume> OpenDiscImage(const SectorLayout& disc, VolumeOpenError* error) {
  std::vector<TrackVolume> tracks;
  for (const DiscTrack& track : disc.tracks) {
    if (track.kind != TrackKind::kData || track.sectorCount == 0) continue;
    const int fd = OpenDataFile(track.layout.dataPath, error);
    if (fd < 0) return nullptr;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    tracks.push_back({track.firstSector, track.sectorCount, MakeRawVolume(fd, track.layout)});
  }
  return MakeDiscVolume(std::move(tracks), disc.sectorCount, MediumTracks(disc));
}

}  // namespace

std::optional<SectorLayout> DescribePosixVolume(const std::string& path, VolumeOpenError* error,
                                                const ImageReading& how) {
  if (how.known) return how.known;
  const int fd = OpenReadOnly(path, error);
  if (fd < 0) return std::nullopt;
  auto layout = LayoutOf(fd, path, how, error);
  ::close(fd);
  return layout;
}

std::unique_ptr<Volume> OpenPosixVolume(const std::string& path, VolumeOpenError* error,
                                        const ImageReading& how) {
  int fd = OpenReadOnly(path, error);
  if (fd < 0) return nullptr;
  const std::optional<SectorLayout> layout = how.known ? how.known : LayoutOf(fd, path, how, error);
  if (layout && layout->container == Container::kExpertWitness) {
    ::close(fd);
    return OpenExpertWitness(path, error);
  }
  if (layout && layout->container == Container::kSplitRaw) {
    ::close(fd);
    return OpenSplitImage(path, error);
  }
  const bool optical = layout && (layout->inDrive || !layout->note.empty());
  if (optical && how.speed) SelectDriveSpeed(fd, *how.speed);
  if (layout && !layout->tracks.empty()) {
    if (layout->inDrive) {
      const int speedFd = ::dup(fd);
      return LowerSpeedOnReadErrors(OpenDriveDisc(fd, *layout), speedFd, how.speed,
                                    how.speedLowered);
    }
    ::close(fd);
    return OpenDiscImage(*layout, error);
  }
  if (layout && layout->dataPath != path) {  // a cue sheet: its data file is read instead
    ::close(fd);
    fd = OpenDataFile(layout->dataPath, error);
    if (fd < 0) return nullptr;
  }
  if (!layout) {
    ::close(fd);
    return nullptr;
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  if (layout->rawMode != RawMode::kNone || layout->firstByte != 0 || !layout->Contiguous()) {
    return MakeRawVolume(fd, *layout);
  }
  if (optical) {  // a drive whose disc is read by its capacity
    const int speedFd = ::dup(fd);
    return LowerSpeedOnReadErrors(
        std::make_unique<PosixVolume>(fd, layout->sectorSize, layout->sectorCount), speedFd,
        how.speed, how.speedLowered);
  }
  struct stat info {};
  const bool imageFile = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  return std::make_unique<PosixVolume>(fd, layout->sectorSize, layout->sectorCount, imageFile);
}

}  // namespace orlenta
