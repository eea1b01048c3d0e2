// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_listing.h"

namespace orlenta {

FileListing ReadDiscListing(BlockReader& blocks, const DirectoryLimits& limits) {
  if (HasIso9660(blocks)) return ReadIso9660(blocks, limits);
  return {};
}

}  // namespace orlenta
