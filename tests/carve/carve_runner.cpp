// SPDX-License-Identifier: GPL-3.0-or-later
#include "carve_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/file_kind.h"

namespace orlenta {

pid_t StartCarve(const std::string& home, const std::vector<std::string>& args,
                 const std::string& stdoutPath) {
  std::vector<std::string> words{ORLENTA_CARVE_BINARY};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> env{"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/config",
                               "PATH=/usr/bin:/bin"};
  std::vector<char*> envp;
  for (auto& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  constexpr int kCreate = O_WRONLY | O_CREAT | O_TRUNC;
  posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), kCreate, 0644);
  const std::string err = home + "/stderr.txt";
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), kCreate, 0644);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

int WaitForCarve(pid_t pid) {
  int raw = 0;
  if (pid < 0 || waitpid(pid, &raw, 0) != pid) return -1;
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
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
