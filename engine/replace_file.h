// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace orlenta {

// Puts `bytes` in place of the whole content of the file at `path` in one step: they go to a
// new file beside it, and that file is renamed over the old one, so that a
// failed write or a crash leaves the old content or the new one, never a mix of them. A file
// reached through a symbolic link is replaced where it really lives and keeps its
// permissions; a new file gets the usual ones. False on failure, the old file untouched.
bool ReplaceFileContents(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace orlenta
