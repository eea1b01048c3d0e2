// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace orlenta {

// What a sector's first bytes announce. 0 means no header; 6 and 10 are both QuickTime
// movies, told apart by which atom comes first, and both get ".mov".
enum FileKind : int32_t {
  kNoHeader = 0,
  kJpeg = 1,
  kGif = 2,
  kPng = 3,
  kAvi = 4,
  kWave = 5,
  kQuickTimeMovieAtom = 6,
  kBmp = 7,
  kMp3 = 8,
  kMpeg = 9,
  kQuickTimeMediaAtom = 10,
};

inline constexpr int kFileKindCount = 10;

// The extension a recovered file of `kind` gets, dot included; "" for kNoHeader or out of range.
const char* FileKindExtension(int kind);

// A short human name of the kind ("JPEG", "QuickTime (moov)"), for summaries.
const char* FileKindName(int kind);

// 1 when `pattern` (length bytes) starts at one of the positions 0..2407 of `data`, else 0.
// The search always covers those 2,408 positions whatever the sector size, so `data` must
// hold at least 2,408 + length - 1 bytes (SectorBuffer does).
int FindPattern(const uint8_t* data, const char* pattern, std::size_t length);

// The kind of the sector now at the start of SectorBuffer. The tests run in a fixed order
// and the first that holds wins: a RIFF sector with "AVI" anywhere in its first 2,410 bytes
// is an AVI even when it is a WAVE, and the QuickTime atoms at offset 4 ignore bytes 0..3.
FileKind DetectFileKind();

// The same tests on any buffer of at least kDetectionDepth bytes.
FileKind DetectFileKindIn(const uint8_t* data);

inline constexpr std::size_t kPatternPositions = 2408;
inline constexpr std::size_t kDetectionDepth = kPatternPositions + 3;  // "WAVE" is 4 bytes

}  // namespace orlenta
