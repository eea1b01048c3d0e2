// SPDX-License-Identifier: GPL-3.0-or-later
#include "sector_reader.h"

#include <algorithm>
#include <cstring>

namespace orlenta {

bool QueryDriveGeometry(VolumeSource& volumes, char driveLetter) {
  const std::unique_ptr<Volume> volume = volumes.Open(driveLetter);
  if (!volume) return false;
  const uint32_t sectorSize = volume->SectorSize();
  if (sectorSize == 0 || sectorSize > kSectorBufferSize) return false;
  DriveGeometry.sectorsPerCluster = 1;
  DriveGeometry.bytesPerSector = sectorSize;
  DriveGeometry.freeClusters = 0;
  DriveGeometry.totalClusters = volume->SectorCount();
  return true;
}

SectorReader::SectorReader(VolumeSource& volumes, MessageSink& messages, EventPump& pump)
    : volumes_(volumes), messages_(messages), pump_(pump) {}

int SectorReader::ReadSectors(char driveLetter, uint64_t firstSector, int32_t count) {
  const uint32_t bytesPerSector = DriveGeometry.bytesPerSector;
  lastUnreadable_ = false;
  dataBytes_ = bytesPerSector;
  if (count > 0 && bytesPerSector > 0 && EnsureOpen(driveLetter)) {
    // Never write past the end of SectorBuffer, whatever the caller asks.
    const auto fits = static_cast<int32_t>(kSectorBufferSize / bytesPerSector);
    const int32_t sectors = std::min(count, fits);
    for (int32_t i = 0; i < sectors; ++i) {
      CopySector(firstSector + static_cast<uint32_t>(i),
                 SectorBuffer.data() + std::size_t{static_cast<uint32_t>(i)} * bytesPerSector,
                 bytesPerSector);
    }
  }
  pump_.PumpOneMessage();
  return 1;
}

uint64_t SectorReader::HandOverToListedFile(uint64_t sector) {
  // Only from the end of what was read: a block already holding the sectors after `sector`
  // has told them to the listed files.
  if (!HandsOver() || blockSectors_ == 0 || reached_ != sector + 1 ||
      blockFirst_ + blockSectors_ != sector + 1) {
    return 0;
  }
  const uint64_t most = std::max<uint64_t>(1, kHandOverBytes / blockSectorSize_);
  uint64_t taken = 0;
  for (;;) {
    const uint64_t step = listed_->TakeFromVolume(sector + taken, *volume_, most);
    CountTaken(step);
    taken += step;
    if (step < most) return taken;
    pump_.PumpOneMessage();
    if (StopFlag) return taken;
  }
}

bool SectorReader::HandsOver() const {
  return listed_ && !readObserver_ && volume_ && volume_->CopiesToFiles();
}

void SectorReader::CountTaken(uint64_t count) {
  map_.Append(SectorState::kRead, count);
  reached_ += count;
  read_ += count;
  readable_ += count;
}

void SectorReader::BeginRun() {
  Close();
  unreadable_ = 0;
  skipped_ = 0;
  skipper_.Reset();
  map_.Clear();
  reached_ = 0;
  read_ = 0;
  readable_ = 0;
  mediumGone_ = false;
}

void SectorReader::Close() {
  volume_.reset();
  openLetter_ = 0;
  openFailed_ = false;
  blockSectors_ = 0;
  stepSectors_ = 1;
}

bool SectorReader::EnsureOpen(char driveLetter) {
  if (volume_ && openLetter_ == driveLetter) return true;
  if (openFailed_ && openLetter_ == driveLetter) return false;
  Close();
  openLetter_ = driveLetter;
  volume_ = volumes_.Open(driveLetter);
  if (volume_) {
    volumeBytes_ = volume_->SectorCount() * volume_->SectorSize();
    return true;
  }
  // Once per run, not once per sector: without its volume the run cannot go on.
  openFailed_ = true;
  messages_.ShowMessage("Error initiating reading", "Orlenta");
  StopFlag = true;
  return false;
}

void SectorReader::CopySector(uint64_t sector, uint8_t* into, uint32_t bytesPerSector) {
  if ((sector + 1) * bytesPerSector > volumeBytes_) return;  // past the end: left as it was
  if (bytesPerSector != blockSectorSize_ || sector < blockFirst_ ||
      sector >= blockFirst_ + blockSectors_) {
    LoadBlock(sector, bytesPerSector);
    // The medium went away before this sector: it is not read, and the run ends here, with
    // every sector that was really read before it.
    if (blockSectors_ == 0) {
      StopFlag = true;
      return;
    }
  }
  const uint64_t inBlock = sector - blockFirst_;
  std::memcpy(into, block_.data() + inBlock * bytesPerSector, bytesPerSector);
  if (into == SectorBuffer.data()) dataBytes_ = blockDataBytes_[inBlock];
  // A bad sector counts when the scan first gets there: not when it is merely read ahead,
  // and not again when the scan steps back over it.
  const SectorState state = blockStates_[inBlock];
  lastUnreadable_ = lastUnreadable_ || state != SectorState::kRead;
  if (sector >= reached_) {
    if (state == SectorState::kBad) ++unreadable_;
    if (state == SectorState::kSkipped) ++skipped_;
    map_.Append(state);
  }
  reached_ = std::max(reached_, sector + 1);
  ++read_;
  if (state == SectorState::kRead) ++readable_;
}

void SectorReader::LoadBlock(uint64_t firstSector, uint32_t bytesPerSector) {
  const uint64_t volumeSectors = volumeBytes_ / bytesPerSector;
  const uint64_t capacity = std::max<uint64_t>(1, kReadAheadBytes / bytesPerSector);
  blockFirst_ = firstSector;
  blockSectors_ = std::min(capacity, volumeSectors - firstSector);
  if (HandsOver()) {
    // Up to the first sector of what a listed file may take, that sector included: it tells
    // whether the file is taken, and the rest of it is then never read.
    const uint64_t takeable = listed_->NextTakeableStart(firstSector);
    if (takeable - firstSector < blockSectors_) blockSectors_ = takeable - firstSector + 1;
  }
  blockSectorSize_ = bytesPerSector;
  partialBytes_ = 0;
  block_.resize(blockSectors_ * bytesPerSector);
  blockStates_.assign(blockSectors_, SectorState::kRead);
  ReadBlockInSteps(bytesPerSector);
  NoteDataBytes(firstSector, bytesPerSector);
  if (partialBytes_ != 0) blockDataBytes_.back() = std::min(blockDataBytes_.back(), partialBytes_);
  TellObserver(bytesPerSector);
  if (listed_) {
    listed_->SectorsRead(firstSector, bytesPerSector,
                         std::span<const uint8_t>(block_).first(blockSectors_ * bytesPerSector),
                         std::span<const SectorState>(blockStates_).first(blockSectors_));
  }
}

void SectorReader::ReadBlockInSteps(uint32_t bytesPerSector) {
  // Read in steps sized so that each takes about kReadStepTarget: a stop (or the window)
  // waits for one step, never for a whole block from a slow drive. A run starts with one
  // sector, so that not even its first read is long; a fast source is in whole blocks after
  // a few reads.
  const uint64_t most = std::max<uint64_t>(1, kReadAheadBytes / bytesPerSector);
  for (uint64_t done = 0; done < blockSectors_;) {
    // Inside a bad zone being jumped over, the rest of the block is not even tried whole.
    if (skipper_.Skips(blockFirst_ + done)) {
      ReadSectorBySector(bytesPerSector, done, blockSectors_);
      return;
    }
    const uint64_t step = std::min(stepSectors_, blockSectors_ - done);
    const auto start = std::chrono::steady_clock::now();
    if (step == 1) {
      if (!ReadSectorAlone(bytesPerSector, done)) return;
      // Inside a scratch the reads stay one sector each: a larger one would only fail too,
      // and cost a failing read more.
      if (blockStates_[done] == SectorState::kBad) {
        if (!Breathe(++done)) return;
        continue;
      }
    } else if (const uint64_t whole = ReadStep(bytesPerSector, done, step); whole < step) {
      // A read of several sectors that fails gives back at most the sectors before the bad
      // one, and on a block device none at all (the kernel fails it whole): the rest are
      // tried one by one, so that one bad sector never costs its neighbours their data.
      // What came back is kept. The block goes on in small steps again, as a scratch seldom
      // ends where it was met.
      if (!ReadSectorBySector(bytesPerSector, done + whole, done + step)) return;
      done += step;
      stepSectors_ = 1;
      continue;
    }
    const auto took = std::chrono::steady_clock::now() - start;
    if (took > kReadStepTarget) {
      const auto scaled = stepSectors_ * static_cast<uint64_t>(kReadStepTarget.count()) /
                          static_cast<uint64_t>(
                              std::chrono::duration_cast<std::chrono::milliseconds>(took).count());
      stepSectors_ = std::max<uint64_t>(1, scaled);
    } else if (took < kReadStepTarget / 4) {
      stepSectors_ = std::min(stepSectors_ * 16, most);
    }
    done += step;
    // Between fast reads there is nothing to wait for: the block is there in moments.
    if (done == blockSectors_ || took < kReadStepTarget / 4) continue;
    if (!Breathe(done)) return;
  }
}

bool SectorReader::Breathe(uint64_t sectorsKept) {
  pump_.PumpOneMessage();
  if (!StopFlag) return true;
  blockSectors_ = sectorsKept;
  return false;
}

uint64_t SectorReader::ReadStep(uint32_t bytesPerSector, uint64_t from, uint64_t count) {
  const std::span<uint8_t> bytes(block_.data() + from * bytesPerSector, count * bytesPerSector);
  const int64_t got = volume_->ReadAt((blockFirst_ + from) * bytesPerSector, bytes);
  if (got <= 0) return 0;
  const uint64_t whole = static_cast<uint64_t>(got) / bytesPerSector;
  if (whole > 0) skipper_.ReadSucceeded();
  return whole;
}

void SectorReader::TellObserver(uint32_t bytesPerSector) {
  if (!readObserver_ || blockSectors_ == 0) return;
  uint64_t bytes = blockSectors_ * bytesPerSector;
  if (partialBytes_ != 0) bytes -= bytesPerSector - partialBytes_;
  readObserver_->VolumeBytesRead(blockFirst_ * bytesPerSector, {block_.data(), bytes});
  for (uint64_t i = 0; i < blockSectors_; ++i) {
    readObserver_->SectorDataRead(blockFirst_ + i,
                                  {block_.data() + i * bytesPerSector, blockDataBytes_[i]});
  }
}

void SectorReader::NoteDataBytes(uint64_t firstSector, uint32_t bytesPerSector) {
  blockDataBytes_.resize(blockSectors_);
  for (uint64_t i = 0; i < blockSectors_; ++i) {
    blockDataBytes_[i] = std::min(volume_->SectorDataBytes(firstSector + i), bytesPerSector);
  }
}

bool SectorReader::ReadSectorBySector(uint32_t bytesPerSector, uint64_t from, uint64_t to) {
  // On a scratched disc each failing read can take seconds, so the window breathes and Stop
  // is heard after every one; a stopped block keeps only the sectors tried so far.
  for (uint64_t i = from; i < to; ++i) {
    if (!ReadSectorAlone(bytesPerSector, i) || !Breathe(i + 1)) return false;
  }
  return true;
}

bool SectorReader::ReadSectorAlone(uint32_t bytesPerSector, uint64_t i) {
  const uint64_t sector = blockFirst_ + i;
  const std::span<uint8_t> bytes(block_.data() + i * bytesPerSector, bytesPerSector);
  if (skipper_.Skips(sector)) {
    std::fill(bytes.begin(), bytes.end(), uint8_t{0});
    blockStates_[i] = SectorState::kSkipped;
    return true;
  }
  const int64_t got = volume_->ReadAt(sector * bytesPerSector, bytes);
  if (got == Volume::kMediumGone) {
    MediumWentAway(i);
    return false;
  }
  if (got > 0 && got < static_cast<int64_t>(bytesPerSector) &&
      EndsAfter(sector * bytesPerSector + static_cast<uint64_t>(got), bytes)) {
    // The medium was cut inside this sector: it keeps the bytes really read, and nothing
    // is made up in place of the rest.
    std::fill(bytes.begin() + got, bytes.end(), uint8_t{0});
    partialBytes_ = static_cast<uint32_t>(got);
    MediumWentAway(i + 1);
    return false;
  }
  if (got == bytesPerSector) {
    skipper_.ReadSucceeded();
  } else {
    std::fill(bytes.begin(), bytes.end(), uint8_t{0});
    blockStates_[i] = SectorState::kBad;
    skipper_.ReadFailed(sector);
  }
  return true;
}

bool SectorReader::EndsAfter(uint64_t offset, std::span<uint8_t> scratch) {
  return volume_->ReadAt(offset, scratch.first(1)) == Volume::kMediumGone;
}

void SectorReader::MediumWentAway(uint64_t sectorsKept) {
  // Nothing at or past this sector can be read any more. The sectors before it were really
  // read and are handed out; the first one asked for past them stops the run, so that no
  // sector is made up of zeros to fill the place of what is gone.
  blockSectors_ = sectorsKept;
  mediumGone_ = true;
}

}  // namespace orlenta
