// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "file_listing.h"
#include "udf_descriptor.h"
#include "udf_space.h"

namespace orlenta {

// A UDF file entry (plain or extended): what a file, folder or table is, and where its
// data lies.
struct UdfEntry {
  enum Type : uint8_t {
    kUnspecified = 0,
    kDirectory = 4,
    kFile = 5,
    kLink = 12,
    kStreamDirectory = 13,
    kVirtualTable = 248,
    kRealTimeFile = 249,
    kMetadataFile = 250,
    kMetadataMirror = 251,
  };
  uint8_t type = kUnspecified;
  uint64_t size = 0;
  std::optional<int64_t> mtime;
  uint64_t uniqueId = 0;
  // Its runs in file order, those in allocation extents (chained blocks of further runs)
  // included; empty when the data lies inside the entry.
  std::vector<UdfAllocation> runs;
  // Data recorded inside the entry: its bytes and their place on the volume.
  std::optional<FileExtent> embedded;
  std::vector<uint8_t> embeddedBytes;
  // Runs were left out (over the limit, or an allocation extent could not be read).
  bool runsCut = false;
};

// The entry at `address`, following indirect entries; at most `maxRuns` runs are kept.
// nullopt when no valid entry is there.
std::optional<UdfEntry> ReadUdfEntry(UdfSpace& space, UdfAddress address, uint32_t maxRuns);

// Where the entry's first `size` bytes lie on the volume, in file order, in logical bytes.
// They end early where a run is not recorded or lies nowhere; `cut` tells so. At most
// `maxExtents` are given.
struct UdfExtents {
  std::vector<FileExtent> extents;
  bool cut = false;
};
UdfExtents UdfDataExtents(UdfSpace& space, const UdfEntry& entry, uint32_t maxExtents);

// The entry's data bytes, at most `maxBytes` of them (a folder's identifiers, a table);
// blocks that cannot be read are zeros, counted in `unreadableBlocks`.
std::vector<uint8_t> ReadUdfData(UdfSpace& space, const UdfEntry& entry, uint64_t maxBytes,
                                 uint32_t& unreadableBlocks);

}  // namespace orlenta
