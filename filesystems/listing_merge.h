// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "file_listing.h"
#include "index_table.h"

namespace orlenta {

// Gathers the files of several copies of a directory into one listing. The same data
// listed in two copies (the ISO 9660 and Joliet trees, a path table) is one file, kept under
// its most faithful name; the same data under two names in one copy (a hard link) is two.
// Sessions are added newest first: a file an older session lists is kept only when no newer
// one lists its data, and then under the newer session's name.
class ListingMerge {
 public:
  explicit ListingMerge(FileListing& listing) : listing_(listing) {}

  // Adds `file`, found in copy number `copy`; extents past the volume's end are cut.
  void Add(ListedFile file, int copy);

  // Files and links added from now on are listed by older session number `olderSession`
  // (0: the last session).
  void BeginSession(uint32_t olderSession) { session_ = olderSession; }

  // Adds `file` only when no file added so far lists its data (a deleted entry, whose data
  // may since have become another file's); a file without data is not added.
  void AddIfUnlisted(ListedFile file);

  // From now on, files without data are not added: a copy read whole listed every one of
  // them already, and another copy's spelling of the same name would make a second file.
  void SkipEmptyFiles() { skipEmpty_ = true; }

  // Adds a symbolic link, which copies that cannot tell links list as an empty file.
  void AddLink(ListedLink link);

  // Marks the files whose extents overlap another file's (other than the same data under
  // another name): such an entry cannot be trusted to say what its sectors hold.
  void MarkOverlaps();

  // Extents must end by this logical byte (the volume's size); later bytes are cut off.
  void SetVolumeBytes(uint64_t bytes) { volumeBytes_ = bytes; }

 private:
  // The file listed so far with the same data (its first extent and size), or with the same
  // path when it has no data; files hold the keys, the tables only their numbers.
  std::optional<uint32_t> FindSame(const ListedFile& file) const;
  void Remember(uint32_t index);
  static uint64_t DataHash(const ListedFile& file);
  static bool SameData(const ListedFile& a, const ListedFile& b);
  void CutAtVolumeEnd(ListedFile& file);
  static std::string FoldedPath(const ListedPath& path);

  FileListing& listing_;
  IndexTable byData_;
  IndexTable emptyByPath_;
  std::unordered_set<std::string> links_;
  std::vector<int> copyOf_;
  std::vector<uint32_t> sessionOf_;
  uint32_t session_ = 0;
  uint64_t volumeBytes_ = UINT64_MAX;
  bool skipEmpty_ = false;
};

}  // namespace orlenta
