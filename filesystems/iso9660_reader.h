// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "block_reader.h"
#include "file_listing.h"
#include "listing_merge.h"

namespace orlenta {

// Limits on what a disc's directories may make us do: beyond them the rest is refused with
// a problem line, so a hostile or damaged disc costs bounded time and memory.
struct DirectoryLimits {
  uint64_t maxEntries = 1'000'000;      // directory records over every copy
  uint32_t maxDepth = 100;              // folders inside folders
  uint32_t maxDirectoryBlocks = 16384;  // 32 MB in one directory
  uint32_t maxExtentsPerFile = 65536;   // interleaved and many-part files
};

// True when the volume holds an ISO 9660 volume descriptor at its usual place.
bool HasIso9660(BlockReader& blocks);

// Every file the ISO 9660 file system of the volume lists, from every copy of its
// directories: the primary tree with its Rock Ridge names, the Joliet tree, and both path
// tables, which reach folders whose parent's directory could not be read. A file named in
// several copies is listed once, under its most faithful name. Names are as the disc spells
// them: untrusted, to be made safe before use.
FileListing ReadIso9660(BlockReader& blocks, const DirectoryLimits& limits = {});

// What reading a volume's ISO 9660 file system gave, beside the files added to a merge.
struct IsoRead {
  bool found = false;
  std::string label;
  std::string system;  // "ISO 9660 + Joliet, 2 sessions"
  uint64_t entries = 0;
};

// As ReadIso9660, adding the files to `merge` (beside another file system's copy of the same
// directories) and the problems to `problems`.
IsoRead ReadIso9660Into(BlockReader& blocks, const DirectoryLimits& limits, ListingMerge& merge,
                        std::vector<std::string>& problems);

}  // namespace orlenta
