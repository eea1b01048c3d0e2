// SPDX-License-Identifier: GPL-3.0-or-later
// A disc's directories are read from untrusted sectors: whatever they hold, the listing
// must stay inside the volume and within its limits, and every name made safe must stay
// inside its folder. The input is the volume from its descriptors on (sector 16), so that
// the fuzzer need not carry the empty sectors before them; a UDF volume keeps its anchor
// in its last sector.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/volume.h"
#include "filesystems/disc_listing.h"
#include "filesystems/safe_names.h"
#include "fuzz_check.h"

namespace {

class BytesVolume final : public orlenta::Volume {
 public:
  explicit BytesVolume(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint32_t SectorSize() const override { return 2048; }
  uint64_t SectorCount() const override { return bytes_.size() / 2048; }
  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    if (offset >= bytes_.size()) return -1;
    const std::size_t length = std::min<std::size_t>(into.size(), bytes_.size() - offset);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), length, into.begin());
    return static_cast<int64_t>(length);
  }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using orlenta::Require;
  std::vector<uint8_t> image(16 * 2048, 0);
  image.insert(image.end(), data, data + size);
  image.resize((image.size() + 2047) / 2048 * 2048, 0);
  BytesVolume volume(image);
  orlenta::BlockReader blocks(volume);
  orlenta::DirectoryLimits limits;
  limits.maxEntries = 5000;
  limits.maxDepth = 20;
  const orlenta::FileListing listing = orlenta::ReadDiscListing(blocks, limits);
  Require(listing.files.size() <= limits.maxEntries + 1, "entries capped");
  orlenta::NamedTree tree;
  for (const orlenta::ListedFile& file : listing.files) {
    Require(file.path.size() <= limits.maxDepth + 1, "depth capped");
    for (const orlenta::FileExtent& extent : file.extents) {
      Require(extent.offset + extent.length <= image.size(), "extents inside the volume");
    }
    const std::string placed = tree.Place(file.path, orlenta::OlderSessionMark(file.olderSession));
    Require(placed.front() != '/', "relative path");
    for (std::size_t at = 0; at <= placed.size();) {
      const std::size_t end = std::min(placed.find('/', at), placed.size());
      const std::string name = placed.substr(at, end - at);
      Require(!name.empty() && name != "." && name != "..", "names stay inside their folder");
      Require(name.size() <= 255, "names not over-long");
      for (const char c : name)
        Require(static_cast<unsigned char>(c) >= 0x20, "no control characters");
      at = end + 1;
    }
  }
  return 0;
}
