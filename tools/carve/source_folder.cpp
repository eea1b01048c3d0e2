// SPDX-License-Identifier: GPL-3.0-or-later
#include "source_folder.h"

#include <sys/stat.h>

#include <cerrno>

namespace orlenta {

std::string SourceFolderName(const std::string& source) {
  std::string name = source;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  if (const std::size_t slash = name.rfind('/'); slash != std::string::npos) {
    name.erase(0, slash + 1);
  }
  // "disc.iso" → "disc"; a leading dot is part of the name (".hidden" stays).
  if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
    name.erase(dot);
  }
  if (name.empty() || name == "." || name == "..") return "source";
  return name;
}

std::optional<std::string> CreateSourceFolder(const std::string& root, const std::string& name,
                                              int& errnum) {
  const std::string base = root.empty() || root.back() == '/' ? root : root + "/";
  for (int number = 1; number < 10000; ++number) {
    std::string path = base + name;
    if (number > 1) path += '-' + std::to_string(number);
    // mkdir fails when the name is taken, whoever took it and however: nothing is shared.
    if (::mkdir(path.c_str(), 0777) == 0) return path;
    if (errno != EEXIST) {
      errnum = errno;
      return std::nullopt;
    }
  }
  errnum = EEXIST;
  return std::nullopt;
}

}  // namespace orlenta
