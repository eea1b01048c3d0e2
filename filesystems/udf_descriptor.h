// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace orlenta {

// What a UDF descriptor's 16-byte tag says it is.
enum class UdfTagId : uint16_t {
  kPrimaryVolume = 1,
  kAnchor = 2,
  kVolumePointer = 3,
  kPartition = 5,
  kLogicalVolume = 6,
  kTerminating = 8,
  kFileSet = 256,
  kFileIdentifier = 257,
  kAllocationExtent = 258,
  kIndirectEntry = 259,
  kFileEntry = 261,
  kExtendedFileEntry = 266,
};

// True when `bytes` begin with a tag of `id` whose checksum and CRC hold and that says it
// was written at `location` (a sector of the volume for the volume's descriptors, a block
// of its partition for the rest); nullopt for `location` skips that test.
bool IsUdfDescriptor(std::span<const uint8_t> bytes, UdfTagId id, std::optional<uint32_t> location);

// The CRC a tag holds of the bytes after it (x^16 + x^12 + x^5 + 1, from zero).
uint16_t UdfCrc(std::span<const uint8_t> bytes);

// A block of a partition, as UDF addresses every structure after its volume descriptors: the
// partition by its place in the logical volume's list of partition maps.
struct UdfAddress {
  uint16_t partition = 0;
  uint32_t block = 0;
  bool operator==(const UdfAddress&) const = default;
};

// A run of a file's blocks as its entry records it.
struct UdfAllocation {
  enum class Kind : uint8_t { kRecorded = 0, kAllocated = 1, kUnallocated = 2, kContinued = 3 };
  uint32_t length = 0;  // bytes
  Kind kind = Kind::kRecorded;
  UdfAddress at;
};

// A 16-byte long allocation descriptor (length, block, partition).
UdfAllocation ParseLongAllocation(std::span<const uint8_t> bytes);

uint64_t Le64(std::span<const uint8_t> bytes, std::size_t at);

}  // namespace orlenta
