// SPDX-License-Identifier: GPL-3.0-or-later
// Makes one image file behave like a disc in a worn drive, for the programs as users run
// them: loaded with LD_PRELOAD, it slows every read of that file down to a drive's rate and
// makes reads that touch chosen sectors fail with EIO after a delay, as a scratched disc
// does. Copies out of the file inside the kernel (copy_file_range, sendfile) are reads of
// it too. Nothing else the program reads is touched.
//
//   ORLENTA_DAMAGED_IMAGE  the image file (required)
//   ORLENTA_DAMAGED_RATE   bytes per second of a good read (default: no limit)
//   ORLENTA_DAMAGED_BAD    failing sectors of 2,048 bytes: "FIRST-LAST[,FIRST-LAST...]"
//   ORLENTA_DAMAGED_FAIL_MS  how long a failing read takes (default 50)
//   ORLENTA_DAMAGED_TRIES  a bad sector reads after failing this many times in one program
//                          (default: it never reads)
//   ORLENTA_DAMAGED_STATS  a file that gets "reads N\nfailed N\nsector_reads N\n" when the
//                          program ends (sector_reads: sectors asked for, one per read touching
//                          each)
//   ORLENTA_DAMAGED_COUNTS a file of one 32-bit count per sector: how often each sector was
//                          asked for, added to what the file held, when the program ends
//
// Like a drive in the middle of a read, the delays are not cut short by signals: the read
// ends when it would have ended, and the program hears of the signal afterwards.
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint64_t kSectorBytes = 2048;

struct Damage {
  bool active = false;
  dev_t device = 0;
  ino_t inode = 0;
  double bytesPerSecond = 0;
  double failSeconds = 0.05;
  uint64_t tries = UINT64_MAX;                     // failures before a bad sector reads
  std::vector<std::pair<uint64_t, uint64_t>> bad;  // first and last sector, inclusive
};

std::vector<std::pair<uint64_t, uint64_t>> ParseRanges(const char* text) {
  std::vector<std::pair<uint64_t, uint64_t>> ranges;
  while (text && *text) {
    char* end = nullptr;
    const uint64_t first = std::strtoull(text, &end, 10);
    uint64_t last = first;
    if (*end == '-') last = std::strtoull(end + 1, &end, 10);
    ranges.emplace_back(first, last);
    text = *end == ',' ? end + 1 : end;
    if (*end != ',') break;
  }
  return ranges;
}

const Damage& TheDamage() {
  static const Damage damage = [] {
    Damage made;
    const char* image = std::getenv("ORLENTA_DAMAGED_IMAGE");
    struct stat info {};
    if (!image || ::stat(image, &info) != 0) return made;
    made.active = true;
    made.device = info.st_dev;
    made.inode = info.st_ino;
    if (const char* rate = std::getenv("ORLENTA_DAMAGED_RATE"))
      made.bytesPerSecond = std::atof(rate);
    if (const char* ms = std::getenv("ORLENTA_DAMAGED_FAIL_MS"))
      made.failSeconds = std::atof(ms) / 1000;
    made.bad = ParseRanges(std::getenv("ORLENTA_DAMAGED_BAD"));
    if (const char* tries = std::getenv("ORLENTA_DAMAGED_TRIES"))
      made.tries = std::strtoull(tries, nullptr, 10);
    return made;
  }();
  return damage;
}

// Counts of the reads of the image, written out when the program ends.
struct Counts {
  uint64_t reads = 0;
  uint64_t failed = 0;
  uint64_t sectorReads = 0;
  std::vector<uint32_t> perSector;           // how often each sector was asked for
  std::map<uint64_t, uint64_t> badFailures;  // failures so far of each bad sector tried

  void Asked(uint64_t first, uint64_t last) {
    sectorReads += last - first + 1;
    if (perSector.size() <= last) perSector.resize(last + 1);
    for (uint64_t s = first; s <= last; ++s) ++perSector[s];
  }
  ~Counts() {
    if (const char* path = std::getenv("ORLENTA_DAMAGED_STATS")) {
      if (std::FILE* file = std::fopen(path, "w")) {
        std::fprintf(file, "reads %llu\nfailed %llu\nsector_reads %llu\n",
                     static_cast<unsigned long long>(reads),
                     static_cast<unsigned long long>(failed),
                     static_cast<unsigned long long>(sectorReads));
        std::fclose(file);
      }
    }
    if (const char* path = std::getenv("ORLENTA_DAMAGED_COUNTS")) AddCountsTo(path);
  }
  void AddCountsTo(const char* path) {
    std::vector<uint32_t> total;
    if (std::FILE* file = std::fopen(path, "rb")) {
      uint32_t count = 0;
      while (std::fread(&count, sizeof count, 1, file) == 1) total.push_back(count);
      std::fclose(file);
    }
    if (total.size() < perSector.size()) total.resize(perSector.size());
    for (std::size_t i = 0; i < perSector.size(); ++i) total[i] += perSector[i];
    if (std::FILE* file = std::fopen(path, "wb")) {
      std::fwrite(total.data(), sizeof(uint32_t), total.size(), file);
      std::fclose(file);
    }
  }
};
Counts counts;

bool IsTheImage(int fd) {
  const Damage& damage = TheDamage();
  struct stat info {};
  return damage.active && ::fstat(fd, &info) == 0 && info.st_dev == damage.device &&
         info.st_ino == damage.inode;
}

void SleepThrough(double seconds) {
  if (seconds <= 0) return;
  timespec left{static_cast<time_t>(seconds),
                static_cast<long>((seconds - static_cast<time_t>(seconds)) * 1e9)};
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

// True when a read of these bytes fails: it touches a bad sector that has not yet failed
// as often as it must before it reads. Each bad sector touched counts one more failure.
bool ReadFails(uint64_t offset, std::size_t length) {
  if (length == 0) return false;
  const uint64_t first = offset / kSectorBytes;
  const uint64_t last = (offset + length - 1) / kSectorBytes;
  counts.Asked(first, last);
  bool fails = false;
  for (const auto& [badFirst, badLast] : TheDamage().bad) {
    for (uint64_t s = std::max(first, badFirst); s <= std::min(last, badLast); ++s) {
      uint64_t& failures = counts.badFailures[s];
      if (failures < TheDamage().tries) {
        ++failures;
        fails = true;
      }
    }
  }
  return fails;
}

using PreadFunction = ssize_t (*)(int, void*, size_t, off_t);

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// A read of `length` bytes from byte `offset` of `fd`, made by `read` when the damage lets
// it: it fails whole when it touches a bad sector, and takes its time. A copy out of the
// file into another inside the kernel is such a read too.
template <typename Read>
ssize_t Damaged(int fd, off_t offset, size_t length, Read read) {
  if (!IsTheImage(fd)) return read();
  const Damage& damage = TheDamage();
  ++counts.reads;
  if (ReadFails(static_cast<uint64_t>(offset), length)) {
    ++counts.failed;
    SleepThrough(damage.failSeconds);
    errno = EIO;
    return -1;
  }
  const ssize_t got = read();
  if (got > 0 && damage.bytesPerSecond > 0) {
    SleepThrough(static_cast<double>(got) / damage.bytesPerSecond);
  }
  return got;
}

ssize_t DamagedRead(PreadFunction next, int fd, void* into, size_t length, off_t offset) {
  return Damaged(fd, offset, length, [&] { return next(fd, into, length, offset); });
}

off_t OffsetOf(int fd, const off_t* given) {
  return given ? *given : ::lseek(fd, 0, SEEK_CUR);
}

}  // namespace

extern "C" ssize_t pread(int fd, void* into, size_t length, off_t offset) {
  static const auto next = Next<PreadFunction>("pread");
  return DamagedRead(next, fd, into, length, offset);
}

extern "C" ssize_t pread64(int fd, void* into, size_t length, off_t offset) {
  static const auto next = Next<PreadFunction>("pread64");
  return DamagedRead(next, fd, into, length, offset);
}

extern "C" ssize_t copy_file_range(int in, off_t* inOffset, int out, off_t* outOffset,
                                   size_t length, unsigned int flags) {
  using Function = ssize_t (*)(int, off_t*, int, off_t*, size_t, unsigned int);
  static const auto next = Next<Function>("copy_file_range");
  return Damaged(in, OffsetOf(in, inOffset), length,
                 [&] { return next(in, inOffset, out, outOffset, length, flags); });
}

extern "C" ssize_t sendfile(int out, int in, off_t* offset, size_t length) {
  using Function = ssize_t (*)(int, int, off_t*, size_t);
  static const auto next = Next<Function>("sendfile");
  return Damaged(in, OffsetOf(in, offset), length, [&] { return next(out, in, offset, length); });
}

extern "C" ssize_t sendfile64(int out, int in, off_t* offset, size_t length) {
  using Function = ssize_t (*)(int, int, off_t*, size_t);
  static const auto next = Next<Function>("sendfile64");
  return Damaged(in, OffsetOf(in, offset), length, [&] { return next(out, in, offset, length); });
}
