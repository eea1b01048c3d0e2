// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>

namespace orlenta {

// What it takes to make a written file last through a power cut is the system's business:
// these two are defined by the platform layer, beside the volume sources.

// Pushes everything written to `file` (already flushed from its buffer) down to the disk.
// False when the system could not.
bool FlushFileToDisk(std::FILE* file);

// Pushes the entries of `folder` down to the disk, so that a file just renamed into it keeps
// its new name after a power cut. False when the system could not.
bool FlushFolderToDisk(const std::string& folder);

}  // namespace orlenta
