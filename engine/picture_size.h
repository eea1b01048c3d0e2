// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "file_kind.h"

namespace orlenta {

struct PictureSize {
  uint32_t width = 0;
  uint32_t height = 0;
};

// The dimensions a picture's header gives, read from the file's first bytes (its header
// sector): JPEG (its first frame header, segments before it skipped by their lengths, so an
// embedded thumbnail is never taken for the picture), PNG, GIF and BMP. nullopt for other
// kinds, and when the bytes at hand do not tell (a JPEG whose metadata runs past them).
std::optional<PictureSize> PictureSizeOf(FileKind kind, std::span<const uint8_t> header);

}  // namespace orlenta
