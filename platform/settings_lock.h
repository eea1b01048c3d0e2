// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orlenta {

// The lock of a settings folder, held while this object lives. Whatever reads the settings
// file or the drive map, changes it and writes it back takes this lock first, so that two
// programs editing at once never lose one of the edits: the second waits for the first and
// then reads what the first wrote.
class SettingsLock {
 public:
  // Waits for the lock of `folder`, creating the folder and its lock file when missing.
  explicit SettingsLock(const std::string& folder);
  ~SettingsLock();
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;

  // False when the lock file could not be made or locked; nothing should then be written.
  bool Held() const { return descriptor_ >= 0; }

 private:
  int descriptor_ = -1;
};

// The name of the lock file in the settings folder.
inline constexpr const char* kSettingsLockFileName = ".lock";

}  // namespace orlenta
