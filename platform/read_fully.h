// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace orlenta {

// Reads `into.size()` bytes at byte `offset` of the file open as `fd`, going on after short
// reads and interrupted calls. Returns how many bytes arrived: all of them, or fewer when
// the file ends or a read fails first.
std::size_t ReadFully(int fd, uint64_t offset, std::span<uint8_t> into);

}  // namespace orlenta
