// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orlenta {

// A fresh folder under /tmp (or `parent`), removed with everything in it when the object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& parent = "/tmp");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing separator.
  const std::filesystem::path& Path() const { return path_; }
  // The folder with its trailing separator, as text: what a file name is appended to.
  std::string Folder() const { return path_.string() + "/"; }
  // The path of `name` inside the folder.
  std::string File(const std::string& name) const { return Folder() + name; }

 private:
  std::filesystem::path path_;
};

// The whole content of a file; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
// Writes `bytes` as the whole content of `path`; false on failure.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The names of the entries of `folder`, sorted.
std::vector<std::string> ListFolder(const std::filesystem::path& folder);

}  // namespace orlenta
