// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/sector_layout.h"

namespace orlenta {

// What a block device's table of contents gives.
enum class TocStatus {
  kRead,        // an optical drive's disc: its tracks and sessions
  kNotOptical,  // not an optical drive (a hard disk, a loop device): read by capacity
  kUnreadable,  // an optical drive whose table of contents cannot be read (a scratched
                // lead-in): read by capacity from sector 0
};

struct DriveDisc {
  TocStatus status = TocStatus::kNotOptical;
  SectorLayout disc;  // for kRead: the disc, every track, in the disc's sector numbers
};

// Reads the table of contents of the drive open as `fd` (found at `path`) with the kernel's
// CD-ROM calls: tracks, data or audio, their starts and the start of the last session. A
// data track ends where the next track begins, or, before a later session, where the
// sectors between sessions begin; its sectors are Mode 2 when its first sector read raw says
// so, then read with the drive's raw reads so that Form 2 sectors come back too.
DriveDisc ReadDriveDisc(int fd, const std::string& path);

// Sectors no drive can read between the end of session `endingSession` and the first track
// of the next: lead-out, lead-in and pre-gap; longer after the first session.
uint64_t SectorsBetweenSessions(int endingSession);

}  // namespace orlenta
