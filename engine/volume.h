// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>

namespace orlenta {

// A track of the medium, as its table of contents or cue sheet gives it.
struct MediumTrack {
  int number = 0;
  bool audio = false;  // music, not sectors to carve
  uint64_t firstSector = 0;
  uint64_t sectorCount = 0;
};

// One open volume: a disc image, a block device, or a test double. Every byte the engine
// takes from a medium comes through ReadAt.
class Volume {
 public:
  virtual ~Volume() = default;

  // The size of one sector in bytes (2,048 for an image file, the kernel's logical sector
  // size for a block device).
  virtual uint32_t SectorSize() const = 0;

  // The number of whole sectors the volume holds.
  virtual uint64_t SectorCount() const = 0;

  // How many bytes at the start of `sector` are its data: all SectorSize() of them, except
  // on a volume whose sectors differ in size (a raw image mixing Mode 2 Form 1 and Form 2
  // sectors). SectorSize() is then the largest, and the rest of a shorter sector is zeros
  // that belong to no file.
  virtual uint32_t SectorDataBytes(uint64_t sector) {
    (void)sector;
    return SectorSize();
  }

  // Reads into.size() bytes from byte `offset`. Return values: the number of bytes read
  // (fewer than asked at the end of the volume or after an I/O error part-way), -1 when
  // nothing could be read, kMediumGone when nothing could be read because the medium is no
  // longer what was opened: shorter than it was (an image cut short), or gone (a disc
  // taken out).
  virtual int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) = 0;

  // Copies `length` bytes from byte `offset` into `file` at its byte `fileOffset`, without
  // bringing them into the program's memory, where the volume can: an image file read as it
  // stands, into a file of the same system. Returns how many bytes, from the first, were
  // copied: 0 where the volume cannot copy, fewer than asked where the copy stopped part-way
  // (a bad sector, the image cut short); the rest is then read as any other sector.
  // Where the stream stands afterwards is not told: it is to be placed before it is written.
  virtual uint64_t CopyToFile(uint64_t offset, uint64_t length, std::FILE* file,
                              uint64_t fileOffset) {
    (void)offset, (void)length, (void)file, (void)fileOffset;
    return 0;
  }

  // True when CopyToFile can be tried at all.
  virtual bool CopiesToFiles() const { return false; }

  // The tracks of the medium, in order, audio tracks too; empty for a volume that is one
  // stretch of sectors (an image, a hard disk).
  virtual std::vector<MediumTrack> Tracks() const { return {}; }

  static constexpr int64_t kMediumGone = -2;
};

// What stands behind a drive letter.
class VolumeSource {
 public:
  virtual ~VolumeSource() = default;

  // The volume of `driveLetter` opened for reading, or nullptr when there is none or it
  // cannot be opened.
  virtual std::unique_ptr<Volume> Open(char driveLetter) = 0;
};

}  // namespace orlenta
