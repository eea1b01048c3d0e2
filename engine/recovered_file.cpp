#include "recovered_file.h"

#include <algorithm>
#include <cerrno>

#include "file_kind.h"

namespace orlenta {
namespace {

constexpr std::size_t kStreamBufferBytes = std::size_t{1} << 20;

}  // namespace

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
                           int32_t& counter) {
  Close();
  error_ = 0;
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
  streamBuffer_.resize(kStreamBufferBytes);
  std::setvbuf(file_, streamBuffer_.data(), _IOFBF, streamBuffer_.size());
  return true;
}

bool RecoveredFile::Append(const uint8_t* bytes, std::size_t length) {
  if (!file_) return false;
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
