// SPDX-License-Identifier: GPL-3.0-or-later
#include "console_host.h"

#include <cstdlib>
#include <cstring>

#include "engine/recovery_run.h"
#include "engine/sector_buffer.h"
#include "interrupt.h"

namespace orlenta {

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
  // A closed stdout (a reader that went away, as `| head -1` does) ends the file lines
  // quietly; the run hears of it through SIGPIPE and finishes properly.
  if (quiet_ || !showFileLines_ || !running_ || std::ferror(streams_.out)) return;
  ClearProgress();
  std::fprintf(streams_.out, "%.*s\n", static_cast<int>(line.size()), line.data());
  std::fflush(streams_.out);
}

void ConsoleHost::ShowRunEnd(std::string_view text) {
  if (!showRunEnd_) return;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  std::fprintf(streams_.err, "%.*s\n", static_cast<int>(text.size()), text.data());
}

void ConsoleHost::FileError(const std::string& path, int errnum) {
  ClearProgress();
  showedError_ = true;
  std::fprintf(streams_.err, "orlenta-carve: cannot write %s: %s\n", path.c_str(),
               std::strerror(errnum));
}

void ConsoleHost::EndProgram(int exitCode) {
  std::exit(exitCode);
}

void ConsoleHost::ShowMessage(std::string_view text, std::string_view caption) {
  ClearProgress();
  showedError_ = true;
  (void)caption;  // a window's notion; a terminal line names the program instead
  std::fprintf(streams_.err, "orlenta-carve: %.*s\n", static_cast<int>(text.size()), text.data());
}

void ConsoleHost::PumpOneMessage() {
  if (InterruptRequested()) StopFlag = true;
  // The clock is looked at every 16th event only: cheap on a fast image, and still often
  // enough on a scratched disc where a single sector can take seconds.
  if (showProgress_ && running_ && (++pumps_ & 0xF) == 0) RefreshProgress();
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
