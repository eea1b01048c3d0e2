// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_size_limit.h"

#include <csignal>

namespace orlenta {

FileSizeLimit::FileSizeLimit(rlim_t limit) {
  ::getrlimit(RLIMIT_FSIZE, &saved_);
  savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit lowered{limit, saved_.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &lowered);
}

FileSizeLimit::~FileSizeLimit() {
  ::setrlimit(RLIMIT_FSIZE, &saved_);
  std::signal(SIGXFSZ, savedSignal_);
}

}  // namespace orlenta
