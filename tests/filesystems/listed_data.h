// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "filesystems/file_listing.h"

namespace orlenta {

// The bytes a listed file's extents hold in `image`, cut to its size.
inline std::string DataOf(const ListedFile& file, const std::vector<uint8_t>& image) {
  std::string data;
  for (const FileExtent& extent : file.extents) {
    data.append(reinterpret_cast<const char*>(image.data() + extent.offset), extent.length);
  }
  return data.substr(0, file.size);
}

// The folders of the listing's files that are held more than once (their paths): each
// folder is to be held once, however many files it holds.
inline std::vector<std::string> FoldersHeldTwice(const FileListing& listing) {
  std::map<std::string, const ListedFolder*> held;
  std::vector<std::string> twice;
  for (const ListedFile& file : listing.files) {
    const ListedFolder* folder = file.path.Folder().get();
    const std::string text = folder ? PathText(*folder) : "";
    if (held.try_emplace(text, folder).first->second != folder) twice.push_back(text);
  }
  return twice;
}

}  // namespace orlenta
