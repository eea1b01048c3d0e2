// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/memory_volume.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace orlenta {
namespace {

// What Open hands out: the volume stays with the source, so that a test can look at its
// counts after the engine has closed its handle.
class VolumeHandle final : public Volume {
 public:
  explicit VolumeHandle(std::shared_ptr<MemoryVolume> volume) : volume_(std::move(volume)) {}
  uint32_t SectorSize() const override { return volume_->SectorSize(); }
  uint64_t SectorCount() const override { return volume_->SectorCount(); }
  uint32_t SectorDataBytes(uint64_t sector) override { return volume_->SectorDataBytes(sector); }
  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    return volume_->ReadAt(offset, into);
  }
  bool CopiesToFiles() const override { return volume_->CopiesToFiles(); }
  uint64_t CopyToFile(uint64_t offset, uint64_t length, std::FILE* file,
                      uint64_t fileOffset) override {
    return volume_->CopyToFile(offset, length, file, fileOffset);
  }

 private:
  std::shared_ptr<MemoryVolume> volume_;
};

}  // namespace

MemoryVolume::MemoryVolume(std::vector<uint8_t> bytes, uint32_t sectorSize)
    : bytes_(std::move(bytes)), sectorSize_(sectorSize) {}

void MemoryVolume::FailSector(uint64_t sector, Failure failure) {
  failing_[sector] = failure;
}

void MemoryVolume::Shrink(uint64_t sectors) {
  bytes_.resize(std::min<uint64_t>(bytes_.size(), sectors * sectorSize_));
  shrunk_ = true;
}

int64_t MemoryVolume::ReadAt(uint64_t offset, std::span<uint8_t> into) {
  ++readCalls_;
  largestRead_ = std::max(largestRead_, into.size());
  std::fill(into.begin(), into.end(), uint8_t{0xEE});
  if (offset >= bytes_.size()) return shrunk_ ? kMediumGone : -1;
  uint64_t end = std::min<uint64_t>(bytes_.size(), offset + into.size());
  // The first failing sector the read touches cuts it short, or spoils it.
  const auto failing = failing_.lower_bound(offset / sectorSize_);
  if (failing != failing_.end() && failing->first * sectorSize_ < end) {
    ++failedReads_;
    if (failing->second == Failure::kNothing) return -1;
    end = std::max(offset, failing->first * sectorSize_);
  }
  const auto length = static_cast<std::size_t>(end - offset);
  if (length == 0) return -1;
  std::memcpy(into.data(), bytes_.data() + offset, length);
  bytesRead_ += length;
  return static_cast<int64_t>(length);
}

uint64_t MemoryVolume::CopyToFile(uint64_t offset, uint64_t length, std::FILE* file,
                                  uint64_t fileOffset) {
  if (!copies_ || offset >= bytes_.size()) return 0;
  uint64_t end = std::min<uint64_t>(bytes_.size(), offset + std::min(length, mostPerCopy_));
  const auto failing = failing_.lower_bound(offset / sectorSize_);
  if (failing != failing_.end())
    end = std::min(end, std::max(offset, failing->first * sectorSize_));
  const auto count = static_cast<std::size_t>(end - offset);
  if (count == 0 || std::fseek(file, static_cast<long>(fileOffset), SEEK_SET) != 0 ||
      std::fwrite(bytes_.data() + offset, 1, count, file) != count) {
    return 0;
  }
  bytesCopied_ += count;
  return count;
}

std::shared_ptr<MemoryVolume> MemoryVolumeSource::Assign(char letter,
                                                         std::shared_ptr<MemoryVolume> volume) {
  volumes_[letter] = volume;
  return volume;
}

std::unique_ptr<Volume> MemoryVolumeSource::Open(char driveLetter) {
  const auto found = volumes_.find(driveLetter);
  if (found == volumes_.end()) return nullptr;
  if (const auto budget = openBudget_.find(driveLetter); budget != openBudget_.end()) {
    if (budget->second <= 0) return nullptr;
    --budget->second;
  }
  ++opens_[driveLetter];
  return std::make_unique<VolumeHandle>(found->second);
}

int MemoryVolumeSource::Opens(char letter) const {
  const auto found = opens_.find(letter);
  return found == opens_.end() ? 0 : found->second;
}

}  // namespace orlenta
