// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "engine/volume.h"
#include "sector_layout.h"

namespace orlenta {

// Where framed sectors are read from: a file, or a drive's own raw reads.
class FramedSource {
 public:
  virtual ~FramedSource() = default;
  // Reads into.size() bytes from byte `offset`; returns how many arrived, fewer when the
  // source ends or a read fails first (errno then says why).
  virtual std::size_t Read(uint64_t offset, std::span<uint8_t> into) = 0;
  // After a short read with `readErrno`: true when the medium no longer reaches byte `end`
  // (cut short, or taken out) rather than a sector failing.
  virtual bool EndsBefore(uint64_t end, int readErrno) = 0;
};

// A volume whose sectors are the data parts of framed sectors in a file (open as `fd`, which
// the volume closes): each read takes the raw sectors it covers in one system call and hands
// back their data only, so no framing byte ever reaches a recovered file.
std::unique_ptr<Volume> MakeRawVolume(int fd, const SectorLayout& layout);

// The same over framed sectors from `source`.
std::unique_ptr<Volume> MakeRawVolume(std::unique_ptr<FramedSource> source,
                                      const SectorLayout& layout);

}  // namespace orlenta
