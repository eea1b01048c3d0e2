// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_listing.h"

#include "listing_merge.h"
#include "udf_reader.h"

namespace orlenta {

FileListing ReadDiscListing(BlockReader& blocks, const DirectoryLimits& limits) {
  FileListing listing;
  ListingMerge merge(listing);
  merge.SetVolumeBytes(blocks.LogicalBytes());
  // UDF first: its names are whole. A bridge disc's ISO 9660 tree then adds only what UDF
  // did not list (the same data under another name is the same file).
  UdfRead udf = ReadUdf(blocks, limits, merge, listing.problems);
  if (udf.whole && !listing.files.empty()) merge.SkipEmptyFiles();
  DirectoryLimits rest = limits;
  rest.maxEntries -= std::min(rest.maxEntries, udf.entries);
  const IsoRead iso =
      HasIso9660(blocks) ? ReadIso9660Into(blocks, rest, merge, listing.problems) : IsoRead{};
  for (ListedFile& file : udf.deleted) merge.AddIfUnlisted(std::move(file));
  merge.MarkOverlaps();
  listing.label = !udf.label.empty() ? udf.label : iso.label;
  if (udf.found) listing.system = udf.system;
  if (iso.found) listing.system += (listing.system.empty() ? "" : " + ") + iso.system;
  return listing;
}

}  // namespace orlenta
