// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace orlenta {

// Opens the block device at `path` for reading without the page cache (O_DIRECT), so that
// the kernel reads ahead of nothing and a bad sector is asked for only when it is read; the
// ordinary way when the device refuses. -1 when it cannot be opened.
int OpenBlockDeviceDirect(const std::string& path);

// Reads into.size() bytes at `offset` of the device open as `fd`, whatever the buffer and
// offset: a device opened with O_DIRECT is read in whole sectors of `sectorSize` bytes
// through an aligned buffer. Returns how many bytes arrived, fewer when the device ends or
// a read fails first (errno then says why).
std::size_t ReadBlockDevice(int fd, uint64_t offset, std::span<uint8_t> into, uint32_t sectorSize);

}  // namespace orlenta
