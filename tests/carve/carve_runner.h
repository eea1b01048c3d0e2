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

// How else a carve is started: more environment ("NAME=value"), and stdout on an open file
// descriptor of the caller instead of a file (when not -1).
struct CarveLaunch {
  std::vector<std::string> environment;
  int stdoutFd = -1;
  bool closedStreams = false;  // stdout and stderr closed, stdoutFd and the files unused
};
pid_t StartCarve(const std::string& home, const std::vector<std::string>& args,
                 const std::string& stdoutPath, const CarveLaunch& launch);

// The environment that loads `library` into the program under test (LD_PRELOAD). A
// sanitizer build wants its runtime loaded first, and the preloaded library has none.
std::vector<std::string> Preloading(const std::string& library);

// The environment that makes `image` read like a worn drive (see damaged_drive_preload):
// `rate` bytes per second, sectors `bad` ("FIRST-LAST,...") failing after `failMs`.
std::vector<std::string> DamagedDrive(const std::string& image, double rate, const std::string& bad,
                                      int failMs);

// Which of its standard streams a carve starts with.
enum class Streams { kBoth, kClosed };

// As RunCarve; with Streams::kClosed the carve starts with stdout and stderr closed, as a
// careless script or service manager may start it.
int RunCarve(const std::string& home, const std::vector<std::string>& args, Streams streams);

// The exit status of the carve started as `pid` (128 + signal when a signal ended it), or
// -1 when it cannot be waited for.
int WaitForCarve(pid_t pid);

// As WaitForCarve, but a carve still running after `seconds` is killed (status 137).
int WaitForCarveAtMost(pid_t pid, double seconds);

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
