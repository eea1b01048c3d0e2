// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace orlenta {

// The drive letters a user may give a volume: B to M, twelve in all.
inline constexpr char kFirstDriveLetter = 'B';
inline constexpr char kLastDriveLetter = 'M';

// True for an upper-case letter from B to M.
bool IsDriveLetter(char letter);

// The drive map file: one "LETTER=PATH" line per drive. Blank lines and lines starting
// with '#' are ignored, a lower-case letter counts as its upper-case one, letters outside
// B..M and lines without '=' are skipped, and a later line for a letter replaces an
// earlier one. The path runs to the end of the line as it stands (spaces included), less
// the carriage returns of a CRLF line end.
std::map<char, std::string> ParseDriveMap(std::string_view text);

// The file text for `drives`, one line per drive in letter order, that ParseDriveMap reads
// back as the same map.
std::string FormatDriveMap(const std::map<char, std::string>& drives);

// The drives of the drive map file at `path`: none when there is no such file, nullopt when
// it is there but cannot be read or is not a plain file (a FIFO is never waited for).
std::optional<std::map<char, std::string>> LoadDriveMapFile(const std::string& path);

// The name of the drive map file in the settings folder.
inline constexpr const char* kDriveMapFileName = "drives";

}  // namespace orlenta
