// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
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

}  // namespace orlenta
