// SPDX-License-Identifier: GPL-3.0-or-later
// The disk flushes the engine asks for when it replaces a file, with the POSIX calls.
#include "engine/disk_flush.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace orlenta {

bool FlushFileToDisk(std::FILE* file) {
  return ::fsync(::fileno(file)) == 0;
}

bool FlushFolderToDisk(const std::string& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  // Some file systems cannot sync a folder, and say so with EINVAL; they keep no separate
  // record of it that could be lost.
  const bool flushed = ::fsync(descriptor) == 0 || errno == EINVAL;
  ::close(descriptor);
  return flushed;
}

}  // namespace orlenta
