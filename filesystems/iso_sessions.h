// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "block_reader.h"

namespace orlenta {

// One copy of a session's directories: a volume descriptor's root and path table.
struct IsoTree {
  uint64_t rootExtent = 0;
  uint32_t rootSize = 0;
  bool joliet = false;
  uint32_t pathTableBlock = 0;
  uint32_t pathTableSize = 0;
};

// One session of an ISO 9660 disc: the volume descriptors written with it, which lead to
// the whole tree as that session left it (files of earlier sessions included).
struct IsoSession {
  uint64_t start = 0;   // its first block; its descriptors begin 16 blocks in
  uint32_t number = 0;  // 1 for the oldest
  uint32_t spaceBlocks = 0;
  std::optional<IsoTree> primary;
  std::optional<IsoTree> joliet;
  std::string label;
};

// Every session the volume holds, oldest first (the last is the disc as it reads today).
// Sessions are found through the descriptors at block 16, at each data track's start
// (`trackStarts`, in blocks), and after each session's end: where a write-once disc's next
// session begins (after the gap a CD leaves between sessions, or none in an image file),
// and where a rewritable disc or an image file appended to continues. A copy of the last
// session's descriptors kept at block 16 is the same session.
std::vector<IsoSession> FindIsoSessions(BlockReader& blocks,
                                        std::span<const uint64_t> trackStarts = {});

}  // namespace orlenta
