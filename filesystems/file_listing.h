// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "listed_path.h"

namespace orlenta {

// A run of a file's bytes on the volume, in the volume's logical bytes (see BlockReader).
struct FileExtent {
  uint64_t offset = 0;
  uint64_t length = 0;
};

// How faithful a name is: a longer, truer name wins over a shorter copy of the same entry.
enum class NameSource : uint8_t {
  kIso9660 = 1,  // upper case 8.3 or 31 characters
  kJoliet = 2,   // 64 UCS-2 characters
  kRockRidge = 3,
  kUdf = 4,
};

// One regular file a disc's directory lists.
struct ListedFile {
  ListedPath path;  // the names from the disc's root, as the disc spells them
  uint64_t size = 0;
  std::vector<FileExtent> extents;  // in file order; together `size` bytes (or fewer, see cut)
  std::optional<int64_t> mtime;     // seconds since 1970-01-01 UTC
  // The number of the older session whose directory alone lists it (the file was removed or
  // replaced in a later session); 0 when the disc's last session lists it.
  uint32_t olderSession = 0;
  NameSource nameSource = NameSource::kIso9660;
  // The directory entry cannot be right everywhere (its extents ran past the volume's end
  // and were cut, or overlap another file's): its sectors hide no header from carving.
  bool suspect = false;
  // The disc's directory marks the entry as deleted; its data may since have been reused.
  bool deleted = false;
  // (The members are in this order so that a disc's many files take no padding.)
};

// A symbolic link a disc records: noted, never followed or created.
struct ListedLink {
  ListedPath path;
  std::string target;
};

// What a volume's file systems say, every copy of their directories merged.
struct FileListing {
  std::string label;   // the volume's name, as the disc spells it ("" when it has none)
  std::string system;  // "ISO 9660", "UDF", ...: the file systems read
  std::vector<ListedFile> files;
  std::vector<ListedLink> links;
  // What could not be read or was refused, one line each, for the user.
  std::vector<std::string> problems;
};

}  // namespace orlenta
