// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "block_reader.h"
#include "file_listing.h"
#include "iso9660_reader.h"

namespace orlenta {

// Every file the file systems of the volume list that we can read, their copies merged;
// an empty listing when it holds none.
FileListing ReadDiscListing(BlockReader& blocks, const DirectoryLimits& limits = {});

}  // namespace orlenta
