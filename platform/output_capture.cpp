// SPDX-License-Identifier: GPL-3.0-or-later
#include "output_capture.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

namespace orlenta {
namespace {

constexpr int kStreams[2] = {STDOUT_FILENO, STDERR_FILENO};

// A copy of `fd` above the standard streams, so that closing or replacing those never
// touches it; -1 when `fd` is not open.
int DuplicateAbove(int fd) {
  return fd < 0 ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

}  // namespace

OutputCapture::OutputCapture() {
  std::fflush(stdout);
  std::fflush(stderr);
  const int memory = ::memfd_create("orlenta-output", MFD_CLOEXEC);
  file_ = DuplicateAbove(memory);
  if (memory >= 0) ::close(memory);
  for (int i = 0; i < 2; ++i) {
    saved_[i] = DuplicateAbove(kStreams[i]);
    if (file_ >= 0) {
      ::dup2(file_, kStreams[i]);
    } else {
      ::close(kStreams[i]);  // nowhere to keep the text: it is dropped rather than shown
    }
  }
}

OutputCapture::~OutputCapture() {
  Finish();
}

std::string OutputCapture::Finish() {
  if (finished_) return "";
  finished_ = true;
  std::fflush(stdout);
  std::fflush(stderr);
  for (int i = 0; i < 2; ++i) {
    if (saved_[i] >= 0) {
      ::dup2(saved_[i], kStreams[i]);
      ::close(saved_[i]);
    } else {
      ::close(kStreams[i]);
    }
  }
  std::string text;
  if (file_ < 0) return text;
  char chunk[4096];
  for (off_t at = 0;;) {
    const ssize_t got = ::pread(file_, chunk, sizeof chunk, at);
    if (got <= 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
    at += got;
  }
  ::close(file_);
  return text;
}

}  // namespace orlenta
