// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>

namespace orlenta {

// On a first start there is no settings file yet: the configuration program beside this
// one (`programFolder`/confyg) writes one with its defaults before the window comes up.
// Nothing happens when the file exists or the configuration program is not there; the
// window then says what is missing as usual. Returns true when the file exists afterwards.
bool PrepareFirstRun(const std::string& settingsPath, const QString& programFolder);

}  // namespace orlenta
