// SPDX-License-Identifier: GPL-3.0-or-later
#include "child_summary.h"

#include <sstream>

namespace orlenta {
namespace {
// More files with unreadable sectors than any disc holds is no summary of ours.
constexpr uint64_t kMaxDamagedTold = 100'000'000;
}  // namespace

std::string EncodeSummary(const RunSummary& summary) {
  std::ostringstream text;
  // Kinds with files only: the set of kinds may grow, and a kind left out has none.
  for (std::size_t kind = 1; kind < kKindSlots; ++kind) {
    if (summary.filesPerKind[kind] > 0) {
      text << "files " << kind << ' ' << summary.filesPerKind[kind] << '\n';
    }
  }
  if (summary.namesAsked) {
    text << "named " << summary.namedWhole << ' ' << summary.namedDamaged.size() << '\n';
  }
  text << "scanned " << summary.sectorsScanned << '\n'
       << "total " << summary.sectorsTotal << '\n'
       << "unreadable " << summary.sectorsUnreadable << '\n'
       << "skipped " << summary.sectorsSkipped << '\n'
       << "sector_size " << summary.sectorSize << '\n'
       << "seconds " << summary.elapsedSeconds << '\n';
  // "-": asked for, but the source was not read whole.
  if (summary.sourceSha256) {
    text << "sha256 " << (summary.sourceSha256->empty() ? "-" : *summary.sourceSha256) << '\n';
  }
  text << "end\n";
  return text.str();
}

std::optional<RunSummary> DecodeSummary(std::string_view text) {
  RunSummary summary;
  std::istringstream lines{std::string(text)};
  for (std::string key; lines >> key;) {
    if (key == "end") return summary;
    if (key == "files") {
      std::size_t kind = 0;
      uint64_t count = 0;
      lines >> kind >> count;
      if (kind < 1 || kind >= kKindSlots) return std::nullopt;
      summary.filesPerKind[kind] = count;
    } else if (key == "named") {
      // The batch counts the files by name; their paths stay in the source's own summary.
      uint64_t damaged = 0;
      lines >> summary.namedWhole >> damaged;
      if (damaged > kMaxDamagedTold) return std::nullopt;
      summary.namesAsked = true;
      summary.namedDamaged.resize(damaged);
    } else if (key == "scanned") {
      lines >> summary.sectorsScanned;
    } else if (key == "total") {
      lines >> summary.sectorsTotal;
    } else if (key == "unreadable") {
      lines >> summary.sectorsUnreadable;
    } else if (key == "skipped") {
      lines >> summary.sectorsSkipped;
    } else if (key == "sector_size") {
      lines >> summary.sectorSize;
    } else if (key == "seconds") {
      lines >> summary.elapsedSeconds;
    } else if (key == "sha256") {
      std::string digest;
      lines >> digest;
      summary.sourceSha256 = digest == "-" ? "" : digest;
    } else {
      return std::nullopt;
    }
    if (!lines) return std::nullopt;
  }
  return std::nullopt;  // no "end": cut short
}

}  // namespace orlenta
