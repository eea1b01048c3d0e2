// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "engine/sector_map.h"
#include "rescue/rescue_mapfile.h"

namespace orlenta {

// The mapfile of a run, kept true as the run goes. Each version is written whole to a new
// file beside it, flushed to the disk and renamed over the one before, so a run that is
// killed (or a power cut) leaves the last version written, never an empty or half file.
class MapfileKeeper {
 public:
  MapfileKeeper(std::string path, MapfileRun about);

  // Writes the first version, nothing tried yet, where no file may exist. Returns 0, or
  // the errno of the failure (EEXIST for an existing file, left as it was).
  int Create();

  // Replaces the mapfile with what `map` says now. False when it could not be written; the
  // version before then stays in place.
  bool Save(const SectorMap& map);

  // Takes away the mapfile Create wrote, for a run refused before it started.
  void Remove();

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  MapfileRun about_;
};

}  // namespace orlenta
