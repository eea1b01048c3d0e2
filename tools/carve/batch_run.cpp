// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <optional>

#include "batch_table.h"
#include "carve_job.h"
#include "child_summary.h"
#include "interrupt.h"
#include "printable_text.h"
#include "source_folder.h"

extern char** environ;

namespace orlenta {
namespace {

// The descriptor a source's process tells its summary on.
constexpr int kSummaryFd = 3;

struct Child {
  pid_t pid;
  int summary;  // read end of the summary pipe
  std::size_t row;
};

const char* LayoutWord(LayoutChoice layout) {
  switch (layout) {
    case LayoutChoice::kPlain:
      return "plain";
    case LayoutChoice::kRaw:
      return "raw";
    case LayoutChoice::kAuto:
      break;
  }
  return "auto";
}

// The command line that carves `source` into `folder` as the batch was asked to carve every
// source: each option of a single run passed on, the report and the mapfile inside the folder.
std::vector<std::string> ChildArguments(const CarveOptions& options, const std::string& source,
                                        const std::string& folder) {
  std::vector<std::string> args{"orlenta-carve", "--summary-fd", std::to_string(kSummaryFd),
                                "--layout", LayoutWord(options.layout)};
  if (options.stem) args.insert(args.end(), {"--stem", *options.stem});
  if (options.speed) args.insert(args.end(), {"--speed", std::to_string(*options.speed)});
  const std::pair<bool, const char*> flags[] = {{options.quiet, "--quiet"},
                                                {options.hashSource, "--hash-source"},
                                                {options.exact, "--exact"},
                                                {options.moreKinds, "--more-kinds"},
                                                {options.asDescribed, "--as-described"},
                                                {options.skipBad, "--skip-bad"},
                                                {options.noAudio, "--no-audio"},
                                                {options.noParanoia, "--no-paranoia"},
                                                {options.names, "--names"},
                                                {options.byKind, "--by-kind"},
                                                {options.reportOnly, "--report-only"}};
  for (const auto& [given, flag] : flags) {
    if (given) args.emplace_back(flag);
  }
  args.insert(args.end(), options.passedOn.begin(), options.passedOn.end());
  if (options.report) args.insert(args.end(), {"--report", folder + "/" + *options.report});
  if (options.mapfile) args.insert(args.end(), {"--mapfile", folder + "/" + *options.mapfile});
  // "--": a source whose name begins with '-' is still a source.
  args.insert(args.end(), {"--", source, folder});
  return args;
}

// Starts this program on `args` with the write end of a new pipe as its summary descriptor.
// Returns the child, nullopt with errno set when it cannot be started.
std::optional<Child> StartChild(std::vector<std::string> args, std::size_t row) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The write end is above the read end, itself above stderr: never kSummaryFd already.
  posix_spawn_file_actions_adddup2(&actions, ends[1], kSummaryFd);
  std::vector<char*> argv;
  for (std::string& word : args) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int failed = ::posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(ends[1]);
  if (failed != 0) {
    ::close(ends[0]);
    errno = failed;
    return std::nullopt;
  }
  // Read only once the child has ended; whatever it wrote waits in the pipe.
  ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
  return Child{pid, ends[0], row};
}

// What the pipe holds now, without waiting for more.
std::string ReadWaiting(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

class Batch {
 public:
  Batch(const CarveOptions& options, ConsoleStreams streams)
      : options_(options),
        streams_(streams),
        rows_(options.sources.size()),
        folders_(options.sources.size()) {
    for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i].source = options.sources[i];
  }

  int Run() {
    const auto start = std::chrono::steady_clock::now();
    while (next_ < rows_.size() || !running_.empty()) {
      // Nobody reads the file lines any more (`| head -1`): no source is started for them.
      if (!InterruptRequested() && ReaderGone(streams_.out)) RequestInterrupt(SIGPIPE);
      while (!InterruptRequested() && running_.size() < options_.jobs && next_ < rows_.size()) {
        Launch(next_++);
      }
      if (InterruptRequested()) PassOnInterrupt();
      if (running_.empty()) {
        if (InterruptRequested()) break;
        continue;
      }
      WaitForOne();
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    std::fputs(FormatBatchTable(rows_, wall.count()).c_str(), streams_.err);
    return WorstStatus(rows_);
  }

 private:
  void Launch(std::size_t row) {
    const std::string& source = rows_[row].source;
    int errnum = 0;
    const std::optional<std::string> folder =
        CreateSourceFolder(*options_.outputRoot, SourceFolderName(source), errnum);
    if (!folder) {
      Tell(row, std::string("cannot create its folder (") + std::strerror(errnum) + ")");
      rows_[row].status = kExitUsage;
      return;
    }
    rows_[row].folder = folder->substr(folder->rfind('/') + 1);
    const std::optional<Child> child = StartChild(ChildArguments(options_, source, *folder), row);
    if (!child) {
      Tell(row, std::string("cannot start its run (") + std::strerror(errno) + ")");
      rows_[row].status = kExitUsage;
      DropFolder(row, *folder);
      return;
    }
    running_.push_back(*child);
    folders_[row] = *folder;
  }

  // Waits a little for a source to end and takes it in.
  void WaitForOne() {
    int raw = 0;
    const pid_t pid = ::waitpid(-1, &raw, WNOHANG);
    if (pid == 0 || (pid < 0 && errno == EINTR)) {
      // A nap rather than a blocking wait, so that an interrupt is passed on at once.
      const timespec nap{0, 20'000'000};
      ::nanosleep(&nap, nullptr);
      return;
    }
    for (auto it = running_.begin(); it != running_.end(); ++it) {
      if (pid > 0 && it->pid != pid) continue;
      const int status = pid < 0          ? kExitUsage  // lost: no child left to wait for
                         : WIFEXITED(raw) ? WEXITSTATUS(raw)
                                          : 128 + WTERMSIG(raw);
      Ended(*it, status);
      running_.erase(it);
      return;
    }
  }

  void Ended(const Child& child, int status) {
    BatchRow& row = rows_[child.row];
    row.status = status;
    row.summary = DecodeSummary(ReadWaiting(child.summary));
    ::close(child.summary);
    // A source that could not be read leaves no empty folder behind.
    if (status == kExitUsage) DropFolder(child.row, folders_[child.row]);
    const uint64_t files = row.summary ? FilesRecovered(*row.summary) : 0;
    Tell(child.row, StatusName(status) + ", " + std::to_string(files) + " file" +
                        (files == 1 ? "" : "s") + (row.folder.empty() ? "" : " in " + row.folder));
  }

  void DropFolder(std::size_t row, const std::string& folder) {
    if (::rmdir(folder.c_str()) == 0) rows_[row].folder.clear();
  }

  void PassOnInterrupt() {
    if (interruptPassedOn_) return;
    interruptPassedOn_ = true;
    // A Ctrl-C at the terminal reached them already; a signal sent to this process alone
    // did not.
    const int signal = InterruptSignal() > 0 ? InterruptSignal() : SIGINT;
    for (const Child& child : running_) ::kill(child.pid, signal);
  }

  void Tell(std::size_t row, const std::string& what) {
    std::fprintf(streams_.err, "orlenta-carve: [%zu/%zu] %s: %s\n", row + 1, rows_.size(),
                 PrintableText(rows_[row].source).c_str(), PrintableText(what).c_str());
    std::fflush(streams_.err);
  }

  const CarveOptions& options_;
  ConsoleStreams streams_;
  std::vector<BatchRow> rows_;
  std::vector<std::string> folders_;  // each source's folder, as made
  std::vector<Child> running_;
  std::size_t next_ = 0;
  bool interruptPassedOn_ = false;
};

}  // namespace

int RunBatch(const CarveOptions& options, ConsoleStreams streams) {
  if (!PrepareOutputFolder(*options.outputRoot, streams)) return kExitUsage;
  return Batch(options, streams).Run();
}

}  // namespace orlenta
