// SPDX-License-Identifier: GPL-3.0-or-later
#include "interrupt.h"

#include <poll.h>

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

void RequestInterrupt(int signal) {
  OnInterrupt(signal);
}

bool ReaderGone(std::FILE* stream) {
  pollfd watched{::fileno(stream), 0, 0};
  return ::poll(&watched, 1, 0) == 1 && (watched.revents & (POLLERR | POLLHUP)) != 0;
}

}  // namespace orlenta
