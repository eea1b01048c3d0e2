// SPDX-License-Identifier: GPL-3.0-or-later
#include "interrupt.h"

#include <csignal>

namespace orlenta {
namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
  interrupted = 1;
}

}  // namespace

void InstallInterruptHandler() {
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

bool InterruptRequested() {
  return interrupted != 0;
}

}  // namespace orlenta
