// SPDX-License-Identifier: GPL-3.0-or-later
#include "rescue_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/replace_file.h"

namespace orlenta {
namespace {

std::string Why(const std::string& path, const std::string& what) {
  return path + ": " + what + (errno != 0 ? std::string(" (") + std::strerror(errno) + ")" : "");
}

std::optional<std::string> WholeText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

RescueImage::~RescueImage() {
  if (fd_ >= 0) ::close(fd_);
}

std::string RescueImage::Open(const std::string& imagePath, const std::string& mapfilePath,
                              uint64_t sectorCount, uint32_t sectorSize) {
  mapfilePath_ = mapfilePath;
  sectorSize_ = sectorSize;
  states_.assign(sectorCount, SectorState::kSkipped);
  errno = 0;
  struct stat info {};
  resumed_ = ::stat(mapfilePath.c_str(), &info) == 0;
  if (resumed_) {
    const std::optional<std::string> text = WholeText(mapfilePath);
    if (!text) return Why(mapfilePath, "cannot read the mapfile");
    std::optional<std::vector<SectorState>> map =
        ParseRescueMapfile(*text, sectorCount, sectorSize);
    if (!map) return mapfilePath + ": is not a mapfile of this source";
    states_ = std::move(*map);
    // The image must be there to go on with: a mapfile without its image says sectors
    // are kept that are not.
    fd_ = ::open(imagePath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd_ < 0) return Why(imagePath, "cannot open the image its mapfile describes");
  } else {
    // Never over an existing file: it may be another disc's image, or the user's own.
    fd_ = ::open(imagePath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0) {
      return Why(imagePath, errno == EEXIST ? "exists already without its mapfile " + mapfilePath
                                            : "cannot create the image");
    }
  }
  if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return Why(imagePath, "is not a file");
  // Full length from the start, sparse: a rescue tool sees the whole volume's size.
  const auto bytes = static_cast<off_t>(sectorCount * sectorSize);
  if (info.st_size < bytes && ::ftruncate(fd_, bytes) != 0) {
    return Why(imagePath, "cannot size the image");
  }
  return "";
}

bool RescueImage::Load(uint64_t first, uint64_t count, std::span<uint8_t> into) const {
  const std::size_t length = count * sectorSize_;
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got = ::pread(fd_, into.data() + done, length - done,
                                static_cast<off_t>(first * sectorSize_ + done));
    if (got <= 0) {
      if (got < 0 && errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(got);
  }
  return true;
}

void RescueImage::Store(uint64_t first, uint64_t count, std::span<const uint8_t> bytes) {
  const std::size_t length = count * sectorSize_;
  std::size_t done = 0;
  while (done < length) {
    const ssize_t wrote = ::pwrite(fd_, bytes.data() + done, length - done,
                                   static_cast<off_t>(first * sectorSize_ + done));
    if (wrote <= 0) {
      if (wrote < 0 && errno == EINTR) continue;
      writeFailed_ = true;
      return;
    }
    done += static_cast<std::size_t>(wrote);
  }
  std::fill_n(states_.begin() + static_cast<std::ptrdiff_t>(first), count, SectorState::kRead);
}

void RescueImage::MarkBad(uint64_t sector) {
  if (states_[sector] != SectorState::kRead) states_[sector] = SectorState::kBad;
}

uint64_t RescueImage::Count(SectorState state) const {
  return static_cast<uint64_t>(std::count(states_.begin(), states_.end(), state));
}

bool RescueImage::Save(const MapfileRun& about) {
  lastSave_ = std::chrono::steady_clock::now();
  // The image first: the mapfile then only names sectors that are on the disk.
  if (::fdatasync(fd_) != 0) return false;
  SectorMap map;
  for (const SectorState state : states_) map.Append(state);
  const std::string text = FormatRescueMapfile(map, about);
  return ReplaceFileContents(mapfilePath_,
                             {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

void RescueImage::SaveFromTimeToTime(const MapfileRun& about) {
  if (std::chrono::steady_clock::now() - lastSave_ >= kSaveInterval) Save(about);
}

}  // namespace orlenta
