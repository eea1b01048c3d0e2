// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace orlenta {

SettingsLock::SettingsLock(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::string path = (std::filesystem::path(folder) / kSettingsLockFileName).string();
  // The lock file holds nothing and is never removed: removing it while another program
  // waits on it would let a third one lock a new file of the same name.
  // Anyone who may read it may lock it: a lock file left by another user (a run under sudo)
  // must not stop the owner of the settings from editing them.
  int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (descriptor < 0) descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return;
  int locked = -1;
  do {
    locked = ::flock(descriptor, LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    ::close(descriptor);
    return;
  }
  descriptor_ = descriptor;
}

SettingsLock::~SettingsLock() {
  // Closing the file lets the lock go.
  if (descriptor_ >= 0) ::close(descriptor_);
}

}  // namespace orlenta
