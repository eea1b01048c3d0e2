// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/file_kind.h"
#include "format_family.h"

namespace orlenta {

// The kinds beyond the described ten that --more-kinds recognises: each with its own
// counter and its usual extension (FileKindExtension and FileKindName know them all).
// Numbered from kFileKindCount + 1; kAllKindCount is the highest.
// (The kinds themselves are listed in engine/file_kind.h; the families, in format_registry.cpp.)

// The header test of the wider detection: `sector` holds at least `size` bytes of one
// sector (and, like SectorBuffer, stays readable up to kDetectionDepth bytes). Returns
// kNoHeader or any kind, old or new. Strict enough that random data and text never pass.
FileKind DetectMoreKinds(const uint8_t* sector, std::size_t size);

// A fresh end finder for a file of `kind`, or nullptr when that kind's end cannot be
// found from its structure.
std::unique_ptr<EndFinder> MakeEndFinder(FileKind kind);

}  // namespace orlenta
