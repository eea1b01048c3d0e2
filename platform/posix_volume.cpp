#include "posix_volume.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orlenta {
namespace {

class PosixVolume final : public Volume {
 public:
  PosixVolume(int fd, uint32_t sectorSize, uint64_t sectorCount)
      : fd_(fd), sectorSize_(sectorSize), sectorCount_(sectorCount) {}
  ~PosixVolume() override { ::close(fd_); }
  PosixVolume(const PosixVolume&) = delete;
  PosixVolume& operator=(const PosixVolume&) = delete;

  uint32_t SectorSize() const override { return sectorSize_; }
  uint64_t SectorCount() const override { return sectorCount_; }

  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    std::size_t done = 0;
    while (done < into.size()) {
      const ssize_t got =
          ::pread(fd_, into.data() + done, into.size() - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done == 0 && !into.empty() ? -1 : static_cast<int64_t>(done);
  }

 private:
  int fd_;
  uint32_t sectorSize_;
  uint64_t sectorCount_;
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

}  // namespace

std::unique_ptr<Volume> OpenPosixVolume(const std::string& path, VolumeOpenError* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    Fail(error, errno, "cannot be opened");
    return nullptr;
  }
  struct stat info {};
  uint32_t sectorSize = kImageSectorSize;
  uint64_t bytes = 0;
  bool usable = ::fstat(fd, &info) == 0;
  if (!usable) {
    Fail(error, errno, "cannot be examined");
  } else if (S_ISBLK(info.st_mode)) {
    usable = DeviceGeometry(fd, sectorSize, bytes);
    if (!usable) Fail(error, errno, "does not report its size (no medium?)");
  } else if (S_ISREG(info.st_mode)) {
    bytes = static_cast<uint64_t>(info.st_size);
  } else {
    usable = false;
    Fail(error, 0,
         S_ISDIR(info.st_mode) ? "is a directory" : "is not an image file or a block device");
  }
  if (!usable) {
    ::close(fd);
    return nullptr;
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::make_unique<PosixVolume>(fd, sectorSize, bytes / sectorSize);
}

}  // namespace orlenta
