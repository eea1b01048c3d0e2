// SPDX-License-Identifier: GPL-3.0-or-later
#include "carve_rules.h"

namespace orlenta {

const CarveRules& DefaultCarveRules() {
  static const DescribedRules rules;
  return rules;
}

}  // namespace orlenta
