// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orlenta {

// How recovered files are told and ended: as described (the ten kinds, every file running
// up to the next header), or cut at the end each file's own structure tells, with the wider
// detection of more kinds.
enum class RecoveryChoice { kAsDescribed, kExactAndMoreKinds };

// The choice stored in the options file at `path`: a small text file of "key=value" lines
// beside the settings file. A missing, unreadable or unknown entry reads as kAsDescribed.
RecoveryChoice LoadRecoveryChoice(const std::string& path);

// Stores `choice` in the options file at `path`, keeping its other lines, replacing the
// file in one step. False on failure, the old file then untouched.
bool SaveRecoveryChoice(const std::string& path, RecoveryChoice choice);

// Whether files come back under their own names where the disc's directory can still be
// read, the rest carved beside them: "names=on" in the options file at `path`; off when the
// entry is missing, unreadable or unknown.
bool NamesChosen(const std::string& path);

// Stores whether names are chosen ("on" or "off") as SaveRecoveryChoice stores the choice.
bool SaveNamesChoice(const std::string& path, bool names);

// The options file beside the settings file at `settingsPath`: "options" in its folder.
std::string OptionsPathBeside(const std::string& settingsPath);

// The words the options file and the command lines use: "described", "exact".
const char* RecoveryChoiceWord(RecoveryChoice choice);

}  // namespace orlenta
