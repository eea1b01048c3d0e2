// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "value_checks.h"

namespace orlenta {

// The message of a refused value as the window shows it, in the language installed for
// the window; empty when the value passed.
QString ShownText(const ValueCheck& check);

}  // namespace orlenta
