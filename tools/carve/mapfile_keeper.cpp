// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapfile_keeper.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>

#include "engine/disk_flush.h"
#include "engine/replace_file.h"

namespace orlenta {
namespace {

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// The permissions a file created with fopen would get: read and write for all, less the
// process's umask (which can only be learnt by setting it).
mode_t UsualPermissions() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Writes all of `text` to `fd` and down to the disk. Returns 0 or the errno.
int WriteDurably(int fd, const std::string& text) {
  for (std::size_t at = 0; at < text.size();) {
    const ssize_t wrote = ::write(fd, text.data() + at, text.size() - at);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return wrote < 0 ? errno : EIO;
    at += static_cast<std::size_t>(wrote);
  }
  return ::fsync(fd) == 0 ? 0 : errno;
}

// Creates `path` with `text` directly, for file systems without hard links.
int CreateInPlace(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  const int error = WriteDurably(fd, text);
  ::close(fd);
  return error;
}

// Creates `path` holding all of `text`, never over an existing file: the text goes to a new
// file beside it, which is then linked in under the name (a link fails where a name is
// taken), so the name never shows an empty file.
int CreateWhole(const std::string& path, const std::string& text) {
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return errno;
  ::fchmod(fd, UsualPermissions());
  int error = WriteDurably(fd, text);
  ::close(fd);
  if (error == 0 && ::link(temporary.c_str(), path.c_str()) != 0) error = errno;
  ::unlink(temporary.c_str());
  if (error == EPERM || error == EOPNOTSUPP || error == ENOSYS) return CreateInPlace(path, text);
  return error;
}

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

}  // namespace

MapfileKeeper::MapfileKeeper(std::string path, MapfileRun about)
    : path_(std::move(path)), about_(std::move(about)) {}

int MapfileKeeper::Create() {
  const int error = CreateWhole(path_, FormatRescueMapfile(SectorMap(), about_));
  if (error == 0) FlushFolderToDisk(FolderOf(path_));
  return error;
}

bool MapfileKeeper::Save(const SectorMap& map) {
  return ReplaceFileContents(path_, Bytes(FormatRescueMapfile(map, about_)));
}

void MapfileKeeper::Remove() {
  ::unlink(path_.c_str());
}

}  // namespace orlenta
