// SPDX-License-Identifier: GPL-3.0-or-later
#include "source_digest.h"

namespace orlenta {

void SourceDigest::VolumeBytesRead(uint64_t offset, std::span<const uint8_t> bytes) {
  if (gap_) return;
  // The reader goes forward block after block. Bytes hashed already are not hashed again;
  // a block beyond the bytes hashed leaves a gap, and then no digest is given at all.
  if (offset > hashed_) {
    gap_ = true;
    return;
  }
  const uint64_t known = hashed_ - offset;
  if (known >= bytes.size()) return;
  hash_.Update(bytes.subspan(known));
  hashed_ += bytes.size() - known;
}

std::optional<std::vector<std::pair<std::string, std::string>>> SourceDigest::Digest(
    uint64_t volumeBytes) {
  if (gap_ || hashed_ != volumeBytes) return std::nullopt;
  return hash_.HexDigests();
}

}  // namespace orlenta
