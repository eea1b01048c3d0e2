// SPDX-License-Identifier: GPL-3.0-or-later
// A worn disc as a file, for a loop device to stand on: a small FUSE file system serving
// `disc`, the bytes of an image, whose reads fail (EIO, after a delay) wherever they touch
// a failing 2,048-byte sector. It bypasses the page cache, so that every read a reader of
// the loop device makes arrives here, and it counts them: reading `counts` gives one line
// "SECTOR READS ALONE FAILED" for each sector read so far (ALONE: by reads of that one
// sector; FAILED: by reads that failed), and "reads N" for all reads of `disc`.
//
//   orlenta_failing_disc IMAGE FIRST-LAST MS MOUNTPOINT [FUSE options, e.g. -f]
#define FUSE_USE_VERSION 31
#include <fcntl.h>
#include <fuse3/fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kSector = 2048;
constexpr off_t kCountsRoom = 64 << 20;  // counts' size as shown: reads stop where its text does

struct FailingDisc {
  int image = -1;
  uint64_t size = 0;
  uint64_t failFirst = 0, failLast = 0;
  long failMs = 0;
  std::mutex mutex;
  struct Reads {
    uint64_t all = 0, alone = 0, failed = 0;
  };
  std::map<uint64_t, Reads> readsOf;  // by sector
  uint64_t reads = 0;
};

FailingDisc& Disc() {
  return *static_cast<FailingDisc*>(fuse_get_context()->private_data);
}

int GetAttributes(const char* path, struct stat* info, fuse_file_info* /*file*/) {
  std::memset(info, 0, sizeof *info);
  if (std::strcmp(path, "/") == 0) {
    info->st_mode = S_IFDIR | 0755;
    info->st_nlink = 2;
  } else if (std::strcmp(path, "/disc") == 0 || std::strcmp(path, "/counts") == 0) {
    info->st_mode = S_IFREG | 0444;
    info->st_nlink = 1;
    info->st_size = path[1] == 'd' ? static_cast<off_t>(Disc().size) : kCountsRoom;
  } else {
    return -ENOENT;
  }
  return 0;
}

int ReadFolder(const char* path, void* into, fuse_fill_dir_t fill, off_t /*offset*/,
               fuse_file_info* /*file*/, fuse_readdir_flags /*flags*/) {
  if (std::strcmp(path, "/") != 0) return -ENOENT;
  for (const char* name : {".", "..", "disc", "counts"}) fill(into, name, nullptr, 0, {});
  return 0;
}

int Open(const char* path, fuse_file_info* file) {
  if (std::strcmp(path, "/disc") != 0 && std::strcmp(path, "/counts") != 0) return -ENOENT;
  if ((file->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
  file->direct_io = 1;  // no page cache: each read a reader makes comes here
  return 0;
}

std::string CountsText(FailingDisc& disc) {
  const std::lock_guard hold(disc.mutex);
  std::string text;
  for (const auto& [sector, reads] : disc.readsOf) {
    text += std::to_string(sector) + " " + std::to_string(reads.all) + " " +
            std::to_string(reads.alone) + " " + std::to_string(reads.failed) + "\n";
  }
  return text + "reads " + std::to_string(disc.reads) + "\n";
}

int Read(const char* path, char* into, size_t length, off_t offset, fuse_file_info* /*file*/) {
  FailingDisc& disc = Disc();
  if (std::strcmp(path, "/counts") == 0) {
    const std::string text = CountsText(disc);
    if (static_cast<uint64_t>(offset) >= text.size()) return 0;
    const size_t part = std::min(length, text.size() - static_cast<size_t>(offset));
    std::memcpy(into, text.data() + offset, part);
    return static_cast<int>(part);
  }
  const uint64_t start = static_cast<uint64_t>(offset);
  const uint64_t end = std::min<uint64_t>(start + length, disc.size);
  if (start >= end) return 0;
  bool fails = false;
  {
    const std::lock_guard hold(disc.mutex);
    ++disc.reads;
    const bool alone = start % kSector == 0 && end - start == kSector;
    for (uint64_t sector = start / kSector; sector * kSector < end; ++sector) {
      fails = fails || (sector >= disc.failFirst && sector <= disc.failLast);
    }
    for (uint64_t sector = start / kSector; sector * kSector < end; ++sector) {
      FailingDisc::Reads& reads = disc.readsOf[sector];
      ++reads.all;
      reads.alone += alone ? 1 : 0;
      reads.failed += fails ? 1 : 0;
    }
  }
  if (fails) {
    const timespec delay{disc.failMs / 1000, disc.failMs % 1000 * 1000000};
    ::nanosleep(&delay, nullptr);
    return -EIO;
  }
  const ssize_t got = ::pread(disc.image, into, end - start, offset);
  return got < 0 ? -errno : static_cast<int>(got);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s IMAGE FIRST-LAST MS MOUNTPOINT [FUSE options]\n", argv[0]);
    return 2;
  }
  static FailingDisc disc;
  disc.image = ::open(argv[1], O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (disc.image < 0 || ::fstat(disc.image, &info) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  disc.size = static_cast<uint64_t>(info.st_size);
  if (std::sscanf(argv[2], "%" SCNu64 "-%" SCNu64, &disc.failFirst, &disc.failLast) != 2) {
    return 2;
  }
  disc.failMs = std::atol(argv[3]);
  fuse_operations operations{};
  operations.getattr = GetAttributes;
  operations.readdir = ReadFolder;
  operations.open = Open;
  operations.read = Read;
  std::vector<char*> fuseArgs{argv[0]};
  for (int i = 4; i < argc; ++i) fuseArgs.push_back(argv[i]);
  return fuse_main(static_cast<int>(fuseArgs.size()), fuseArgs.data(), &operations, &disc);
}
