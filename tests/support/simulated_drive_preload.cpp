// SPDX-License-Identifier: GPL-3.0-or-later
// A CD drive for machines without one: loaded with LD_PRELOAD, it makes one file (the
// drive) look like an optical drive's block device holding the disc its text describes,
// and answers the kernel's CD-ROM calls the program makes of it: capacity, table of
// contents, last session, drive status, raw and audio reads, speed, and the packet commands
// sent through CDROM_SEND_PACKET (INQUIRY and READ CD; any other is refused with ILLEGAL
// REQUEST sense). Like the kernel's own driver, a 2,048-byte read gives only Mode 1 and
// Mode 2 Form 1 sectors: an audio sector, a Form 2 sector, a sector between sessions or a
// failing sector fails with EIO; a READ CD that meets a failing sector fails with EIO and
// MEDIUM ERROR sense (unrecovered read error). The drive shows as a SCSI CD-ROM device
// (major 11) unless told otherwise.
//
//   ORLENTA_SIMULATED_DRIVE  the drive file, whose lines say:
//     image PATH               2,352-byte raw sectors of the whole disc, sector N at N × 2,352
//     track N SESSION audio|data FIRST COUNT
//     fail FIRST-LAST          sectors every read of which fails
//     fail_ms MS               how long a failing read takes (default 20)
//     toc unreadable           the table of contents cannot be read (a scratched lead-in)
//     major N                  the device's major number (default 11); libcdio opens only
//                              those of CD-ROM drives
//     stats PATH               gets counts of what was asked when the program ends, and
//                              after each speed asked (for a test in the same process)
//
// The counts: "block_reads", "raw_reads", "audio_reads", "packet_reads" (READ CD commands),
// "failed_reads", "gap_reads" (reads of sectors no track holds), "speed" (the last speed asked
// for, 0 when none), "speeds" (how many times).
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint64_t kRaw = 2352;
constexpr uint64_t kData = 2048;

struct Track {
  int number = 0;
  int session = 1;
  bool audio = false;
  uint64_t first = 0;
  uint64_t count = 0;
};

struct Disc {
  bool active = false;
  dev_t device = 0;
  ino_t inode = 0;
  std::string image;
  std::vector<Track> tracks;
  std::vector<std::pair<uint64_t, uint64_t>> failing;
  double failSeconds = 0.02;
  bool tocUnreadable = false;
  unsigned major = 11;  // a SCSI CD-ROM's
  std::string stats;

  uint64_t End() const {
    uint64_t end = 0;
    for (const Track& track : tracks) end = std::max(end, track.first + track.count);
    return end;
  }
  const Track* TrackAt(uint64_t sector) const {
    for (const Track& track : tracks) {
      if (sector >= track.first && sector < track.first + track.count) return &track;
    }
    return nullptr;
  }
  bool Fails(uint64_t sector) const {
    for (const auto& [first, last] : failing) {
      if (sector >= first && sector <= last) return true;
    }
    return false;
  }
};

using StatFunction = int (*)(const char*, struct stat*);
using FstatFunction = int (*)(int, struct stat*);
using PreadFunction = ssize_t (*)(int, void*, size_t, off_t);
using IoctlFunction = int (*)(int, unsigned long, void*);

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

// Never destroyed: the counts are written out after the program's own statics are gone.
const Disc& TheDisc() {
  static const Disc& disc = *new Disc([] {
    Disc made;
    const char* path = std::getenv("ORLENTA_SIMULATED_DRIVE");
    struct stat info {};
    static const auto realStat = Next<StatFunction>("stat");
    if (!path || realStat(path, &info) != 0) return made;
    made.active = true;
    made.device = info.st_dev;
    made.inode = info.st_ino;
    std::ifstream text(path);
    for (std::string line; std::getline(text, line);) {
      std::istringstream words(line);
      std::string word;
      words >> word;
      if (word == "image") {
        words >> made.image;
      } else if (word == "track") {
        Track track;
        std::string kind;
        words >> track.number >> track.session >> kind >> track.first >> track.count;
        track.audio = kind == "audio";
        made.tracks.push_back(track);
      } else if (word == "fail") {
        uint64_t first = 0, last = 0;
        char dash = 0;
        words >> first >> dash >> last;
        made.failing.emplace_back(first, last);
      } else if (word == "fail_ms") {
        double ms = 0;
        words >> ms;
        made.failSeconds = ms / 1000;
      } else if (word == "toc") {
        words >> word;
        made.tocUnreadable = word == "unreadable";
      } else if (word == "stats") {
        words >> made.stats;
      } else if (word == "major") {
        words >> made.major;
      }
    }
    return made;
  }());
  return disc;
}

struct Counts {
  uint64_t blockReads = 0, rawReads = 0, audioReads = 0, packetReads = 0, failedReads = 0,
           gapReads = 0, speeds = 0;
  int speed = 0;
  ~Counts() { Write(); }
  void Write() const {
    const std::string& path = TheDisc().stats;
    if (path.empty()) return;
    if (std::FILE* file = std::fopen(path.c_str(), "w")) {
      std::fprintf(
          file,
          "block_reads %llu\nraw_reads %llu\naudio_reads %llu\npacket_reads %llu\n"
          "failed_reads %llu\ngap_reads %llu\nspeed %d\nspeeds %llu\n",
          static_cast<unsigned long long>(blockReads), static_cast<unsigned long long>(rawReads),
          static_cast<unsigned long long>(audioReads), static_cast<unsigned long long>(packetReads),
          static_cast<unsigned long long>(failedReads), static_cast<unsigned long long>(gapReads),
          speed, static_cast<unsigned long long>(speeds));
      std::fclose(file);
    }
  }
};
Counts counts;

bool IsTheDrive(const struct stat& info) {
  const Disc& disc = TheDisc();
  return disc.active && info.st_dev == disc.device && info.st_ino == disc.inode;
}

bool IsTheDriveFd(int fd) {
  static const auto realFstat = Next<FstatFunction>("fstat");
  struct stat info {};
  return TheDisc().active && realFstat(fd, &info) == 0 && IsTheDrive(info);
}

// The drive file shows as a SCSI CD-ROM's block device.
void AsBlockDevice(struct stat* info) {
  info->st_mode = (info->st_mode & ~S_IFMT) | S_IFBLK;
  info->st_size = 0;
  info->st_rdev = makedev(TheDisc().major, 0);
}

void SleepThrough(double seconds) {
  timespec left{static_cast<time_t>(seconds),
                static_cast<long>((seconds - static_cast<time_t>(seconds)) * 1e9)};
  while (seconds > 0 && ::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

// Sector `sector` of the disc as read raw; false (after the failing delay) when it cannot be.
bool RawSector(uint64_t sector, uint8_t* into) {
  const Disc& disc = TheDisc();
  if (!disc.TrackAt(sector)) ++counts.gapReads;
  if (!disc.TrackAt(sector) || disc.Fails(sector)) {
    ++counts.failedReads;
    SleepThrough(disc.failSeconds);
    return false;
  }
  static const auto realPread = Next<PreadFunction>("pread");
  static const int fd = ::open(disc.image.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const ssize_t got = realPread(fd, into, kRaw, static_cast<off_t>(sector * kRaw));
  if (got != static_cast<ssize_t>(kRaw)) std::memset(into, 0, kRaw);
  return true;
}

// The 2,048 data bytes of `sector`, as the block device gives them; false when the kernel
// would fail the read.
bool DataSector(uint64_t sector, uint8_t* into) {
  uint8_t raw[kRaw];
  const Track* track = TheDisc().TrackAt(sector);
  if (!RawSector(sector, raw)) return false;
  if (track->audio) return false;
  if (raw[15] == 1) {
    std::memcpy(into, raw + 16, kData);
    return true;
  }
  if (raw[15] == 2 && (raw[18] & 0x20) == 0) {
    std::memcpy(into, raw + 24, kData);
    return true;
  }
  ++counts.failedReads;
  return false;
}

ssize_t DriveRead(void* into, size_t length, off_t offset) {
  ++counts.blockReads;
  const auto start = static_cast<uint64_t>(offset);
  const uint64_t end = std::min<uint64_t>(start + length, TheDisc().End() * kData);
  if (start >= end) return 0;
  uint8_t sector[kData];
  size_t done = 0;
  for (uint64_t at = start; at < end;) {
    const uint64_t number = at / kData;
    if (!DataSector(number, sector)) {
      if (done > 0) return static_cast<ssize_t>(done);
      errno = EIO;
      return -1;
    }
    const uint64_t within = at % kData;
    const uint64_t part = std::min(kData - within, end - at);
    std::memcpy(static_cast<uint8_t*>(into) + done, sector + within, part);
    done += part;
    at += part;
  }
  return static_cast<ssize_t>(done);
}

uint64_t FromMsf(const cdrom_msf& msf) {
  return (uint64_t{msf.cdmsf_min0} * CD_SECS + msf.cdmsf_sec0) * CD_FRAMES + msf.cdmsf_frame0 -
         CD_MSF_OFFSET;
}

int Fail(int errnum) {
  errno = errnum;
  return -1;
}

int TocEntry(cdrom_tocentry* entry) {
  const Disc& disc = TheDisc();
  uint64_t start = disc.End();
  bool data = true;
  if (entry->cdte_track != CDROM_LEADOUT) {
    const Track* found = nullptr;
    for (const Track& track : disc.tracks) {
      if (track.number == entry->cdte_track) found = &track;
    }
    if (!found) return Fail(EINVAL);
    start = found->first;
    data = !found->audio;
  }
  entry->cdte_adr = 1;
  entry->cdte_ctrl = data ? CDROM_DATA_TRACK : 0;
  if (entry->cdte_format == CDROM_LBA) {
    entry->cdte_addr.lba = static_cast<int>(start);
  } else {
    const uint64_t frames = start + CD_MSF_OFFSET;
    entry->cdte_addr.msf.minute = static_cast<__u8>(frames / (CD_SECS * CD_FRAMES));
    entry->cdte_addr.msf.second = static_cast<__u8>(frames / CD_FRAMES % CD_SECS);
    entry->cdte_addr.msf.frame = static_cast<__u8>(frames % CD_FRAMES);
  }
  return 0;
}

int LastSession(cdrom_multisession* session) {
  const Disc& disc = TheDisc();
  int last = 1;
  uint64_t start = 0;
  for (const Track& track : disc.tracks) {
    if (track.session > last) last = track.session, start = track.first;
  }
  session->xa_flag = last > 1;
  session->addr_format = CDROM_LBA;
  session->addr.lba = static_cast<int>(start);
  return 0;
}

// Fails a packet command with `key`/`asc` as its sense data.
int PacketFails(cdrom_generic_command* command, uint8_t key, uint8_t asc) {
  if (command->sense) {
    auto* sense = reinterpret_cast<uint8_t*>(command->sense);
    std::memset(sense, 0, sizeof(request_sense));
    sense[0] = 0x70;
    sense[2] = key;
    sense[7] = 10;
    sense[12] = asc;
  }
  command->stat = 2;  // CHECK CONDITION
  return Fail(EIO);
}

// READ CD: `count` sectors from `first`, the whole 2,352 bytes of each (how audio is read).
int ReadCd(cdrom_generic_command* command) {
  const uint8_t* cdb = command->cmd;
  const uint64_t first = uint64_t{cdb[2]} << 24 | uint64_t{cdb[3]} << 16 | cdb[4] << 8 | cdb[5];
  const uint32_t count = uint32_t{cdb[6]} << 16 | cdb[7] << 8 | cdb[8];
  ++counts.packetReads;
  if (uint64_t{count} * kRaw > command->buflen) return PacketFails(command, 5, 0x24);
  for (uint32_t i = 0; i < count; ++i) {
    if (!RawSector(first + i, command->buffer + i * kRaw)) return PacketFails(command, 3, 0x11);
  }
  return 0;
}

int SendPacket(cdrom_generic_command* command) {
  switch (command->cmd[0]) {
    case 0x12: {  // INQUIRY
      static const char kInquiry[] = "\x05\x80\x05\x32\x1f\0\0\0ORLENTA SIMULATEDDRIVE  1.0 ";
      std::memset(command->buffer, 0, command->buflen);
      std::memcpy(command->buffer, kInquiry, std::min<std::size_t>(36, command->buflen));
      return 0;
    }
    case 0xBE:
      return ReadCd(command);
    default:
      return PacketFails(command, 5, 0x20);  // ILLEGAL REQUEST: invalid command
  }
}

int DriveIoctl(unsigned long request, void* argument) {
  const Disc& disc = TheDisc();
  switch (request) {
    case BLKSSZGET:
      *static_cast<int*>(argument) = static_cast<int>(kData);
      return 0;
    case BLKGETSIZE64:
      *static_cast<uint64_t*>(argument) = disc.End() * kData;
      return 0;
    case CDROM_GET_CAPABILITY:
      return CDC_CD_R | CDC_SELECT_SPEED | CDC_MULTI_SESSION | CDC_PLAY_AUDIO;
    case CDROM_DRIVE_STATUS:
      return CDS_DISC_OK;
    case CDROM_SELECT_SPEED:
      counts.speed = static_cast<int>(reinterpret_cast<intptr_t>(argument));
      ++counts.speeds;
      counts.Write();
      return 0;
    case CDROMREADTOCHDR: {
      if (disc.tocUnreadable || disc.tracks.empty()) return Fail(EIO);
      auto* header = static_cast<cdrom_tochdr*>(argument);
      header->cdth_trk0 = static_cast<__u8>(disc.tracks.front().number);
      header->cdth_trk1 = static_cast<__u8>(disc.tracks.back().number);
      return 0;
    }
    case CDROMREADTOCENTRY:
      if (disc.tocUnreadable) return Fail(EIO);
      return TocEntry(static_cast<cdrom_tocentry*>(argument));
    case CDROMMULTISESSION:
      if (disc.tocUnreadable) return Fail(EIO);
      return LastSession(static_cast<cdrom_multisession*>(argument));
    case CDROMREADRAW: {
      ++counts.rawReads;
      const uint64_t sector = FromMsf(*static_cast<cdrom_msf*>(argument));
      return RawSector(sector, static_cast<uint8_t*>(argument)) ? 0 : Fail(EIO);
    }
    case CDROMREADAUDIO: {
      auto* read = static_cast<cdrom_read_audio*>(argument);
      if (read->addr_format != CDROM_LBA || read->nframes <= 0) return Fail(EINVAL);
      ++counts.audioReads;
      for (int i = 0; i < read->nframes; ++i) {
        const auto sector = static_cast<uint64_t>(read->addr.lba + i);
        const Track* track = disc.TrackAt(sector);
        if (!track || !track->audio || !RawSector(sector, read->buf + i * kRaw)) return Fail(EIO);
      }
      return 0;
    }
    case CDROM_SEND_PACKET:
      return SendPacket(static_cast<cdrom_generic_command*>(argument));
    default:
      return Fail(ENOTTY);
  }
}

}  // namespace

extern "C" {

int stat(const char* path, struct stat* info) {
  static const auto next = Next<StatFunction>("stat");
  const int result = next(path, info);
  if (result == 0 && IsTheDrive(*info)) AsBlockDevice(info);
  return result;
}

int stat64(const char* path, struct stat64* info) {
  return stat(path, reinterpret_cast<struct stat*>(info));
}

int fstat(int fd, struct stat* info) {
  static const auto next = Next<FstatFunction>("fstat");
  const int result = next(fd, info);
  if (result == 0 && IsTheDrive(*info)) AsBlockDevice(info);
  return result;
}

int fstat64(int fd, struct stat64* info) {
  return fstat(fd, reinterpret_cast<struct stat*>(info));
}

ssize_t pread(int fd, void* into, size_t length, off_t offset) {
  static const auto next = Next<PreadFunction>("pread");
  if (IsTheDriveFd(fd)) return DriveRead(into, length, offset);
  return next(fd, into, length, offset);
}

ssize_t pread64(int fd, void* into, size_t length, off_t offset) {
  return pread(fd, into, length, offset);
}

int ioctl(int fd, unsigned long request, ...) {
  va_list arguments;
  va_start(arguments, request);
  void* argument = va_arg(arguments, void*);
  va_end(arguments);
  static const auto next = Next<IoctlFunction>("ioctl");
  if (IsTheDriveFd(fd)) return DriveIoctl(request, argument);
  return next(fd, request, argument);
}

}  // extern "C"
