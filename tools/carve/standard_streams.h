// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orlenta {

// Opens /dev/null on each of stdin, stdout and stderr that was closed when the program
// started. Without it the first file the program opens (the report, a recovered file)
// would get descriptor 1 or 2, and every message meant for the terminal would be written
// into that file. Returns false when a descriptor could not be filled; the program must
// not go on then.
bool KeepStandardStreamsOpen();

}  // namespace orlenta
