// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace orlenta {

// The name a source's folder takes in a batch: the source's file name without its last
// extension ("/media/disc1.iso" gives "disc1", "/dev/sr0" gives "sr0"); "source" when
// nothing of it is left.
std::string SourceFolderName(const std::string& source);

// Creates a new folder for `name` under `root`: root/name, else root/name-2, root/name-3, …,
// the first that did not exist, so that no run ever writes into another's folder (an earlier
// run's, or another source's of the same name). Returns its path; nullopt when none can be
// created, with the errno in `errnum`.
std::optional<std::string> CreateSourceFolder(const std::string& root, const std::string& name,
                                              int& errnum);

}  // namespace orlenta
