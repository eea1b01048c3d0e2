// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "bad_zone_skipper.h"
#include "host.h"
#include "listed_files.h"
#include "sector_buffer.h"
#include "sector_map.h"
#include "volume.h"

namespace orlenta {

// Fills DriveGeometry for `driveLetter` from its volume: one sector per cluster, no free
// clusters, the sector count as total clusters. Returns false, leaving DriveGeometry as it
// was, when the volume cannot be opened or holds no usable sector size.
bool QueryDriveGeometry(VolumeSource& volumes, char driveLetter);

// Sees every byte a SectorReader takes from its volume, once and in order, as it is read:
// for a digest of the whole source without reading it twice.
class VolumeReadObserver {
 public:
  virtual ~VolumeReadObserver() = default;
  // `bytes` are the data of the volume from byte `offset` on, as the run got them: a sector
  // that could not be read is there as the zeros that stand for it.
  virtual void VolumeBytesRead(uint64_t offset, std::span<const uint8_t> bytes) {
    (void)offset, (void)bytes;
  }
  // The same reads told sector by sector, each with only its data bytes (see
  // Volume::SectorDataBytes): a Mode 2 Form 1 sector gives its 2,048, not the bytes of
  // error correction that follow them.
  virtual void SectorDataRead(uint64_t sector, std::span<const uint8_t> data) {
    (void)sector, (void)data;
  }
};

// Reads sectors of a drive's volume into SectorBuffer. The volume stays open from the first
// read of a run to Close(), and is read ahead in large blocks; what lands in SectorBuffer is
// still exactly the requested sectors, one at a time.
class SectorReader {
 public:
  SectorReader(VolumeSource& volumes, MessageSink& messages, EventPump& pump);

  // Puts count × bytes-per-sector bytes from sector `firstSector` of `driveLetter`'s volume
  // at the start of SectorBuffer, then pumps one event. Bytes beyond stay untouched; so do
  // sectors past the end of the volume. A sector that cannot be read is filled with zeros
  // and counted. When the volume turns out to have shrunk or gone away, the sectors it no
  // longer holds are left untouched too, and StopFlag is set (see MediumGone). When the volume
  // cannot be opened the user is told once ("Error initiating reading") and StopFlag is set, so the
  // run ends as aborted. Returns 1.
  int ReadSectors(char driveLetter, uint64_t firstSector, int32_t count);

  // The scan found at `sector` the header of a listed file that is written by name and not
  // carved (see ListedFiles::HidesHeader): lets that file take the sectors after it that it
  // alone holds straight from the volume, never read into memory, where the volume can copy
  // and no observer wants every byte. Returns how many sectors after `sector` it took; they
  // count as read, and the scan goes on after them. Stop is heard between large copies.
  uint64_t HandOverToListedFile(uint64_t sector);

  // Starts the counts of a new run afresh.
  void BeginRun();

  // With `on`, zones of bad sectors are jumped over (see BadZoneSkipper): what is jumped
  // over reads as zeros and counts as skipped, never as read or unreadable.
  void SkipBadZones(bool on) { skipper_.Enable(on); }

  // Ends the run's use of the volume and drops the read-ahead; the next read reopens.
  // The counts stay for the run's summary.
  void Close();

  // Sectors of this run that could not be read (each counted once).
  uint64_t UnreadableSectors() const { return unreadable_; }

  // Sectors of this run jumped over in bad zones, never tried (each counted once).
  uint64_t SkippedSectors() const { return skipped_; }

  // What became of each sector this run reached.
  const SectorMap& Map() const { return map_; }

  // The highest sector number read so far in this run, plus one.
  uint64_t SectorsReached() const { return reached_; }

  // How many bytes of the sector that the last ReadSectors put at the start of SectorBuffer
  // are its data (see Volume::SectorDataBytes): what a file takes of that sector.
  uint32_t SectorDataBytes() const { return dataBytes_; }

  // Sector reads of this run, re-reads included: the work done so far.
  uint64_t SectorsRead() const { return read_; }

  // Sector reads of this run that delivered the sector's bytes.
  uint64_t ReadableSectors() const { return readable_; }

  // True once the volume was found shorter than when it was opened, or gone (a disc taken
  // out, an image cut short): the run has then been stopped.
  bool MediumGone() const { return mediumGone_; }

  // True when a sector of the last ReadSectors could not be read, so that what it put in
  // SectorBuffer holds zeros in its place.
  bool LastReadUnreadable() const { return lastUnreadable_; }

  // Tells `observer` (none when nullptr) of every block read from now on; it must outlive
  // the reader or be replaced first.
  void SetReadObserver(VolumeReadObserver* observer) { readObserver_ = observer; }

  // Tells `listed` (none when nullptr) of every block read from now on, with the state of
  // each of its sectors; it must outlive the reader or be replaced first.
  void SetListedFiles(ListedFiles* listed) { listed_ = listed; }

  static constexpr std::size_t kReadAheadBytes = std::size_t{1} << 20;

  // The most a listed file takes in one copy between two looks at Stop.
  static constexpr std::size_t kHandOverBytes = std::size_t{8} << 20;

  // How long one read of the volume may take before the next one is made smaller: a stop
  // is heard between reads, so a slow drive reads a few sectors at a time, a fast one
  // whole read-ahead blocks.
  static constexpr std::chrono::milliseconds kReadStepTarget{50};

 private:
  bool EnsureOpen(char driveLetter);
  // True when listed files may take sectors straight from the open volume.
  bool HandsOver() const;
  // Counts `count` sectors from reached_ on as read, as CopySector counts what it reads.
  void CountTaken(uint64_t count);
  void CopySector(uint64_t sector, uint8_t* into, uint32_t bytesPerSector);
  void LoadBlock(uint64_t firstSector, uint32_t bytesPerSector);
  // Reads the block, in steps of several sectors where they read.
  void ReadBlockInSteps(uint32_t bytesPerSector);
  // Reads `count` sectors of the block from its sector `from` in one read. Returns how many
  // of them, from the first, came back whole: `count` when the read did not fail.
  uint64_t ReadStep(uint32_t bytesPerSector, uint64_t from, uint64_t count);
  void TellObserver(uint32_t bytesPerSector);
  // Reads the block's sectors `from` to `to` (not included) one by one; false when the
  // block ended early (stopped, the medium gone).
  bool ReadSectorBySector(uint32_t bytesPerSector, uint64_t from, uint64_t to);
  // Reads the block's sector `i` by itself: zeros for a bad sector, or one skipped in a bad
  // zone. False when the medium is gone at or inside it.
  bool ReadSectorAlone(uint32_t bytesPerSector, uint64_t i);
  // Lets the window breathe; on a stop, the block ends after its first `sectorsKept`
  // sectors and the return is false.
  bool Breathe(uint64_t sectorsKept);
  // Asks the volume how many bytes of each sector of the block are data.
  void NoteDataBytes(uint64_t firstSector, uint32_t bytesPerSector);
  void MediumWentAway(uint64_t sectorsKept);
  // True when the volume ends at byte `offset`, having shrunk since it was opened; reads
  // into the first byte of `scratch` to learn it.
  bool EndsAfter(uint64_t offset, std::span<uint8_t> scratch);

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
  uint32_t partialBytes_ = 0;  // the last sector of the block ends after this many bytes, 0: whole
  uint64_t stepSectors_ = 1;   // sectors per read in a block
  uint32_t blockSectorSize_ = 0;
  std::vector<SectorState> blockStates_;  // what became of each sector of the block
  std::vector<uint32_t> blockDataBytes_;  // the data bytes of each sector of the block
  uint32_t dataBytes_ = 0;
  BadZoneSkipper skipper_;
  SectorMap map_;
  uint64_t unreadable_ = 0;
  uint64_t skipped_ = 0;
  uint64_t reached_ = 0;
  uint64_t read_ = 0;
  uint64_t readable_ = 0;
  bool mediumGone_ = false;
  bool lastUnreadable_ = false;
  VolumeReadObserver* readObserver_ = nullptr;
  ListedFiles* listed_ = nullptr;
};

}  // namespace orlenta
