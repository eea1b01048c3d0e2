// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/sector_reader.h"
#include "platform/sha256.h"

namespace orlenta {

// The SHA-256 of a whole source, taken from the sectors the run reads anyway, in order, so
// that the source is read once. Each sector gives its data bytes only; unreadable sectors
// count as the zeros that stand for them.
class SourceDigest final : public VolumeReadObserver {
 public:
  void SectorDataRead(uint64_t sector, std::span<const uint8_t> data) override;

  // Bytes hashed so far, from the start of the volume without a gap.
  uint64_t BytesHashed() const { return hashed_; }

  // Takes the digests named in `others` ("md5", "sha1") beside SHA-256.
  explicit SourceDigest(const std::vector<std::string>& others = {}) : hash_(others) {}

  // Each digest by name, SHA-256 first, once all `volumeSectors` were hashed from the start
  // without a gap; nullopt when the run did not read the whole source (it was stopped).
  std::optional<std::vector<std::pair<std::string, std::string>>> Digest(uint64_t volumeSectors);

 private:
  Digests hash_;
  uint64_t hashed_ = 0;
  uint64_t sectors_ = 0;  // sectors hashed: the next one to hash
  bool gap_ = false;      // a sector came from beyond the sectors hashed
};

}  // namespace orlenta
