// SPDX-License-Identifier: GPL-3.0-or-later
#include "chosen_rules.h"

#include "formats/format_registry.h"

namespace orlenta {

FileKind ChosenRules::Detect(const uint8_t* sector, std::size_t size) const {
  return moreKinds_ ? DetectMoreKinds(sector, size) : DetectFileKindIn(sector);
}

std::unique_ptr<EndFinder> ChosenRules::FinderFor(FileKind kind) const {
  return exact_ ? MakeEndFinder(kind) : nullptr;
}

}  // namespace orlenta
