// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "engine/volume.h"

namespace orlenta {

// A volume held in memory that can be told to fail chosen sectors, and that counts the
// reads made of it, so that tests can see both what the engine got and how it asked.
class MemoryVolume final : public Volume {
 public:
  // How a read that covers a failing sector ends.
  enum class Failure {
    kNothing,  // -1: nothing read
    kShort,    // the bytes before the failing sector, then a short count
  };

  explicit MemoryVolume(std::vector<uint8_t> bytes, uint32_t sectorSize = 2048);

  void FailSector(uint64_t sector, Failure failure = Failure::kNothing);
  // Makes only the first `bytes` of `sector` its data, as in an image of mixed sector forms.
  void SetDataBytes(uint64_t sector, uint32_t bytes) { dataBytes_[sector] = bytes; }

  // Gives the volume the tracks of a disc's table of contents.
  void SetTracks(std::vector<MediumTrack> tracks) { tracks_ = std::move(tracks); }

  // Cuts the volume to `sectors`, as a disc taken out or an image cut short: reads from
  // there on find the medium gone. A volume opened earlier keeps its old size.
  void Shrink(uint64_t sectors);

  uint32_t SectorSize() const override { return sectorSize_; }
  uint64_t SectorCount() const override { return bytes_.size() / sectorSize_; }
  uint32_t SectorDataBytes(uint64_t sector) override {
    const auto found = dataBytes_.find(sector);
    return found == dataBytes_.end() ? sectorSize_ : found->second;
  }
  std::vector<MediumTrack> Tracks() const override { return tracks_; }
  // Bytes it did not read are scribbled over (0xEE), so that a caller relying on them shows.
  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override;

  // Lets the volume copy into files, as an image file does, at most `mostPerCopy` bytes a
  // copy (a copy that stops part-way, not even at a sector's end); a copy also stops before
  // a failing sector.
  void CopyIntoFiles(uint64_t mostPerCopy = UINT64_MAX) {
    copies_ = true;
    mostPerCopy_ = mostPerCopy;
  }
  bool CopiesToFiles() const override { return copies_; }
  uint64_t CopyToFile(uint64_t offset, uint64_t length, std::FILE* file,
                      uint64_t fileOffset) override;
  // The bytes CopyToFile copied, and the bytes ReadAt read, over the volume's life.
  uint64_t BytesCopied() const { return bytesCopied_; }
  uint64_t BytesRead() const { return bytesRead_; }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  int ReadCalls() const { return readCalls_; }
  // Reads that met a failing sector.
  int FailedReads() const { return failedReads_; }
  // The largest number of bytes asked for in one read.
  std::size_t LargestRead() const { return largestRead_; }

 private:
  std::vector<uint8_t> bytes_;
  uint32_t sectorSize_;
  std::map<uint64_t, Failure> failing_;
  std::map<uint64_t, uint32_t> dataBytes_;
  std::vector<MediumTrack> tracks_;
  bool shrunk_ = false;
  bool copies_ = false;
  uint64_t mostPerCopy_ = 0;
  uint64_t bytesCopied_ = 0;
  uint64_t bytesRead_ = 0;
  int readCalls_ = 0;
  int failedReads_ = 0;
  std::size_t largestRead_ = 0;
};

// Drive letters standing for memory volumes; a letter can be made to fail to open, at once
// or after a number of successful opens.
class MemoryVolumeSource final : public VolumeSource {
 public:
  // Makes `letter` stand for `volume`; returns the volume for chaining.
  std::shared_ptr<MemoryVolume> Assign(char letter, std::shared_ptr<MemoryVolume> volume);
  // `letter` opens successfully `opensAllowed` times, then never again.
  void FailOpen(char letter, int opensAllowed = 0) { openBudget_[letter] = opensAllowed; }

  std::unique_ptr<Volume> Open(char driveLetter) override;

  int Opens(char letter) const;

 private:
  std::map<char, std::shared_ptr<MemoryVolume>> volumes_;
  std::map<char, int> openBudget_;
  std::map<char, int> opens_;
};

}  // namespace orlenta
