// SPDX-License-Identifier: GPL-3.0-or-later
// Any text read as a drive map gives only drives B..M with a path that fits on one line, and
// the map written back reads as the same map: saving in the configuration program never
// changes a drive the user did not touch.
#include <string_view>

#include "fuzz_check.h"
#include "platform/drive_map_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orlenta;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto drives = ParseDriveMap(text);
  for (const auto& [letter, path] : drives) {
    Require(IsDriveLetter(letter), "only the letters B..M are read");
    Require(!path.empty(), "a drive has a path");
    Require(path.find('\n') == std::string::npos, "a path stays on its line");
  }
  Require(drives.size() <= 12, "at most twelve drives");
  const std::string saved = FormatDriveMap(drives);
  Require(ParseDriveMap(saved) == drives, "the map written back reads as the same map");
  Require(FormatDriveMap(ParseDriveMap(saved)) == saved, "writing is stable");
  return 0;
}
