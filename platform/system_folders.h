// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orlenta {

// Where the settings file lives: $XDG_CONFIG_HOME/orlenta/ (default ~/.config/orlenta/).
std::string SettingsFolder();

// The settings file itself, "propCD.pro" in the settings folder.
std::string SettingsPath();

// Where recovered files go when the settings name no folder: ~/RecoveredByQuarn, without
// and with its trailing separator.
std::string DefaultOutputFolder();
std::string DefaultOutputFolderWithSeparator();

// Creates the default output folder when it is missing; failures are left unsaid.
void CreateDefaultOutputFolder();

// `folder` with a trailing '/' added when it has none (and "" left as it is).
std::string WithTrailingSeparator(std::string folder);

}  // namespace orlenta
