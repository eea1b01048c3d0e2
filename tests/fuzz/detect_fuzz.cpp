// SPDX-License-Identifier: GPL-3.0-or-later
// Detection looks at a fixed depth of the sector buffer whatever a sector holds; it must
// answer 0..10 and never read outside the buffer.
#include <algorithm>
#include <cstdlib>

#include "engine/file_kind.h"
#include "engine/sector_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& buffer = orlenta::SectorBuffer;
  std::fill(buffer.begin(), buffer.end(), uint8_t{0});
  std::copy_n(data, std::min(size, buffer.size()), buffer.begin());
  const int kind = orlenta::DetectFileKind();
  if (kind < 0 || kind > orlenta::kFileKindCount) std::abort();
  return 0;
}
