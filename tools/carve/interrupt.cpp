// SPDX-License-Identifier: GPL-3.0-or-later
#include "interrupt.h"

#include <csignal>
#include <initializer_list>

namespace orlenta {
namespace {

volatile std::sig_atomic_t interruptSignal = 0;

extern "C" void OnInterrupt(int signal) {
  if (interruptSignal == 0) interruptSignal = signal;
}

void Handle(int signal) {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocked open or read returns EINTR
  sigaction(signal, &action, nullptr);
}

}  // namespace

void InstallInterruptHandler() {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) Handle(signal);
  std::signal(SIGXFSZ, SIG_IGN);
}

bool InterruptRequested() {
  return interruptSignal != 0;
}

int InterruptSignal() {
  return interruptSignal;
}

}  // namespace orlenta
