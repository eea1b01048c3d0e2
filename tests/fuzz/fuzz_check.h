// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <cstdlib>

namespace orlenta {

// Stops the run with `what` on stderr when a property that must hold for every input does
// not: the fuzzer keeps the input that broke it, and the corpus replay fails.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

}  // namespace orlenta
