// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "host.h"
#include "sector_buffer.h"
#include "volume.h"

namespace orlenta {

// Fills DriveGeometry for `driveLetter` from its volume: one sector per cluster, no free
// clusters, the sector count as total clusters. Returns false, leaving DriveGeometry as it
// was, when the volume cannot be opened or holds no usable sector size.
bool QueryDriveGeometry(VolumeSource& volumes, char driveLetter);

// Reads sectors of a drive's volume into SectorBuffer. The volume stays open from the first
// read of a run to Close(), and is read ahead in large blocks; what lands in SectorBuffer is
// still exactly the requested sectors, one at a time.
class SectorReader {
 public:
  SectorReader(VolumeSource& volumes, MessageSink& messages, EventPump& pump);

  // Puts count × bytes-per-sector bytes from sector `firstSector` of `driveLetter`'s volume
  // at the start of SectorBuffer, then pumps one event. Bytes beyond stay untouched; so do
  // sectors past the end of the volume. A sector that cannot be read is filled with zeros
  // and counted. When the volume cannot be opened the user is told once ("Error initiating
  // reading") and StopFlag is set, so the run ends as aborted. Returns 1.
  int ReadSectors(char driveLetter, uint32_t firstSector, int32_t count);

  // Starts the counts of a new run afresh.
  void BeginRun();

  // Ends the run's use of the volume and drops the read-ahead; the next read reopens.
  // The counts stay for the run's summary.
  void Close();

  // Sectors of this run that could not be read (each counted once).
  uint64_t UnreadableSectors() const { return unreadable_; }

  // The highest sector number read so far in this run, plus one.
  uint64_t SectorsReached() const { return reached_; }

  // How many bytes of the sector that the last ReadSectors put at the start of SectorBuffer
  // are its data (see Volume::SectorDataBytes): what a file takes of that sector.
  uint32_t SectorDataBytes() const { return dataBytes_; }

  // Sector reads of this run, re-reads included: the work done so far.
  uint64_t SectorsRead() const { return read_; }

  static constexpr std::size_t kReadAheadBytes = std::size_t{1} << 20;

 private:
  bool EnsureOpen(char driveLetter);
  void CopySector(uint64_t sector, uint8_t* into, uint32_t bytesPerSector);
  void LoadBlock(uint64_t firstSector, uint32_t bytesPerSector);
  void RereadSectorBySector(uint32_t bytesPerSector);

  VolumeSource& volumes_;
  MessageSink& messages_;
  EventPump& pump_;

  std::unique_ptr<Volume> volume_;
  uint64_t volumeBytes_ = 0;  // whole sectors only
  char openLetter_ = 0;
  bool openFailed_ = false;

  std::vector<uint8_t> block_;
  uint64_t blockFirst_ = 0;
  uint64_t blockSectors_ = 0;
  uint32_t blockSectorSize_ = 0;
  std::vector<bool> blockBad_;            // which sectors of the block could not be read
  std::vector<uint32_t> blockDataBytes_;  // the data bytes of each sector of the block
  uint32_t dataBytes_ = 0;
  uint64_t unreadable_ = 0;
  uint64_t reached_ = 0;
  uint64_t read_ = 0;
};

}  // namespace orlenta
