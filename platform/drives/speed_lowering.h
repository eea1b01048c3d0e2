// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/volume.h"
#include "platform/image_reading.h"

namespace orlenta {

// A scratched disc reads best slowly, and a drive given a lower speed retries a bad sector
// for less long. When does the reader ask for one: at the first failing read, then again
// after every kFailuresPerStep more; each time for half the speed it asked last (8x when
// the drive was left to its own speed), never below kLowestSpeed, and never above a speed
// the user asked for.
class SpeedLowering {
 public:
  static constexpr int kFirstLoweredSpeed = 8;
  static constexpr int kLowestSpeed = 2;
  static constexpr uint64_t kFailuresPerStep = 8;

  // `asked`: the speed the drive was asked for when opened; nullopt when it chose its own.
  explicit SpeedLowering(std::optional<int> asked) : speed_(asked) {}

  // A read failed: the speed to ask the drive for now, or nullopt to leave it as it is.
  std::optional<int> ReadFailed();
  // The drive would not take the speed: none is asked again.
  void Refused() { gaveUp_ = true; }

 private:
  std::optional<int> speed_;
  uint64_t failures_ = 0;
  bool gaveUp_ = false;
};

// `volume`, the disc in the drive open as `fd` (which the result closes), with its speed
// lowered as SpeedLowering says whenever a read of it fails; `told` hears of each lowering.
std::unique_ptr<Volume> LowerSpeedOnReadErrors(std::unique_ptr<Volume> volume, int fd,
                                               std::optional<int> asked,
                                               std::function<void(const SpeedLowered&)> told);

// For the reads of the audio tracks of the disc in the drive at `path`, once its data is
// read: a call for each read that fails, which lowers the drive's speed as SpeedLowering
// says, from `speedNow` (the speed the drive was last asked for; nullopt when it chose its
// own). `told` hears of each lowering.
std::function<void()> LowerSpeedOnAudioErrors(const std::string& path, std::optional<int> speedNow,
                                              std::function<void(const SpeedLowered&)> told);

}  // namespace orlenta
