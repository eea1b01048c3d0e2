// SPDX-License-Identifier: GPL-3.0-or-later
#include "speed_lowering.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "drive_reads.h"

namespace orlenta {
namespace {

// Asks the drive open as `fd` for the speed `lowering` says after a failed read, and tells
// `told` of it.
void LowerAfterFailure(int fd, SpeedLowering& lowering,
                       const std::function<void(const SpeedLowered&)>& told) {
  const std::optional<int> speed = lowering.ReadFailed();
  if (!speed) return;
  const bool taken = SelectDriveSpeed(fd, *speed);
  if (!taken) lowering.Refused();
  if (told) told({*speed, !taken});
}

// The drive and its lowering, shared by the copies of an audio reader's failure call.
struct AudioSpeedLowering {
  AudioSpeedLowering(int fd, std::optional<int> speedNow,
                     std::function<void(const SpeedLowered&)> toldOf)
      : drive(fd), lowering(speedNow), told(std::move(toldOf)) {}
  DriveHandle drive;
  SpeedLowering lowering;
  std::function<void(const SpeedLowered&)> told;
};

class SpeedLoweringVolume final : public Volume {
 public:
  SpeedLoweringVolume(std::unique_ptr<Volume> volume, int fd, std::optional<int> asked,
                      std::function<void(const SpeedLowered&)> told)
      : volume_(std::move(volume)), drive_(fd), lowering_(asked), told_(std::move(told)) {}

  uint32_t SectorSize() const override { return volume_->SectorSize(); }
  uint64_t SectorCount() const override { return volume_->SectorCount(); }
  uint32_t SectorDataBytes(uint64_t sector) override { return volume_->SectorDataBytes(sector); }
  std::vector<MediumTrack> Tracks() const override { return volume_->Tracks(); }

  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    const int64_t got = volume_->ReadAt(offset, into);
    if (Failed(offset, into.size(), got)) {
      const int readErrno = errno;  // the caller's to judge, whatever the speed call does
      Lower();
      errno = readErrno;
    }
    return got;
  }

 private:
  // A read that stopped short of what it asked, before the end of the disc: a bad sector,
  // not a disc taken out.
  bool Failed(uint64_t offset, std::size_t asked, int64_t got) const {
    if (got == kMediumGone) return false;
    if (got < 0) return true;
    const uint64_t end = volume_->SectorCount() * volume_->SectorSize();
    return static_cast<std::size_t>(got) < asked && offset + static_cast<uint64_t>(got) < end;
  }

  void Lower() { LowerAfterFailure(drive_.Fd(), lowering_, told_); }

  std::unique_ptr<Volume> volume_;
  DriveHandle drive_;
  SpeedLowering lowering_;
  std::function<void(const SpeedLowered&)> told_;
};

}  // namespace

std::optional<int> SpeedLowering::ReadFailed() {
  const bool due = failures_++ % kFailuresPerStep == 0;
  if (gaveUp_ || !due) return std::nullopt;
  if (!speed_) return speed_ = kFirstLoweredSpeed;
  const int lower = std::max(kLowestSpeed, *speed_ / 2);
  if (lower >= *speed_) return std::nullopt;
  return speed_ = lower;
}

std::unique_ptr<Volume> LowerSpeedOnReadErrors(std::unique_ptr<Volume> volume, int fd,
                                               std::optional<int> asked,
                                               std::function<void(const SpeedLowered&)> told) {
  if (!volume) {
    if (fd >= 0) ::close(fd);
    return nullptr;
  }
  return std::make_unique<SpeedLoweringVolume>(std::move(volume), fd, asked, std::move(told));
}

std::function<void()> LowerSpeedOnAudioErrors(const std::string& path, std::optional<int> speedNow,
                                              std::function<void(const SpeedLowered&)> told) {
  const auto state = std::make_shared<AudioSpeedLowering>(
      ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC), speedNow, std::move(told));
  return [state] { LowerAfterFailure(state->drive.Fd(), state->lowering, state->told); };
}

}  // namespace orlenta
