// SPDX-License-Identifier: GPL-3.0-or-later
#include "carve_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/file_kind.h"

namespace orlenta {

pid_t StartCarve(const std::string& home, const std::vector<std::string>& args,
                 const std::string& stdoutPath) {
  return StartCarve(home, args, stdoutPath, {});
}

std::vector<std::string> DamagedDrive(const std::string& image, double rate, const std::string& bad,
                                      int failMs) {
  std::vector<std::string> environment = Preloading(ORLENTA_DAMAGED_DRIVE);
  environment.insert(
      environment.end(),
      {"ORLENTA_DAMAGED_IMAGE=" + image, "ORLENTA_DAMAGED_RATE=" + std::to_string(rate),
       "ORLENTA_DAMAGED_BAD=" + bad, "ORLENTA_DAMAGED_FAIL_MS=" + std::to_string(failMs)});
  return environment;
}

std::vector<std::string> Preloading(const std::string& library) {
  return {"LD_PRELOAD=" + library,
          "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1:abort_on_error=1",
          std::string("LSAN_OPTIONS=suppressions=") + ORLENTA_LSAN_SUPPRESSIONS};
}

pid_t StartCarve(const std::string& home, const std::vector<std::string>& args,
                 const std::string& stdoutPath, const CarveLaunch& launch) {
  std::vector<std::string> words{ORLENTA_CARVE_BINARY};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> env{"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/config",
                               "PATH=/usr/bin:/bin"};
  env.insert(env.end(), launch.environment.begin(), launch.environment.end());
  std::vector<char*> envp;
  for (auto& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  constexpr int kCreate = O_WRONLY | O_CREAT | O_TRUNC;
  const std::string err = home + "/stderr.txt";
  if (launch.closedStreams) {
    posix_spawn_file_actions_addclose(&actions, 1);
    posix_spawn_file_actions_addclose(&actions, 2);
  } else if (launch.stdoutFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, launch.stdoutFd, 1);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), kCreate, 0644);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), kCreate, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), kCreate, 0644);
  }
  // The program starts with every signal at its default, as from a shell, whatever this
  // test process ignores.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigfillset(&defaults);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

int RunCarve(const std::string& home, const std::vector<std::string>& args, Streams streams) {
  CarveLaunch launch;
  launch.closedStreams = streams == Streams::kClosed;
  return WaitForCarve(StartCarve(home, args, "/dev/null", launch));
}

int WaitForCarve(pid_t pid) {
  int raw = 0;
  if (pid < 0 || waitpid(pid, &raw, 0) != pid) return -1;
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

int WaitForCarveAtMost(pid_t pid, double seconds) {
  int raw = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (pid >= 0 && std::chrono::steady_clock::now() < deadline) {
    const pid_t done = waitpid(pid, &raw, WNOHANG);
    if (done == pid) return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    if (done < 0) return -1;
    usleep(5000);
  }
  kill(pid, SIGKILL);
  return WaitForCarve(pid);
}

int RunCarve(const std::string& home, const std::vector<std::string>& args) {
  return WaitForCarve(StartCarve(home, args, "/dev/null"));
}

std::map<std::string, std::string> CarvedFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    files[entry.path().filename().string()] = FileText(entry.path().string());
  }
  return files;
}

std::map<std::string, std::string> RecognisedSamples() {
  std::map<std::string, std::string> samples;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(ORLENTA_SAMPLE_MEDIA)) {
    if (!entry.is_regular_file()) continue;
    std::string bytes = FileText(entry.path());
    std::string head = bytes.substr(0, 2048);
    head.resize(kDetectionDepth, '\0');
    if (DetectFileKindIn(reinterpret_cast<const uint8_t*>(head.data())) != kNoHeader) {
      samples[entry.path().filename().string()] = std::move(bytes);
    }
  }
  return samples;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace orlenta
