// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace orlenta {

// The device paths of the optical drives the kernel reports (block devices sr0, sr1, …
// whose SCSI device type is 5), in the kernel's order. `sysBlockRoot` and `devRoot` are
// /sys/class/block and /dev on a real system.
std::vector<std::string> KernelOpticalDrives(const std::string& sysBlockRoot = "/sys/class/block",
                                             const std::string& devRoot = "/dev");

// True when `path` can be opened for reading. A drive without a disc passes: only the
// right to read the device is tested, not the presence of a medium.
bool CanOpenForReading(const std::string& path);

}  // namespace orlenta
