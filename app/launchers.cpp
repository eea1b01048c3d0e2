// SPDX-License-Identifier: GPL-3.0-or-later
#include "launchers.h"

#include <array>

namespace orlenta {
namespace {

constexpr std::array<const char*, 7> kHelpPages = {
    "index.htm",    "index.htm",    "indexfr.htm", "indexde.htm",
    "indexIta.htm", "indexesp.htm", "index.htm",
};

// `name` inside `folder`, with exactly one separator between them. Paths are built at
// their full length, however long the folder is.
std::string InFolder(std::string folder, const char* name) {
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder + "/" + name;
}

}  // namespace

const char* HelpPageName(int language) {
  if (language < 1 || language >= static_cast<int>(kHelpPages.size())) return kHelpPages[0];
  return kHelpPages[static_cast<std::size_t>(language)];
}

std::string HelpPagePath(const std::string& installFolder, int language) {
  return InFolder(installFolder, HelpPageName(language));
}

std::string ConfygPath(const std::string& installFolder) {
  return InFolder(installFolder, "confyg");
}

}  // namespace orlenta
