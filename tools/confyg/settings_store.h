// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <optional>
#include <string>

#include "confyg_paths.h"
#include "engine/settings_record.h"
#include "platform/drive_map_file.h"
#include "settings_edit.h"

namespace orlenta {

// A new user's settings: stem "REC", the default output folder, the folder left closed
// after a run, English, and `installFolder` (left empty when it is too long for its field).
RecoverySettings DefaultSettings(const std::string& installFolder);

// What InitSettings did.
enum class InitOutcome {
  kCreated,              // there was no settings file; one with the defaults was written
  kKept,                 // a whole file with a valid check value was there and was left alone
  kRepaired,             // a short file or one with a wrong check value was completed and rewritten
  kUnreadable,           // the file is there but cannot be read; nothing was written
  kWriteFailed,          // the file could not be written; an old one is untouched
  kDefaultFolderTooLong  // no file, and the default output folder does not fit its field
};

// Makes sure the settings file exists and is whole. A repair keeps every byte of the old
// record, fills an empty install folder and a language outside 1..6 with the defaults, and
// sets the check value.
InitOutcome InitSettings(const ConfygPaths& paths);

// The record to edit: the settings file's, or the defaults when there is none; nullopt when
// the file is there but cannot be read.
std::optional<RecoverySettings> LoadSettingsForEditing(const ConfygPaths& paths);

// Writes `record` as the settings file, creating the settings folder when missing, in one
// step that leaves an old file untouched when it fails. False on failure.
bool StoreSettings(const ConfygPaths& paths, const RecoverySettings& record);

// Writes `drives` as the drive map file in one step, creating its folder when missing.
bool StoreDriveMapFile(const std::string& path, const std::map<char, std::string>& drives);

}  // namespace orlenta
