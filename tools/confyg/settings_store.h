// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "confyg_paths.h"
#include "drive_map_text.h"
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
// sets the check value. Holds the settings folder's lock throughout.
InitOutcome InitSettings(const ConfygPaths& paths);

// What an edit of the settings file or the drive map did.
enum class EditOutcome {
  kStored,      // the file now holds the edit
  kUnreadable,  // the file is there but cannot be read; nothing was written
  kWriteFailed  // the file could not be locked or written; an old one is untouched
};

// Applies `edit` to the settings file as it is now (the defaults when there is none), under
// the settings folder's lock, so that an edit made meanwhile by another program is kept.
EditOutcome EditSettings(const ConfygPaths& paths, const SettingsEdit& edit);

// Makes `changes` to the drive map file at `path` as it is now, under the lock of its folder,
// every other line of the file kept as it was.
EditOutcome EditDriveMapFile(const std::string& path, const DriveChanges& changes);

// The record to edit: the settings file's, or the defaults when there is none; nullopt when
// the file is there but cannot be read.
std::optional<RecoverySettings> LoadSettingsForEditing(const ConfygPaths& paths);

// Writes `record` as the settings file, creating the settings folder when missing, in one
// step that leaves an old file untouched when it fails. False on failure.
bool StoreSettings(const ConfygPaths& paths, const RecoverySettings& record);

}  // namespace orlenta
