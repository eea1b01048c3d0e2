// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orlenta {

// While it lives, whatever is written to stdout and stderr (by us or by a library that
// prints its own complaints) goes to a private file instead, so that it never reaches the
// user's terminal raw, nor a report someone redirected stdout into. A stream that was
// closed stays closed afterwards.
class OutputCapture {
 public:
  OutputCapture();
  ~OutputCapture();
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  // Puts stdout and stderr back and returns what was written meanwhile.
  std::string Finish();

 private:
  int file_ = -1;
  int saved_[2] = {-1, -1};  // stdout and stderr as they were; -1 when closed
  bool finished_ = false;
};

}  // namespace orlenta
