// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes taken as a disc image, judged by its first sectors and also forced raw (as
// --layout raw does): only the first sectors decide; a raw layout never reaches past the
// file, and reading the volume through it hands back every sector as data bytes of its own
// frame, never longer than its form allows and the same however the reads cut the volume.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <span>
#include <vector>

#include "fuzz_check.h"
#include "layout_check.h"
#include "platform/raw_sectors.h"
#include "platform/raw_volume.h"

namespace {

using namespace orlenta;

// The bytes that can decide whether an image is raw: the first 32 sectors' heads at the
// largest stride read.
constexpr uint64_t kDecidingBytes = 32 * kSubchannelSectorBytes;

// The image as a file, for the volume to read with the system calls it always uses.
int ImageFile(std::span<const uint8_t> image) {
  const int fd = memfd_create("image", MFD_CLOEXEC);
  Require(fd >= 0, "a memory file opens");
  Require(write(fd, image.data(), image.size()) == static_cast<ssize_t>(image.size()),
          "the image is written whole");
  return fd;
}

ImageReader ReaderOf(std::span<const uint8_t> image) {
  return [image](uint64_t offset, std::span<uint8_t> into) {
    if (offset > image.size() || into.size() > image.size() - offset) return false;
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), into.size(), into.begin());
    return true;
  };
}

void CheckVerdict(const RawImage& judged, uint64_t fileBytes) {
  if (judged.verdict == RawVerdict::kUnknownFraming) {
    Require(
        judged.layout.stride != kRawSectorBytes && judged.layout.stride != kSubchannelSectorBytes,
        "a framing refused as unknown is not one that is read");
  }
  if (judged.verdict != RawVerdict::kRaw) return;
  const SectorLayout& layout = judged.layout;
  Require(layout.rawMode == RawMode::kMode1 || layout.rawMode == RawMode::kMode2,
          "a raw image is Mode 1, or Mode 2 with each sector's own form");
  Require(layout.stride == kRawSectorBytes || layout.stride == kSubchannelSectorBytes,
          "raw sectors are 2,352 bytes, or 2,448 with subchannel data");
  Require(layout.firstByte == 0 && layout.sectorCount == fileBytes / layout.stride,
          "a raw image's sectors are all its whole frames");
}

// Whatever lies past the deciding bytes, the image is raw (at the same stride) or not alike.
void CheckOnlyTheStartDecides(std::span<const uint8_t> image, const RawImage& judged) {
  if (image.size() <= kDecidingBytes) return;
  std::vector<uint8_t> changed(image.begin(), image.end());
  for (auto byte = changed.begin() + kDecidingBytes; byte != changed.end(); ++byte) *byte ^= 0x5A;
  const RawImage other = JudgeRawImage(ReaderOf(changed), changed.size(), false);
  const bool raw = judged.verdict == RawVerdict::kRaw;
  Require((other.verdict == RawVerdict::kRaw) == raw &&
              (!raw || other.layout.stride == judged.layout.stride),
          "what lies past the first sectors never decides whether an image is raw");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> image(data, size);
  for (const bool forceRaw : {false, true}) {
    const RawImage judged = JudgeRawImage(ReaderOf(image), size, forceRaw);
    if (forceRaw) Require(judged.verdict == RawVerdict::kRaw, "an image forced raw is raw");
    if (!forceRaw) CheckOnlyTheStartDecides(image, judged);
    CheckVerdict(judged, size);
    if (judged.verdict != RawVerdict::kRaw) continue;
    const int fd = ImageFile(image);
    const int again = dup(fd);
    Require(again >= 0, "the image file opens twice");
    const auto fresh = MakeRawVolume(fd, judged.layout);
    const auto reread = MakeRawVolume(again, judged.layout);
    // Pieces that start and end inside sectors, as the read-ahead's may.
    CheckLayoutReads(*fresh, *reread, judged.layout, image, 1000 + size % 5000);
  }
  return 0;
}
