// SPDX-License-Identifier: GPL-3.0-or-later
#include "replace_file.h"

#include <cstdio>
#include <filesystem>
#include <random>

#include "disk_flush.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

// Writes all of `bytes` to a new file at `temporary` and down to the disk, so that the rename
// that follows can never put an empty or partial file in place; false when any step fails
// (the file may then be left behind for the caller to remove).
bool WriteAll(const std::string& temporary, std::span<const uint8_t> bytes) {
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = written && std::fflush(file) == 0 && FlushFileToDisk(file);
  return (std::fclose(file) == 0) && written;
}

// A name beside `target` for the new file. Each save draws its own, so two copies of a
// program saving at once never write into one file.
std::string TemporaryName(const fs::path& target) {
  std::random_device random;
  return target.string() + "." + std::to_string(random()) + ".new";
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::span<const uint8_t> bytes) {
  std::error_code error;
  const fs::path target = fs::weakly_canonical(path, error);
  if (error) return false;
  const fs::file_status status = fs::status(target, error);
  const bool replacing = fs::exists(status);
  const std::string temporary = TemporaryName(target);
  bool done = WriteAll(temporary, bytes);
  error.clear();
  if (done && replacing) fs::permissions(temporary, status.permissions(), error);
  if (done && !error) fs::rename(temporary, target, error);
  done = done && !error;
  if (!done) {
    fs::remove(temporary, error);
    return false;
  }
  // The new content is in place; the folder's flush makes its name last. Should the system
  // fail at that, the old content is gone all the same, so it cannot be reported as kept.
  FlushFolderToDisk(target.parent_path().string());
  return true;
}

}  // namespace orlenta
