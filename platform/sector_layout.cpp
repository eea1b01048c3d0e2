// SPDX-License-Identifier: GPL-3.0-or-later
#include "sector_layout.h"

namespace orlenta {

const char* RawModeName(RawMode mode) {
  switch (mode) {
    case RawMode::kMode1:
      return "Mode 1";
    case RawMode::kMode2Form1:
      return "Mode 2 Form 1";
    case RawMode::kMode2Form2:
      return "Mode 2 Form 2";
    case RawMode::kMode2:
      return "Mode 2";
    case RawMode::kNone:
      break;
  }
  return "";
}

const char* ContainerName(Container container) {
  return container == Container::kExpertWitness ? "Expert Witness (EWF)" : "";
}

}  // namespace orlenta
