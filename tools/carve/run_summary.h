// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/file_kind.h"
#include "engine/run_members.h"

namespace orlenta {

// What the command line tells at the end of a run.
struct RunSummary {
  // A disc of several tracks: one line per track, in order.
  std::vector<std::string> tracks;
  // Files written whole, per kind.
  std::array<uint64_t, kKindSlots> filesPerKind{};
  // When files were cut at the ends their structures tell: how many per kind were, and the
  // files whose end could not be verified.
  bool endsFollowed = false;
  std::array<uint64_t, kKindSlots> verifiedPerKind{};
  std::vector<std::string> unverifiedFiles;
  // Files started whose writing failed part-way (a full disk), by path.
  std::vector<std::string> incompleteFiles;
  // Headers whose file could not be created at all.
  uint64_t filesNotCreated = 0;
  uint64_t sectorsScanned = 0;
  uint64_t sectorsTotal = 0;
  uint64_t sectorsUnreadable = 0;
  uint64_t sectorsSkipped = 0;  // jumped over in bad zones, never tried
  uint32_t sectorSize = 0;
  double elapsedSeconds = 0;
  // The lowest speed an optical drive was asked for after read errors, and whether it
  // refused it; nullopt when it was never lowered.
  std::optional<int> speedLowered;
  bool speedRefused = false;
  // The disc's music was read with the drive's plain reads although the error correction
  // was asked for: libcdio could not open the drive.
  bool audioWithoutCorrection = false;
  // With --names: the folder of the files by name ("" when the disc listed none), the files
  // written whole, those with unreadable sectors (zeros in their place) or cut short, those
  // that could not be written, and what of the directories could not be read.
  bool namesAsked = false;
  std::string namedFolder;
  uint64_t namedWhole = 0;
  uint64_t namedOlder = 0;    // of them all, the files only an older session lists
  uint64_t namedDeleted = 0;  // of them all, the files whose entries are marked deleted
  std::vector<std::string> namedDamaged;
  std::vector<std::string> namedFailed;
  std::vector<std::string> directoryProblems;
  // With --hash-source: the source's SHA-256, or "" when the run did not read it whole.
  std::optional<std::string> sourceSha256;
  // With --hash-source and --hash: the source's other digests ("md5", "sha1"), when read whole.
  std::vector<std::pair<std::string, std::string>> sourceOtherDigests;
};

// The files written whole, of every kind.
uint64_t FilesRecovered(const RunSummary& summary);
// The files written by name, whole or not.
uint64_t FilesByName(const RunSummary& summary);

// Several lines, each ending in '\n': the tracks of a disc of several, files written whole per kind
// (kinds with none left out; with the verified ends when ends were followed, then every file whose
// end was not verified), the incomplete files by name and the files not created (when there are
// any), sectors scanned and unreadable, elapsed time and throughput, and the source's SHA-256 when
// asked.
std::string FormatSummary(const RunSummary& summary);

}  // namespace orlenta
