// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orlenta {

// Changes to the drive map, in order: a letter B..M and its new path, or "" to take the
// letter away.
using DriveChanges = std::vector<std::pair<char, std::string>>;

// The changes that turn the drives `before` into `after`, in letter order.
DriveChanges DriveChangesBetween(const std::map<char, std::string>& before,
                                 const std::map<char, std::string>& after);

// The drive map file's `text` with `changes` made, every other line kept as the user wrote
// it: comments, blank lines, lines it does not understand and the other letters' lines. A
// letter set anew takes the place of its last line, and any earlier line of that letter (which
// the later one overrode) goes; a new letter is added at the end; a letter taken away loses
// all its lines. Empty `text` is a new file and starts with a comment saying what it holds.
std::string EditDriveMapText(std::string_view text, const DriveChanges& changes);

}  // namespace orlenta
