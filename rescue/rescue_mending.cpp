// SPDX-License-Identifier: GPL-3.0-or-later
#include "rescue_mending.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "engine/recovered_file.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

std::string NameOf(const std::string& path) {
  return fs::path(path).filename().string();
}

// Moves `from` to `folder`/`name` unless that exists; false when it does or the move fails.
bool MoveWithoutReplacing(const std::string& from, const std::string& folder,
                          const std::string& name) {
  const std::string to = (fs::path(folder) / name).string();
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

// Adds a file no earlier run made: under the name it was carved with, or the first free one
// of its kind. The name chosen, "" when none could be taken.
std::string AddNew(const RecordedFile& file, const std::string& folder, const std::string& stem) {
  if (MoveWithoutReplacing(file.name, folder, NameOf(file.name))) return NameOf(file.name);
  for (int32_t counter = 1; counter < INT32_MAX; ++counter) {
    const std::string name = RecoveredFileName(counter, stem, file.kind);
    if (MoveWithoutReplacing(file.name, folder, name)) return name;
    if (errno != EEXIST) return "";
  }
  return "";
}

// A name beside `name` for its mended copy: "3REC.mended.jpg", then "3REC.mended2.jpg"...
std::string AddCopy(const RecordedFile& file, const std::string& folder, const std::string& name) {
  const fs::path original(name);
  const std::string base = original.stem().string() + ".mended";
  for (int n = 1; n < 1000; ++n) {
    const std::string copy =
        base + (n == 1 ? "" : std::to_string(n)) + original.extension().string();
    if (MoveWithoutReplacing(file.name, folder, copy)) return copy;
    if (errno != EEXIST) return "";
  }
  return "";
}

}  // namespace

MendingOutcome TakeInStagedFiles(std::vector<RecordedFile>& record,
                                 const std::vector<RecordedFile>& staged, const std::string& folder,
                                 const std::string& stem, bool stopped) {
  MendingOutcome outcome;
  for (std::size_t i = 0; i < staged.size(); ++i) {
    const RecordedFile& file = staged[i];
    const bool cutByStop = stopped && i + 1 == staged.size();
    auto earlier = std::find_if(record.begin(), record.end(), [&](const RecordedFile& known) {
      return known.firstSector == file.firstSector && known.kind == file.kind;
    });
    if (earlier != record.end() && (cutByStop || earlier->sha256 == file.sha256)) {
      fs::remove(file.name);
      continue;
    }
    RecordedFile taken = file;
    if (earlier == record.end()) {
      taken.name = AddNew(file, folder, stem);
      if (taken.name.empty()) {
        outcome.failed.push_back(file.name);
        continue;
      }
      outcome.added.push_back((fs::path(folder) / taken.name).string());
      record.push_back(taken);
      continue;
    }
    const std::string target = (fs::path(folder) / earlier->name).string();
    // The one deliberate replacement: only over the very bytes this program wrote.
    if (FileSha256(target) == earlier->sha256 &&
        std::rename(file.name.c_str(), target.c_str()) == 0) {
      taken.name = earlier->name;
      outcome.mended.push_back(target);
    } else {
      taken.name = AddCopy(file, folder, earlier->name);
      if (taken.name.empty()) {
        outcome.failed.push_back(file.name);
        continue;
      }
      outcome.copies.push_back((fs::path(folder) / taken.name).string());
    }
    *earlier = taken;
  }
  std::stable_sort(record.begin(), record.end(), [](const RecordedFile& a, const RecordedFile& b) {
    return a.firstSector < b.firstSector;
  });
  return outcome;
}

}  // namespace orlenta
