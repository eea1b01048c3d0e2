// SPDX-License-Identifier: GPL-3.0-or-later
#include "run_summary.h"

#include <cstdio>

#include "printable_text.h"
#include "progress_line.h"

namespace orlenta {
namespace {

std::string Line(const char* format, auto... values) {
  char text[200];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

}  // namespace

uint64_t FilesRecovered(const RunSummary& summary) {
  uint64_t files = 0;
  for (const uint64_t count : summary.filesPerKind) files += count;
  return files;
}

uint64_t FilesByName(const RunSummary& summary) {
  return summary.namedWhole + summary.namedDamaged.size();
}

namespace {

// The files written by name, apart from the carved ones.
std::string NamedPart(const RunSummary& summary) {
  if (!summary.namesAsked) return {};
  if (summary.namedFolder.empty()) {
    return "Files by name: none (no directory that can be read)\n";
  }
  const uint64_t named = FilesByName(summary);
  std::string text = Line("Files by name: %llu, in ", static_cast<unsigned long long>(named)) +
                     summary.namedFolder + "\n";
  text += Line("  whole: %llu\n", static_cast<unsigned long long>(summary.namedWhole));
  if (summary.namedOlder != 0) {
    text += Line("  from older sessions (removed or replaced since): %llu\n",
                 static_cast<unsigned long long>(summary.namedOlder));
  }
  if (summary.namedDeleted != 0) {
    text += Line("  deleted (their entries marked so on the disc): %llu\n",
                 static_cast<unsigned long long>(summary.namedDeleted));
  }
  if (!summary.namedDamaged.empty()) {
    text +=
        Line("  with unreadable sectors (zeros) or cut short: %zu\n", summary.namedDamaged.size());
    for (const std::string& path : summary.namedDamaged) text += "    " + path + "\n";
  }
  if (!summary.namedFailed.empty()) {
    text += Line("  not written: %zu\n", summary.namedFailed.size());
    for (const std::string& path : summary.namedFailed) text += "    " + path + "\n";
  }
  for (const std::string& problem : summary.directoryProblems) {
    text += "  directory: " + problem + "\n";
  }
  return text;
}

}  // namespace

std::string FormatSummary(const RunSummary& summary) {
  const uint64_t files = FilesRecovered(summary);
  uint64_t verified = 0;
  std::string kinds;
  for (std::size_t kind = 1; kind < kKindSlots; ++kind) {
    const uint64_t count = summary.filesPerKind[kind];
    verified += summary.verifiedPerKind[kind];
    if (count == 0) continue;
    const auto name = FileKindName(static_cast<int>(kind));
    if (summary.endsFollowed) {
      kinds += Line("  %-18s %llu (%llu verified)\n", name, static_cast<unsigned long long>(count),
                    static_cast<unsigned long long>(summary.verifiedPerKind[kind]));
    } else {
      kinds += Line("  %-18s %llu\n", name, static_cast<unsigned long long>(count));
    }
  }
  const double megabytes = static_cast<double>(summary.sectorsScanned) * summary.sectorSize / 1e6;
  const double rate = summary.elapsedSeconds > 0 ? megabytes / summary.elapsedSeconds : 0;
  std::string text = NamedPart(summary);
  if (!summary.tracks.empty()) {
    text += Line("Tracks: %zu\n", summary.tracks.size());
    for (const std::string& track : summary.tracks) text += "  " + track + "\n";
  }
  if (summary.audioWithoutCorrection) {
    text += "Audio: read without error correction, as libcdio could not open the drive\n";
  }
  text +=
      Line(summary.namesAsked ? "Files recovered by carving: %llu\n" : "Files recovered: %llu\n",
           static_cast<unsigned long long>(files));
  text += kinds;
  if (summary.endsFollowed) {
    text += Line("Ends verified: %llu of %llu\n", static_cast<unsigned long long>(verified),
                 static_cast<unsigned long long>(files));
    for (const std::string& path : summary.unverifiedFiles) {
      text += "  not verified: " + PrintableText(path) + "\n";
    }
  }
  if (!summary.incompleteFiles.empty()) {
    text += Line("Files incomplete: %zu\n", summary.incompleteFiles.size());
    for (const std::string& path : summary.incompleteFiles) {
      text += "  " + PrintableText(path) + "\n";
    }
  }
  if (summary.filesNotCreated > 0) {
    text +=
        Line("Files not created: %llu\n", static_cast<unsigned long long>(summary.filesNotCreated));
  }
  text += Line("Sectors scanned: %llu of %llu (%u bytes each)\n",
               static_cast<unsigned long long>(summary.sectorsScanned),
               static_cast<unsigned long long>(summary.sectorsTotal), summary.sectorSize);
  text += Line("Sectors unreadable: %llu\n",
               static_cast<unsigned long long>(summary.sectorsUnreadable));
  if (summary.speedLowered) {
    text += summary.speedRefused
                ? "Drive speed: the drive would not read slower after read errors\n"
                : Line("Drive speed: lowered to %dx after read errors\n", *summary.speedLowered);
  }
  if (summary.sectorsSkipped > 0) {
    text += Line("Sectors skipped: %llu (bad zones jumped over, written as zeros)\n",
                 static_cast<unsigned long long>(summary.sectorsSkipped));
  }
  text += Line("Elapsed: %s (%.1f MB/s)\n", FormatDuration(summary.elapsedSeconds).c_str(), rate);
  if (summary.sourceSha256) {
    const std::string& digest = *summary.sourceSha256;
    text += "Source SHA-256: " +
            (digest.empty() ? "not taken: the source was not read whole" : digest) + "\n";
  }
  for (const auto& [name, hex] : summary.sourceOtherDigests) {
    text += std::string("Source ") + (name == "md5" ? "MD5" : "SHA-1") + ": " + hex + "\n";
  }
  return text;
}

}  // namespace orlenta
