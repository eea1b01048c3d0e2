// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_copy.h"

#include <sys/sendfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace orlenta {
namespace {

// The most one call is asked to copy: the kernel copies at most about 2 GiB a call anyway.
constexpr uint64_t kMostPerCall = uint64_t{1} << 30;

// True when copy_file_range refused the pair of files as such (files of different file
// systems, a kernel without it), not a read that failed: the copy is tried another way.
bool RefusedThePair(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
         error == EBADF;
}

// The same copy through sendfile, which takes any file the kernel can map as its source and
// writes at the target's own position.
uint64_t CopyBySendfile(int from, uint64_t offset, int to, uint64_t toOffset, uint64_t length) {
  if (::lseek(to, static_cast<off_t>(toOffset), SEEK_SET) < 0) return 0;
  auto in = static_cast<off_t>(offset);
  uint64_t copied = 0;
  while (copied < length) {
    const ssize_t step = ::sendfile(to, from, &in, std::min(length - copied, kMostPerCall));
    if (step < 0 && errno == EINTR) continue;
    if (step <= 0) break;
    copied += static_cast<uint64_t>(step);
  }
  return copied;
}

}  // namespace

uint64_t CopyInKernel(int from, uint64_t offset, int to, uint64_t toOffset, uint64_t length) {
  auto in = static_cast<off_t>(offset);
  auto out = static_cast<off_t>(toOffset);
  uint64_t copied = 0;
  while (copied < length) {
    const ssize_t step =
        ::copy_file_range(from, &in, to, &out, std::min(length - copied, kMostPerCall), 0);
    if (step < 0 && errno == EINTR) continue;
    if (step < 0 && copied == 0 && RefusedThePair(errno)) {
      return CopyBySendfile(from, offset, to, toOffset, length);
    }
    if (step <= 0) break;
    copied += static_cast<uint64_t>(step);
  }
  return copied;
}

}  // namespace orlenta
