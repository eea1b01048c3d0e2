// SPDX-License-Identifier: GPL-3.0-or-later
#include "listed_path.h"

#include <algorithm>

namespace orlenta {

FolderRef RootFolder() {
  return std::make_shared<const ListedFolder>();
}

FolderRef FolderIn(const FolderRef& parent, std::string name) {
  const uint32_t depth = parent ? parent->depth + 1 : 1;
  return std::make_shared<const ListedFolder>(ListedFolder{parent, std::move(name), depth});
}

ListedPath::ListedPath(FolderRef folder, std::string name)
    : folder_(std::move(folder)), name_(std::move(name)) {}

ListedPath::ListedPath(const std::vector<std::string>& names) {
  if (names.empty()) return;
  FolderRef folder = RootFolder();
  for (std::size_t i = 0; i + 1 < names.size(); ++i) folder = FolderIn(folder, names[i]);
  folder_ = std::move(folder);
  name_ = names.back();
}

std::vector<std::string> ListedPath::Names() const {
  std::vector<std::string> names;
  if (empty()) return names;
  names.reserve(size());
  names.push_back(name_);
  for (const ListedFolder* folder = folder_.get(); folder && folder->depth > 0;
       folder = folder->parent.get()) {
    names.push_back(folder->name);
  }
  std::reverse(names.begin(), names.end());
  return names;
}

std::string PathText(const std::vector<std::string>& path) {
  std::string text;
  for (const std::string& name : path) {
    if (!text.empty()) text += '/';
    text += name;
  }
  return text;
}

std::string PathText(const ListedPath& path) {
  return PathText(path.Names());
}

std::string PathText(const ListedFolder& folder) {
  return PathText(ListedPath(folder.parent, folder.depth == 0 ? std::string() : folder.name));
}

}  // namespace orlenta
