// SPDX-License-Identifier: GPL-3.0-or-later
#include "source_digest.h"

namespace orlenta {

void SourceDigest::SectorDataRead(uint64_t sector, std::span<const uint8_t> data) {
  // The reader goes forward block after block. Sectors hashed already are not hashed again;
  // a sector beyond those hashed leaves a gap, and then no digest is given at all.
  if (gap_ || sector < sectors_) return;
  if (sector > sectors_) {
    gap_ = true;
    return;
  }
  hash_.Update(data);
  hashed_ += data.size();
  ++sectors_;
}

std::optional<std::vector<std::pair<std::string, std::string>>> SourceDigest::Digest(
    uint64_t volumeSectors) {
  if (gap_ || sectors_ != volumeSectors) return std::nullopt;
  return hash_.HexDigests();
}

}  // namespace orlenta
