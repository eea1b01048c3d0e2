// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orlenta {

// A folder a disc's directory lists: its name and the folder that holds it. Everything in a
// folder shares its one copy, so a disc of many files holds each folder's names once, not
// once for every file below it.
struct ListedFolder {
  std::shared_ptr<const ListedFolder> parent;  // none for the root
  std::string name;                            // "" for the root
  uint32_t depth = 0;                          // names from the root to it
};
using FolderRef = std::shared_ptr<const ListedFolder>;

// A new root folder, to list a tree's top level in.
FolderRef RootFolder();

// The folder `name` inside `parent`.
FolderRef FolderIn(const FolderRef& parent, std::string name);

// The path of a file, link or folder from the disc's root: the folder holding it, shared,
// and its own name. It reads like the list of its names.
class ListedPath {
 public:
  ListedPath() = default;
  ListedPath(FolderRef folder, std::string name);
  // The path of these names from the root (tests and messages).
  ListedPath(const std::vector<std::string>& names);  // not explicit: a path reads as its names

  // The number of names from the root; 0 for the root itself.
  std::size_t size() const { return name_.empty() && !folder_ ? 0 : Depth(folder_) + 1; }
  bool empty() const { return size() == 0; }
  // Its own name, the last of its path.
  const std::string& back() const { return name_; }
  const FolderRef& Folder() const { return folder_; }
  // Its names from the root, as the disc spells them.
  std::vector<std::string> Names() const;

 private:
  static std::size_t Depth(const FolderRef& folder) { return folder ? folder->depth : 0; }

  FolderRef folder_;
  std::string name_;
};

// The names of `path` joined by '/', for messages and keys; "" for the root.
std::string PathText(const ListedPath& path);
std::string PathText(const ListedFolder& folder);
std::string PathText(const std::vector<std::string>& path);

}  // namespace orlenta
