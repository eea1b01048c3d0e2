// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "block_reader.h"
#include "file_listing.h"
#include "iso9660_reader.h"
#include "listing_merge.h"

namespace orlenta {

// What reading a volume's UDF file system gave, beside the files added to the merge.
struct UdfRead {
  bool found = false;  // the volume holds a UDF file system we can read
  bool whole = false;  // every folder and entry of it was read
  std::string label;
  std::string system;  // "UDF 2.01"
  uint64_t entries = 0;
  // Files whose entries UDF marks as deleted: to be added only where no other copy of the
  // directories lists their data.
  std::vector<ListedFile> deleted;
};

// Adds every file the UDF file system of the volume lists to `merge`, by its UDF path (a
// name of up to 255 characters, in any script), through whichever partition maps the disc
// uses. Links are noted; problems go to `problems`. Names are untrusted.
UdfRead ReadUdf(BlockReader& blocks, const DirectoryLimits& limits, ListingMerge& merge,
                std::vector<std::string>& problems);

}  // namespace orlenta
