// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "listed_path.h"

namespace orlenta {

// The longest name a file or folder of ours takes from a disc, in bytes: room is left for
// a distinguishing " (n)" within the 255 bytes a name may have.
inline constexpr std::size_t kMaxSafeNameBytes = 200;

// `raw`, a name read from a disc, as a name that stays inside its folder: no separators,
// control characters or NULs (each becomes '_'), not "." or "..", valid UTF-8, not empty,
// at most kMaxSafeNameBytes bytes (its extension kept where it can be).
std::string SafeName(std::string_view raw);

// What marks the name of a file only older session number `olderSession` lists (" (session
// 1)"), so that it is told at a glance from the newer version beside it; "" for 0.
std::string OlderSessionMark(uint32_t olderSession);

// What marks the name of a file whose entry the disc marks as deleted (" (deleted)"), so that
// it never takes the name of a file the disc still holds; "" for one that is not.
std::string DeletedMark(bool deleted);

// The relative paths under which the files of a listing are written: each component made
// safe, and names that would clash in one folder (also when they differ only in case, as
// they would on a disc formatted for another system) made distinct with " (2)", " (3)".
class NamedTree {
 public:
  NamedTree();
  ~NamedTree();

  // A path no earlier call returned, for the file at `path` (names from the disc's root).
  // Folders met again are the same folders. A `mark` of ours (" (session 1)") goes into the
  // file's name before its extension.
  std::string Place(const std::vector<std::string>& path, std::string_view mark = {});
  std::string Place(const ListedPath& path, std::string_view mark = {});

 private:
  struct Folder;
  std::unique_ptr<Folder> root_;
};

}  // namespace orlenta
