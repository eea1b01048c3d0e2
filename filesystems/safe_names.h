// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "index_table.h"
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

// The places a NamedTree gave, file by file in the order placed: each folder's path once,
// and each file's folder and own name. A disc of many files in few folders would otherwise
// hold each folder's path once for every file in it.
struct PlacedNames {
  std::vector<std::string> folders;  // paths, ending in '/' ("" for the top), by number
  std::string names;                 // each file's own name, one after another
  std::vector<uint32_t> nameEnds;    // where each file's name ends in `names`
  std::vector<uint32_t> folderOf;    // each file's folder, by number

  std::string_view Name(std::size_t file) const;
  std::string Path(std::size_t file) const;
};

// The relative paths under which the files of a listing are written: each component made
// safe, and names that would clash in one folder (also when they differ only in case, as
// they would on a disc formatted for another system) made distinct with " (2)", " (3)".
// A file costs its name and a few numbers: a disc may list a million of them.
class NamedTree {
 public:
  NamedTree();
  ~NamedTree();

  // A path no earlier call returned, for the file at `path` (names from the disc's root).
  // Folders met again are the same folders, also when a file took their name first. A
  // `mark` of ours (" (session 1)") goes into the file's name before its extension.
  std::string Place(const std::vector<std::string>& path, std::string_view mark = {});
  std::string Place(const ListedPath& path, std::string_view mark = {});

  // Room for `files` files whose names take about `nameBytes` in all.
  void Reserve(std::size_t files, std::size_t nameBytes);

  // Every place given so far; the tree is left empty.
  PlacedNames TakePlaced();

 private:
  struct Folder;
  Folder& FolderOf(const std::vector<std::string>& path);
  std::string FreeName(Folder& folder, const std::string& wanted);
  bool Taken(const Folder& folder, const std::string& folded) const;
  std::size_t FindFile(uint32_t folder, std::string_view folded) const;
  void AddFile(uint32_t folder, const std::string& name);

  std::unique_ptr<Folder> root_;
  PlacedNames placed_;
  // The files placed, by their folder and folded name.
  IndexTable files_;
};

}  // namespace orlenta
