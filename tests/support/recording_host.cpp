// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/recording_host.h"

namespace orlenta {

void RecordingHost::ShowMessage(std::string_view text, std::string_view caption) {
  messages.push_back({std::string(text), std::string(caption)});
  events.emplace_back("message");
}

void RecordingHost::PumpOneMessage() {
  ++pumps;
  if (hook_ && pumps == hookAt_) hook_();
}

std::optional<std::string> RecordingHost::OutputFolderForNextFile() {
  ++folderQueries;
  return outputFolder;
}

void RecordingHost::SetRunning(bool running) {
  runningStates.push_back(running);
  events.emplace_back(running ? "running" : "idle");
}

void RecordingHost::SetProgress(int percent) {
  progress.push_back(percent);
  events.emplace_back("progress");
}

void RecordingHost::ClearLog() {
  log.clear();
  events.emplace_back("clear");
}

void RecordingHost::AddLogLine(std::string_view line) {
  log.emplace_back(line);
  logHistory.emplace_back(line);
  events.emplace_back("log");
}

void RecordingHost::SetTitle(std::string_view title) {
  titles.emplace_back(title);
  events.emplace_back("title");
}

void RecordingHost::OpenOutputFolder() {
  ++openFolderCalls;
  events.emplace_back("open");
}

void RecordingHost::FileError(const std::string& path, int errnum) {
  fileErrorPaths.push_back(path);
  fileErrorCodes.push_back(errnum);
  events.emplace_back("file-error");
  RunHost::FileError(path, errnum);  // the window's fixed message
}

void RecordingHost::EndProgram(int exitCode) {
  endProgramCodes.push_back(exitCode);
  events.emplace_back("end");
}

}  // namespace orlenta
