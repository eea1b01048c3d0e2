// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace orlenta {

// The options file: a small text file of "key=value" lines beside the settings file, which
// the window, confyg and the command line share.

// The value of the last `key` line of the file at `path`; nullopt when it has none or
// cannot be read.
std::optional<std::string> LoadOption(const std::string& path, const std::string& key);

// Stores `key`=`value` in the file at `path`, keeping its other lines, replacing the file in
// one step. False on failure, the old file then untouched.
bool SaveOption(const std::string& path, const std::string& key, const std::string& value);

// Whether audio tracks are written as WAV files: on unless the options file says "audio=off".
bool AudioTracksWanted(const std::string& path);

// Whether a drive's audio is read through the error correction: on unless the options file
// says "paranoia=off".
bool AudioErrorCorrectionWanted(const std::string& path);

// Whether the window sorts recovered files into a folder per kind: "by-kind=on".
bool FilesSortedByKind(const std::string& path);

// The optical drive's read speed the file asks for ("speed=N", 1 to 255); nullopt when it
// asks for none, or for one out of that range.
std::optional<int> DriveSpeedWanted(const std::string& path);

}  // namespace orlenta
