// SPDX-License-Identifier: GPL-3.0-or-later
#include "read_fully.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orlenta {

std::size_t ReadFully(int fd, uint64_t offset, std::span<uint8_t> into) {
  std::size_t done = 0;
  while (done < into.size()) {
    const ssize_t got =
        ::pread(fd, into.data() + done, into.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool MediumEndsBefore(int fd, uint64_t end, int readErrno) {
  if (readErrno == ENOMEDIUM || readErrno == ENODEV || readErrno == ENXIO) return true;
  struct stat info {};
  if (::fstat(fd, &info) != 0) return true;
  if (S_ISREG(info.st_mode)) return static_cast<uint64_t>(info.st_size) < end;
  uint64_t bytes = 0;
  if (S_ISBLK(info.st_mode)) return ::ioctl(fd, BLKGETSIZE64, &bytes) != 0 || bytes < end;
  return false;
}

}  // namespace orlenta
