// SPDX-License-Identifier: GPL-3.0-or-later
#include "recovered_file.h"

#include <algorithm>
#include <cerrno>

#include "file_kind.h"

namespace orlenta {
std::string RecoveredFileName(int32_t counter, const std::string& stem, int kind) {
  // Whatever the stem holds, the file stays in the output folder.
  std::string safeStem = stem;
  std::replace(safeStem.begin(), safeStem.end(), '/', '_');
  return std::to_string(counter) + safeStem + FileKindExtension(kind);
}

RecoveredFile::~RecoveredFile() {
  Close();
}

bool RecoveredFile::Create(const std::string& folder, const std::string& stem, int kind,
                           int32_t& counter, std::span<char> streamBuffer) {
  Close();
  error_ = 0;
  size_ = 0;
  for (;;) {
    ++counter;
    path_ = folder + RecoveredFileName(counter, stem, kind);
    // "x": fail rather than replace a file that is already there.
    file_ = std::fopen(path_.c_str(), "wbx");
    if (file_) break;
    if (errno != EEXIST || counter == INT32_MAX) {
      error_ = errno;
      return false;
    }
  }
  if (!streamBuffer.empty()) {
    std::setvbuf(file_, streamBuffer.data(), _IOFBF, streamBuffer.size());
  }
  return true;
}

bool RecoveredFile::Append(const uint8_t* bytes, std::size_t length) {
  if (nowhere_) return true;
  if (!file_) return false;
  size_ += length;
  if (std::fwrite(bytes, 1, length, file_) == length) return true;
  error_ = errno;
  return false;
}

bool RecoveredFile::Close() {
  if (!file_) return error_ == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed && error_ == 0) error_ = errno;
  return error_ == 0;
}

}  // namespace orlenta
