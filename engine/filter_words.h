// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "file_filter.h"

namespace orlenta {

// The words of a file filter, as the command lines take them and the options file keeps
// them ("kinds=jpeg,png", "min-size=64k", "min-pixels=640x480").

// "jpeg,PNG" as the names in it, split at the commas; empty names are kept, to be refused.
std::vector<std::string> CommaList(const std::string& text);
// "100", "64k", "2M" as a number of bytes (k, M and G multiply by 1,024 each); nullopt when
// it is none.
std::optional<uint64_t> ByteCount(const std::string& text);
// "640x480" as its two numbers; nullopt when it is not of that shape.
std::optional<std::pair<uint32_t, uint32_t>> PixelCount(const std::string& text);

// Why each word cannot be the value of its condition ("" when it can).
std::string KindsProblem(const std::string& list);
std::string ByteCountProblem(const std::string& text);
std::string PixelCountProblem(const std::string& text);

// The filter the options file at `path` keeps for the window: its "kinds", "min-size" and
// "min-pixels" lines. A line that is missing, empty or cannot be read sets no condition, so
// a damaged file never leaves files out.
FileFilter LoadFileFilter(const std::string& path);

}  // namespace orlenta
