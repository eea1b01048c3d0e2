// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host.h"
#include "localized_text.h"
#include "settings_record.h"

namespace orlenta {

extern const LocalizedText WriteErrorText;

enum class SettingsStatus {
  kLoaded,
  kMissing,     // no settings file
  kUnreadable,  // there, but it cannot be opened for reading
};

struct LoadedSettings {
  SettingsStatus status = SettingsStatus::kMissing;
  RecoverySettings record;  // all zero unless loaded; a short file reads as zero-padded
  std::size_t bytes = 0;    // how many bytes of the record the file really held
};

// Reads the record from the settings file at `path`. Anything but a plain file (a FIFO, a
// device, a folder) is unreadable and never opened.
LoadedSettings LoadSettings(const std::string& path);

// True when `text` holds a control character (0x00 to 0x1F, 0x7F): no name of a folder or a
// file made from the settings may, or it would split the lines that list them.
bool HoldsControlCharacter(std::string_view text);

// Why the output folder of loaded `settings` must not be used, "" when it may: its text
// must end inside its field, on a byte the file really holds (a file cut short would give
// a cut-off folder), hold no control characters (random bytes would give a binary name)
// and be an absolute path (a relative one would depend on the current folder). An empty
// field is fine: it stands for the default folder.
std::string OutputFolderProblem(const LoadedSettings& settings);

// The output folder the settings file names now ("" when its field is empty); nullopt when
// the file cannot be read or the folder must not be used (see OutputFolderProblem).
std::optional<std::string> ReadOutputFolder(const std::string& path);

// True when the file's CheckValue equals its byte 419, sign-extended.
bool VerifySettings(const std::string& path);

// The byte at offset 419 of the file, sign-extended; 0 when it cannot be opened.
int32_t ComputeCheckValue(const std::string& path);

// Writes `record` as the whole settings file at `path`, followed by its check value once more
// (624 bytes, the shape every save of the program has), replacing any old file in one step.
// False on failure, the old file then untouched.
bool WriteSettingsFile(const std::string& path, const RecoverySettings& record);

// Stores `language` in the settings file at `path`, every other byte kept, as a 624-byte
// file: the record followed by its check value once more. Failures are told in `language`.
// Nothing is written when a check failed, and the new file replaces the old one in one
// step, so a failed save never leaves a blank or half-written settings file.
void SaveLanguage(const std::string& path, int language, MessageSink& messages);

}  // namespace orlenta
