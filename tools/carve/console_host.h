// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "engine/host.h"
#include "progress_line.h"

namespace orlenta {

class RecoveryRun;

// Where the command line writes: file lines to `out`, everything else to `err`.
struct ConsoleStreams {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
};

// The command line as the host of a recovery run: the source is drive D, files go to one
// fixed folder, file lines go to stdout, messages and progress to stderr.
class ConsoleHost final : public RunHost {
 public:
  static constexpr char kDrive = 'D';

  ConsoleHost(std::string outputFolder, std::string stem, bool quiet, bool showProgress,
              ConsoleStreams streams = {});

  // The run whose progress the line shows.
  void Watch(const RecoveryRun& run) { run_ = &run; }

  // Calls `task` from the event pump whenever `every` has passed since its last call (or
  // since this one), for what must be kept on disk as the run goes.
  void CallEvery(std::chrono::milliseconds every, std::function<void()> task);

  // Calls `work` once the scan is over, before the run's closing words: what is read beside
  // the scan (retries of the sectors still missing, the disc's music) is done before the
  // user is told that the run is done. `completed` when the scan ran to the end.
  void AfterScan(std::function<void(bool completed)> work) { afterScan_ = std::move(work); }

  bool ShowedError() const { return showedError_; }

  // A line on stderr about the run that is no error (the drive's speed lowered).
  void Note(std::string_view text);

  // No closing line ("Process completed!") at the end of the run.
  void HideRunEnd() { showRunEnd_ = false; }
  // Each file goes to a folder of its kind inside the output folder, made when its first
  // file comes: "jpg/", "mov/", named after the kind's extension.
  void SortByKind() { byKind_ = true; }
  // No file lines: the files land in a folder of their own first, and are told once taken in.
  void HideFileLines() { showFileLines_ = false; }

  std::optional<char> SelectedDrive() override { return kDrive; }
  int LanguageIndex() const override { return 1; }
  std::string NameStem() const override { return stem_; }
  bool OpenFolderWhenDone() const override { return false; }
  std::optional<std::string> OutputFolderForNextFile() override { return outputFolder_; }
  std::optional<std::string> OutputFolderFor(FileKind kind) override;
  void SetRunning(bool running) override;
  void SetProgress(int) override {}
  void ClearLog() override {}
  void AddLogLine(std::string_view line) override;
  void SetTitle(std::string_view) override {}
  void ScanEnded(bool completed) override;
  void ShowRunEnd(std::string_view text) override;
  void OpenOutputFolder() override {}
  void FileError(const std::string& path, int errnum) override;
  void EndProgram(int exitCode) override;
  void ShowMessage(std::string_view text, std::string_view caption) override;
  void PumpOneMessage() override;

 private:
  void RefreshProgress();
  void CallTaskWhenDue(std::chrono::steady_clock::time_point now);
  void ClearProgress();

  std::string outputFolder_;
  std::string stem_;
  bool quiet_;
  bool showProgress_;
  ConsoleStreams streams_;
  const RecoveryRun* run_ = nullptr;
  ProgressLine progress_;
  bool running_ = false;
  bool progressShown_ = false;
  bool showedError_ = false;
  bool fileListLost_ = false;  // a file line could not be written
  bool showRunEnd_ = true;
  bool showFileLines_ = true;
  bool byKind_ = false;
  static constexpr std::chrono::milliseconds kLookEvery{50};
  std::chrono::steady_clock::time_point nextLook_;
  std::function<void(bool)> afterScan_;
  std::function<void()> task_;
  std::chrono::milliseconds taskEvery_{0};
  std::chrono::steady_clock::time_point taskDue_;
};

}  // namespace orlenta
