// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress_line.h"

#include <cmath>
#include <cstdio>

#include "engine/sector_buffer.h"

namespace orlenta {

ProgressLine::ProgressLine(Clock clock, std::chrono::milliseconds refresh,
                           std::chrono::seconds window)
    : clock_(std::move(clock)), refresh_(refresh), window_(window) {}

std::optional<std::string> ProgressLine::Update(const ProgressSample& sample) {
  const auto now = clock_();
  if (lastShown_ && now - *lastShown_ < refresh_) return std::nullopt;
  lastShown_ = now;
  Record(sample, now);
  return Render(sample);
}

void ProgressLine::Record(const ProgressSample& sample, std::chrono::steady_clock::time_point now) {
  points_.push_back({now, sample.sectorsRead * sample.sectorSize});
  // Keep one point older than the window, so the rate always spans the whole window.
  while (points_.size() > 2 && now - points_[1].when >= window_) points_.pop_front();
}

std::optional<double> ProgressLine::Rate() const {
  if (points_.size() < 2) return std::nullopt;
  const std::chrono::duration<double> span = points_.back().when - points_.front().when;
  if (span.count() <= 0) return std::nullopt;
  return static_cast<double>(points_.back().bytes - points_.front().bytes) / span.count();
}

std::string ProgressLine::Render(const ProgressSample& sample) {
  char text[160];
  const int percent = ProgressPercent(sample.position, sample.total);
  const std::optional<double> rate = Rate();
  std::string speed = "  --.- MB/s";
  std::string left = "ETA --:--";
  if (rate) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%6.1f MB/s", *rate / 1e6);
    speed = buffer;
    const uint64_t remaining = sample.total > sample.position ? sample.total - sample.position : 0;
    if (*rate > 0)
      left = "ETA " + FormatDuration(static_cast<double>(remaining) * sample.sectorSize / *rate);
  }
  std::snprintf(text, sizeof text, "%3d%%  %s  %s  %llu file%s", percent, speed.c_str(),
                left.c_str(), static_cast<unsigned long long>(sample.files),
                sample.files == 1 ? "" : "s");
  return text;
}

std::string FormatDuration(double seconds) {
  // Beyond 99 hours the figure means nothing to anyone waiting for it.
  if (!(seconds < 99.0 * 3600)) return ">99h";
  const long long whole = std::llround(seconds);
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  }
  return text;
}

}  // namespace orlenta
