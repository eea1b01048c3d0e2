// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace orlenta {

// "<counter><stem><extension>", e.g. 3REC.jpg for the third JPEG with the stem "REC".
std::string RecoveredFileName(int32_t counter, const std::string& stem, int kind);

// One recovered file being written. It is always a new file: an existing file of the same
// name is never replaced. Written through a C stdio stream, so that the sectors written so
// far reach the disk even when the program ends in the middle of a file.
class RecoveredFile {
 public:
  RecoveredFile() = default;
  RecoveredFile(const RecoveredFile&) = delete;
  RecoveredFile& operator=(const RecoveredFile&) = delete;
  ~RecoveredFile();

  // Creates `folder` + the name of the next number of `counter` (the folder text and the
  // name run together, nothing inserted). When that name exists already, the counter moves
  // on to the next free number. `streamBuffer`, when not empty, buffers the writes; it must
  // outlive the file. Return values: true created, false failed (see Error()).
  bool Create(const std::string& folder, const std::string& stem, int kind, int32_t& counter,
              std::span<char> streamBuffer = {});

  // A file that is carved but not written: every byte appended goes nowhere.
  void OpenNowhere() { nowhere_ = true; }

  // Appends bytes; false after a write error (see Error()).
  bool Append(const uint8_t* bytes, std::size_t length);

  // Closes the file, keeping what was written; false when the last bytes could not be
  // written.
  bool Close();

  const std::string& Path() const { return path_; }
  // The bytes appended so far.
  uint64_t Size() const { return size_; }
  int Error() const { return error_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  int error_ = 0;
  bool nowhere_ = false;
  uint64_t size_ = 0;
};

}  // namespace orlenta
