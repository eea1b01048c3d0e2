// SPDX-License-Identifier: GPL-3.0-or-later
#include "console_host.h"

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "engine/recovery_run.h"
#include "engine/sector_buffer.h"
#include "interrupt.h"
#include "printable_text.h"

namespace orlenta {

std::optional<std::string> ConsoleHost::OutputFolderFor(FileKind kind) {
  if (!byKind_) return outputFolder_;
  const std::string folder = outputFolder_ + KindFolderName(kind) + "/";
  // A folder that cannot be made fails the file's creation, which tells why.
  ::mkdir(folder.c_str(), 0777);
  return folder;
}

ConsoleHost::ConsoleHost(std::string outputFolder, std::string stem, bool quiet, bool showProgress,
                         ConsoleStreams streams)
    : outputFolder_(std::move(outputFolder)),
      stem_(std::move(stem)),
      quiet_(quiet),
      showProgress_(showProgress && !quiet),
      streams_(streams) {}

void ConsoleHost::SetRunning(bool running) {
  running_ = running;
  if (!running) ClearProgress();
}

void ConsoleHost::AddLogLine(std::string_view line) {
  // Only the file lines of a running scan; the closing line is told by ShowRunEnd.
  if (quiet_ || !showFileLines_ || !running_ || fileListLost_) return;
  ClearProgress();
  const std::string printable = PrintableText(line);
  if (std::fprintf(streams_.out, "%s\n", printable.c_str()) >= 0 &&
      std::fflush(streams_.out) == 0) {
    return;
  }
  // The list is lost from here on. A closed stdout (a reader that went away, as `| head -1`
  // does) ends the run through SIGPIPE; any other failure (a full disk) is the run's error.
  fileListLost_ = true;
  if (errno == EPIPE) return;
  showedError_ = true;
  std::fprintf(streams_.err, "orlenta-carve: cannot write the list of recovered files: %s\n",
               std::strerror(errno));
}

void ConsoleHost::ScanEnded(bool completed) {
  if (afterScan_) afterScan_(completed);
  // A stop asked for meanwhile ends the run as stopped.
  if (InterruptRequested()) StopFlag = true;
}

void ConsoleHost::ShowRunEnd(std::string_view text) {
  if (!showRunEnd_) return;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  std::fprintf(streams_.err, "%.*s\n", static_cast<int>(text.size()), text.data());
}

void ConsoleHost::FileError(const std::string& path, int errnum) {
  ClearProgress();
  showedError_ = true;
  std::fprintf(streams_.err, "orlenta-carve: cannot write %s: %s\n", PrintableText(path).c_str(),
               std::strerror(errnum));
}

void ConsoleHost::EndProgram(int exitCode) {
  std::exit(exitCode);
}

void ConsoleHost::ShowMessage(std::string_view text, std::string_view caption) {
  ClearProgress();
  showedError_ = true;
  (void)caption;  // a window's notion; a terminal line names the program instead
  std::fprintf(streams_.err, "orlenta-carve: %s\n", PrintableText(text).c_str());
}

void ConsoleHost::Note(std::string_view text) {
  ClearProgress();
  std::fprintf(streams_.err, "orlenta-carve: %s\n", PrintableText(text).c_str());
}

void ConsoleHost::CallEvery(std::chrono::milliseconds every, std::function<void()> task) {
  task_ = std::move(task);
  taskEvery_ = every;
  taskDue_ = std::chrono::steady_clock::now() + every;
}

void ConsoleHost::PumpOneMessage() {
  if (InterruptRequested()) StopFlag = true;
  if (!running_) return;
  // Every event looks at the clock (a few nanoseconds); what costs a system call is done
  // a few times a second: often enough on a fast image, and after every read inside a zone
  // of bad sectors, where a single read can take seconds.
  const auto now = std::chrono::steady_clock::now();
  if (now < nextLook_) return;
  nextLook_ = now + kLookEvery;
  if (!quiet_ && ReaderGone(streams_.out)) {
    RequestInterrupt(SIGPIPE);
    StopFlag = true;
  }
  if (showProgress_) RefreshProgress();
  if (task_) CallTaskWhenDue(now);
}

void ConsoleHost::CallTaskWhenDue(std::chrono::steady_clock::time_point now) {
  if (now < taskDue_) return;
  task_();
  taskDue_ = now + taskEvery_;
}

void ConsoleHost::RefreshProgress() {
  if (!run_) return;
  ProgressSample sample;
  sample.position = run_->Members().CurrentSector;
  sample.total = TotalSectors;
  sample.sectorsRead = run_->Reader().SectorsRead();
  sample.sectorSize = DriveGeometry.bytesPerSector;
  for (const uint64_t files : run_->Carver().FilesStarted()) sample.files += files;
  const std::optional<std::string> line = progress_.Update(sample);
  if (!line) return;
  std::fprintf(streams_.err, "\r%s\x1b[K", line->c_str());
  std::fflush(streams_.err);
  progressShown_ = true;
}

void ConsoleHost::ClearProgress() {
  if (!progressShown_) return;
  std::fprintf(streams_.err, "\r\x1b[K");
  std::fflush(streams_.err);
  progressShown_ = false;
}

}  // namespace orlenta
