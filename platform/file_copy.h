// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace orlenta {

// Copies `length` bytes from byte `offset` of the file open as `from` to byte `toOffset` of
// the file open as `to`, inside the kernel: the bytes never pass through the program's
// memory. Goes on after short copies and interrupted calls. Returns how many bytes were
// copied, from the first: all of them, fewer when the source ends or a read fails first,
// 0 when the two files cannot be copied between this way.
uint64_t CopyInKernel(int from, uint64_t offset, int to, uint64_t toOffset, uint64_t length);

}  // namespace orlenta
