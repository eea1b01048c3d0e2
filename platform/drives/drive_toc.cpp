// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_toc.h"

#include <linux/cdrom.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "drive_reads.h"
#include "platform/raw_sectors.h"

namespace orlenta {
namespace {

struct TocEntry {
  int number = 0;
  uint64_t start = 0;
  bool data = false;
};

std::optional<TocEntry> ReadEntry(int fd, int track) {
  cdrom_tocentry entry{};
  entry.cdte_track = static_cast<__u8>(track);
  entry.cdte_format = CDROM_LBA;
  if (::ioctl(fd, CDROMREADTOCENTRY, &entry) != 0 || entry.cdte_addr.lba < 0) return std::nullopt;
  return TocEntry{track, static_cast<uint64_t>(entry.cdte_addr.lba),
                  (entry.cdte_ctrl & CDROM_DATA_TRACK) != 0};
}

// The first sector of the last session, when the disc has more than one.
std::optional<uint64_t> LastSessionStart(int fd) {
  cdrom_multisession session{};
  session.addr_format = CDROM_LBA;
  if (::ioctl(fd, CDROMMULTISESSION, &session) != 0 || !session.xa_flag) return std::nullopt;
  if (session.addr.lba <= 0) return std::nullopt;
  return static_cast<uint64_t>(session.addr.lba);
}

// The layout of a data track of the drive at `path` starting at `start`: Mode 2 sectors
// (as its first sector says) read raw, every other track as the drive's 2,048-byte sectors.
SectorLayout DataTrackLayout(int fd, const std::string& path, uint64_t start, uint64_t count) {
  SectorLayout layout;
  layout.dataPath = path;
  layout.sectorCount = count;
  std::array<uint8_t, kRawSectorBytes> first{};
  if (ReadRawSector(fd, start, first) && first[15] == 2) {
    // Read as a raw image of the whole disc would be: each sector's form from its subheader.
    layout.firstByte = start * kRawSectorBytes;
    const ImageReader read = [fd](uint64_t offset, std::span<uint8_t> into) {
      std::array<uint8_t, kRawSectorBytes> sector{};
      const uint64_t lba = offset / kRawSectorBytes;
      const std::size_t within = offset % kRawSectorBytes;
      if (within + into.size() > kRawSectorBytes || !ReadRawSector(fd, lba, sector)) return false;
      std::memcpy(into.data(), sector.data() + within, into.size());
      return true;
    };
    SetMode2Framing(layout, read, kRawSectorBytes, kHeaderBytes);
  } else {
    layout.firstByte = start * kForm1Bytes;
  }
  return layout;
}

}  // namespace

uint64_t SectorsBetweenSessions(int endingSession) {
  return endingSession == 1 ? 11400 : 6900;
}

DriveDisc ReadDriveDisc(int fd, const std::string& path) {
  DriveDisc result;
  cdrom_tochdr header{};
  if (::ioctl(fd, CDROMREADTOCHDR, &header) != 0) {
    const bool optical = ::ioctl(fd, CDROM_GET_CAPABILITY, 0) >= 0;
    result.status = optical ? TocStatus::kUnreadable : TocStatus::kNotOptical;
    return result;
  }
  std::vector<TocEntry> entries;
  for (int track = header.cdth_trk0; track <= header.cdth_trk1; ++track) {
    const auto entry = ReadEntry(fd, track);
    if (!entry) return {TocStatus::kUnreadable, {}};
    entries.push_back(*entry);
  }
  const auto leadOut = ReadEntry(fd, CDROM_LEADOUT);
  if (entries.empty() || !leadOut) return {TocStatus::kUnreadable, {}};
  const std::optional<uint64_t> lastSession = LastSessionStart(fd);
  SectorLayout& disc = result.disc;
  disc.dataPath = path;
  disc.inDrive = true;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TocEntry& entry = entries[i];
    DiscTrack track;
    track.number = entry.number;
    track.session = lastSession && entry.start >= *lastSession ? 2 : 1;
    track.kind = entry.data ? TrackKind::kData : TrackKind::kAudio;
    track.firstSector = entry.start;
    uint64_t end = i + 1 < entries.size() ? entries[i + 1].start : leadOut->start;
    const bool nextSession = i + 1 < entries.size() && lastSession && entry.start < *lastSession &&
                             entries[i + 1].start >= *lastSession;
    if (nextSession) end -= std::min(end, SectorsBetweenSessions(track.session));
    track.sectorCount = end > entry.start ? end - entry.start : 0;
    if (entry.data) {
      track.layout = DataTrackLayout(fd, path, entry.start, track.sectorCount);
    } else {
      track.layout.dataPath = path;
      track.layout.firstByte = entry.start * kRawSectorBytes;
      track.layout.stride = track.layout.sectorSize = kRawSectorBytes;
      track.layout.sectorCount = track.sectorCount;
    }
    disc.sectorSize = std::max(
        disc.sectorSize, track.kind == TrackKind::kData ? track.layout.sectorSize : kForm1Bytes);
    disc.sectorCount = std::max(disc.sectorCount, track.EndSector());
    disc.tracks.push_back(std::move(track));
  }
  disc.stride = disc.sectorSize;
  result.status = TocStatus::kRead;
  return result;
}

}  // namespace orlenta
