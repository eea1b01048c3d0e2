// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/host.h"

namespace orlenta {

struct ShownMessage {
  std::string text;
  std::string caption;
  bool operator==(const ShownMessage&) const = default;
};

// A front end that remembers everything the engine asked of it. What it answers is set
// through its public members; what it was told is kept in the others.
class RecordingHost final : public RunHost {
 public:
  // --- answers ---
  std::optional<char> selectedDrive = 'E';
  int language = 1;
  std::string stem = "REC";
  bool openFolderWhenDone = false;
  // nullopt: the settings that name the folder are gone.
  std::optional<std::string> outputFolder;

  // Runs `hook` on the `n`-th PumpOneMessage call (counting from 1).
  void OnPump(int n, std::function<void()> hook) {
    hookAt_ = n;
    hook_ = std::move(hook);
  }

  // --- records ---
  std::vector<ShownMessage> messages;
  std::vector<std::string> log;         // the log list as it stands now
  std::vector<std::string> logHistory;  // every line ever added
  std::vector<int> progress;
  std::vector<bool> runningStates;
  std::vector<std::string> titles;
  std::vector<std::string> fileErrorPaths;
  std::vector<int> fileErrorCodes;
  std::vector<int> endProgramCodes;
  int pumps = 0;
  int openFolderCalls = 0;
  int folderQueries = 0;
  // One short tag per call that changes what the user sees, in order ("message", "running",
  // "idle", "progress", "clear", "log", "title", "open", "end", "file-error").
  std::vector<std::string> events;

  // RunHost
  void ShowMessage(std::string_view text, std::string_view caption) override;
  void PumpOneMessage() override;
  std::optional<char> SelectedDrive() override { return selectedDrive; }
  int LanguageIndex() const override { return language; }
  std::string NameStem() const override { return stem; }
  bool OpenFolderWhenDone() const override { return openFolderWhenDone; }
  std::optional<std::string> OutputFolderForNextFile() override;
  void SetRunning(bool running) override;
  void SetProgress(int percent) override;
  void ClearLog() override;
  void AddLogLine(std::string_view line) override;
  void SetTitle(std::string_view title) override;
  void OpenOutputFolder() override;
  void FileError(const std::string& path, int errnum) override;
  void EndProgram(int exitCode) override;

 private:
  int hookAt_ = 0;
  std::function<void()> hook_;
};

}  // namespace orlenta
