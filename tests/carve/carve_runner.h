#pragma once

#include <map>
#include <string>
#include <vector>

namespace orlenta {

// orlenta-carve run as its own process, with HOME and XDG_CONFIG_HOME in `home` so that no
// settings file of the machine takes part. Returns the exit status; stderr goes to
// `home`/stderr.txt.
int RunCarve(const std::string& home, const std::vector<std::string>& args);

// The files of `folder`, by name, with their bytes.
std::map<std::string, std::string> CarvedFiles(const std::string& folder);

// The whole content of `path` as bytes.
std::string FileText(const std::string& path);

}  // namespace orlenta
