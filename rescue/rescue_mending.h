// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "rescue_record.h"

namespace orlenta {

// What taking a later scan's files in did, by path in the output folder.
struct MendingOutcome {
  std::vector<std::string> added;   // files no earlier run made
  std::vector<std::string> mended;  // completed in place
  // Mended copies put beside a file that no longer holds what the run wrote.
  std::vector<std::string> copies;
  std::vector<std::string> failed;  // could not be put in place (the staged file is kept)
};

// Takes the files a later scan of the same image carved into a folder of its own (`staged`,
// with their paths there, in scan order) into `folder`, where `record` lists the files of
// earlier runs. A file with the same header and content as one recorded is dropped: no file
// is written twice. One whose content changed (sectors read since, or a header found
// in them that ends it sooner) takes the recorded file's place, but only while that still
// holds what the run wrote; otherwise it goes beside it. A file no earlier run made is added
// under its own name, or the next free one. With `stopped`, the file started last may be cut
// short by the stop and replaces nothing. `record` ends up listing every file, by header.
MendingOutcome TakeInStagedFiles(std::vector<RecordedFile>& record,
                                 const std::vector<RecordedFile>& staged, const std::string& folder,
                                 const std::string& stem, bool stopped);

}  // namespace orlenta
