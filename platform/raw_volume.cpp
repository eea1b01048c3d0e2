// SPDX-License-Identifier: GPL-3.0-or-later
#include "raw_volume.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "read_fully.h"

namespace orlenta {
namespace {

class RawVolume final : public Volume {
 public:
  RawVolume(int fd, const SectorLayout& layout) : fd_(fd), layout_(layout) {}
  ~RawVolume() override { ::close(fd_); }
  RawVolume(const RawVolume&) = delete;
  RawVolume& operator=(const RawVolume&) = delete;

  uint32_t SectorSize() const override { return layout_.sectorSize; }
  uint64_t SectorCount() const override { return layout_.sectorCount; }

  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    const uint64_t total = layout_.sectorCount * layout_.sectorSize;
    if (into.empty()) return 0;
    if (offset >= total) return -1;
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<uint64_t>(into.size(), total - offset));
    std::size_t done = 0;
    errno = 0;
    while (done < wanted) {
      const std::size_t got = ReadBatch(offset + done, into.subspan(done, wanted - done));
      if (got == 0) break;
      done += got;
    }
    if (done > 0) return static_cast<int64_t>(done);
    const uint64_t needed = layout_.ImageOffset(offset / layout_.sectorSize) + layout_.sectorSize;
    return MediumEndsBefore(fd_, needed, errno) ? kMediumGone : -1;
  }

 private:
  // Enough sectors per system call to keep the reads large, few enough to bound the memory.
  static constexpr uint64_t kBatchSectors = 512;

  // Reads the data of up to kBatchSectors sectors from data byte `offset` into `into`;
  // returns the bytes placed, fewer when the file ends or a read fails part-way.
  std::size_t ReadBatch(uint64_t offset, std::span<uint8_t> into) {
    const uint32_t size = layout_.sectorSize;
    const uint64_t first = offset / size;
    const uint64_t skip = offset % size;
    const uint64_t sectors = std::min(kBatchSectors, (skip + into.size() + size - 1) / size);
    // From the first sector's data to the end of the last sector's data: one read.
    const std::size_t span = (sectors - 1) * layout_.stride + size;
    raw_.resize(span);
    const std::size_t got = ReadFully(fd_, layout_.ImageOffset(first), {raw_.data(), span});
    std::size_t placed = 0;
    for (uint64_t i = 0; i < sectors && placed < into.size(); ++i) {
      const std::size_t from = i * layout_.stride + (i == 0 ? skip : 0);
      const std::size_t length =
          std::min<std::size_t>(size - (i == 0 ? skip : 0), into.size() - placed);
      const std::size_t present = got > from ? std::min(length, got - from) : 0;
      std::memcpy(into.data() + placed, raw_.data() + from, present);
      placed += present;
      if (present < length) break;
    }
    return placed;
  }

  int fd_;
  SectorLayout layout_;
  std::vector<uint8_t> raw_;
};

}  // namespace

std::unique_ptr<Volume> MakeRawVolume(int fd, const SectorLayout& layout) {
  return std::make_unique<RawVolume>(fd, layout);
}

}  // namespace orlenta
