// SPDX-License-Identifier: GPL-3.0-or-later
#include "unkept_files.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace orlenta {

UnkeptFiles::~UnkeptFiles() {
  if (folder_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

int UnkeptFiles::Create() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/orlenta-report-only.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) return errno;
  folder_ = std::string(name.data()) + "/";
  return 0;
}

void UnkeptFiles::FileStarted(const std::string& path, FileKind kind, uint64_t firstSector) {
  path_ = path;
  if (next_) next_->FileStarted(path, kind, firstSector);
}

void UnkeptFiles::BytesWritten(std::span<const uint8_t> bytes) {
  if (next_) next_->BytesWritten(bytes);
}

void UnkeptFiles::UnreadableBytesWritten(std::span<const uint8_t> bytes) {
  if (next_) next_->UnreadableBytesWritten(bytes);
}

void UnkeptFiles::FileCut(uint64_t length) {
  if (next_) next_->FileCut(length);  // the report reads the cut file back: still there
}

void UnkeptFiles::FileEndVerified() {
  if (next_) next_->FileEndVerified();
}

void UnkeptFiles::FileEnded(bool written) {
  if (next_) next_->FileEnded(written);
  // Emptied, not removed: its name stays taken, so the next file of its kind is numbered as
  // in a folder where it was kept.
  std::error_code ignored;
  std::filesystem::resize_file(path_, 0, ignored);
}

void UnkeptFiles::FileDropped() {
  if (next_) next_->FileDropped();  // the carver has removed it already
}

}  // namespace orlenta
