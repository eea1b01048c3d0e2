// SPDX-License-Identifier: GPL-3.0-or-later
#include "direct_reads.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/read_fully.h"

namespace orlenta {
namespace {

// Enough for a read-ahead block at a time; aligned for any sector size a device reports.
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
constexpr std::size_t kAlignment = 4096;

struct FreeDeleter {
  void operator()(uint8_t* bytes) const { std::free(bytes); }
};

bool IsDirect(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_DIRECT) != 0;
}

}  // namespace

int OpenBlockDeviceDirect(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECT);
  if (fd >= 0 || errno != EINVAL) return fd;
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

std::size_t ReadBlockDevice(int fd, uint64_t offset, std::span<uint8_t> into, uint32_t sectorSize) {
  if (!IsDirect(fd) || sectorSize == 0 || kChunkBytes % sectorSize != 0) {
    return ReadFully(fd, offset, into);
  }
  void* memory = nullptr;
  if (::posix_memalign(&memory, kAlignment, kChunkBytes) != 0) return 0;
  const std::unique_ptr<uint8_t, FreeDeleter> chunk(static_cast<uint8_t*>(memory));
  std::size_t done = 0;
  while (done < into.size()) {
    // The whole sectors holding the next bytes wanted, a chunk at most.
    const uint64_t at = offset + done;
    const uint64_t first = at - at % sectorSize;
    const uint64_t skip = at - first;
    const std::size_t wanted = std::min<std::size_t>(into.size() - done, kChunkBytes - skip);
    const std::size_t span = (skip + wanted + sectorSize - 1) / sectorSize * sectorSize;
    const std::size_t got = ReadFully(fd, first, {chunk.get(), span});
    if (got <= skip) break;
    const std::size_t useful = std::min(wanted, got - static_cast<std::size_t>(skip));
    std::memcpy(into.data() + done, chunk.get() + skip, useful);
    done += useful;
    if (got < span) break;
  }
  return done;
}

}  // namespace orlenta
