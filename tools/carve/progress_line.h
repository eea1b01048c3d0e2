// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace orlenta {

// Where the scan stands, as the progress line sees it.
struct ProgressSample {
  uint64_t position = 0;     // the sector being processed
  uint64_t total = 0;        // sectors of the volume
  uint64_t sectorsRead = 0;  // reads so far, re-reads included
  uint32_t sectorSize = 0;
  uint64_t files = 0;
};

// The one refreshing line of the command line's progress: percentage, MB/s, time left and
// files so far. Rate and time left come from the last few seconds only, so a stretch of slow
// bad sectors shows as slow now and is forgotten once the reads are fast again.
class ProgressLine {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  explicit ProgressLine(Clock clock = std::chrono::steady_clock::now,
                        std::chrono::milliseconds refresh = std::chrono::milliseconds(250),
                        std::chrono::seconds window = std::chrono::seconds(5));

  // The line to show now, or nullopt when the last one shown is recent enough.
  std::optional<std::string> Update(const ProgressSample& sample);

  // The line for `sample`, whatever the time (for tests and the final refresh).
  std::string Render(const ProgressSample& sample);

  // Bytes per second over the window; nullopt before there are two samples apart in time.
  std::optional<double> Rate() const;

 private:
  struct Point {
    std::chrono::steady_clock::time_point when;
    uint64_t bytes;
  };
  void Record(const ProgressSample& sample, std::chrono::steady_clock::time_point now);

  Clock clock_;
  std::chrono::milliseconds refresh_;
  std::chrono::seconds window_;
  std::deque<Point> points_;
  std::optional<std::chrono::steady_clock::time_point> lastShown_;
};

// "1:02:03" or "2:03".
std::string FormatDuration(double seconds);

}  // namespace orlenta
