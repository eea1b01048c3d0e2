// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace orlenta {

// Starts orlenta-carve as its own process, with HOME and XDG_CONFIG_HOME in `home` so that
// no settings file of the machine takes part; stdout goes to `stdoutPath`, stderr to
// `home`/stderr.txt. Returns the child's pid, or -1 when it could not be started.
pid_t StartCarve(const std::string& home, const std::vector<std::string>& args,
                 const std::string& stdoutPath);

// The exit status of the carve started as `pid` (128 + signal when a signal ended it), or
// -1 when it cannot be waited for.
int WaitForCarve(pid_t pid);

// orlenta-carve run as its own process, with HOME and XDG_CONFIG_HOME in `home` so that no
// settings file of the machine takes part. Returns the exit status; stderr goes to
// `home`/stderr.txt.
int RunCarve(const std::string& home, const std::vector<std::string>& args);

// The files of `folder`, by name, with their bytes.
std::map<std::string, std::string> CarvedFiles(const std::string& folder);

// The sample media files whose first sector the detection recognises, by name.
std::map<std::string, std::string> RecognisedSamples();

// The whole content of `path` as bytes.
std::string FileText(const std::string& path);

}  // namespace orlenta
