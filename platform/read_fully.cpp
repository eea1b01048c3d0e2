// SPDX-License-Identifier: GPL-3.0-or-later
#include "read_fully.h"

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

}  // namespace orlenta
