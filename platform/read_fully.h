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

// After a read of the file or device open as `fd` came up short (with `readErrno`, 0 for
// the end of the file): true when the medium no longer reaches byte `end`, because the
// image was cut short or the disc was taken out, rather than a sector failing to read.
bool MediumEndsBefore(int fd, uint64_t end, int readErrno);

}  // namespace orlenta
