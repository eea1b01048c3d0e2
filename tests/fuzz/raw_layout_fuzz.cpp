// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes taken as a disc image: the layout found never reaches past the file nor puts a
// sector's data outside its frame, and reading the volume through that layout hands back,
// for every sector, exactly its data bytes of the image, whatever the reads' sizes.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "fuzz_check.h"
#include "platform/raw_sectors.h"
#include "platform/raw_volume.h"

namespace {

using namespace orlenta;

void CheckFrame(const SectorLayout& layout, uint64_t fileBytes) {
  Require(layout.rawMode != RawMode::kNone, "a raw layout names its mode");
  Require(layout.sectorSize == (layout.rawMode == RawMode::kMode2Form2 ? 2324u : 2048u),
          "a sector holds what its form allows");
  Require(layout.dataOffset + layout.sectorSize <= layout.stride, "the data lie in the frame");
  Require(layout.firstByte + layout.sectorCount * layout.stride <= fileBytes,
          "the layout never reaches past the file");
}

// The image as a file, for the volume to read with the system calls it always uses.
int ImageFile(std::span<const uint8_t> image) {
  const int fd = memfd_create("image", MFD_CLOEXEC);
  Require(fd >= 0, "a memory file opens");
  Require(write(fd, image.data(), image.size()) == static_cast<ssize_t>(image.size()),
          "the image is written whole");
  return fd;
}

// Reads the whole volume in pieces of `piece` bytes and compares every byte with the data
// the layout puts there.
void CheckReads(Volume& volume, const SectorLayout& layout, std::span<const uint8_t> image,
                uint64_t piece) {
  const uint64_t total = layout.sectorCount * layout.sectorSize;
  std::vector<uint8_t> got;
  for (uint64_t at = 0; at < total; at += piece) {
    std::vector<uint8_t> buffer(std::min(piece, total - at));
    Require(volume.ReadAt(at, buffer) == static_cast<int64_t>(buffer.size()),
            "every byte of the volume can be read");
    got.insert(got.end(), buffer.begin(), buffer.end());
  }
  for (uint64_t s = 0; s < layout.sectorCount; ++s) {
    const uint8_t* expected = image.data() + layout.ImageOffset(s);
    Require(std::memcmp(got.data() + s * layout.sectorSize, expected, layout.sectorSize) == 0,
            "a sector reads as its data bytes in the image");
  }
  uint8_t past[16];
  Require(volume.ReadAt(total, past) == -1, "nothing is read past the last sector");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> image(data, size);
  const ImageReader read = [image](uint64_t offset, std::span<uint8_t> into) {
    if (offset > image.size() || into.size() > image.size() - offset) return false;
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), into.size(), into.begin());
    return true;
  };
  const auto layout = DetectRawImage(read, size);
  if (!layout) return 0;
  CheckFrame(*layout, size);
  const auto volume = MakeRawVolume(ImageFile(image), *layout);
  Require(volume->SectorSize() == layout->sectorSize, "the volume's sectors are the layout's");
  CheckReads(*volume, *layout, image, layout->sectorSize);
  // Reads that start and end inside sectors, as the read-ahead's may.
  CheckReads(*volume, *layout, image, 1000 + size % 5000);
  return 0;
}
