// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
  // Recognised only by the wider detection (DetectMoreKinds), each with its own counter.
  kGif87a = 11,
  kJpegOther = 12,  // a JPEG that starts with neither an APP0 nor an APP1 segment
  kMp4 = 13,
  kM4a = 14,
  k3gp = 15,
  kQuickTimeFtyp = 16,  // a QuickTime movie that starts with its 'ftyp' atom
  kMp3Other = 17,       // other ID3v2 tags, or a bare chain of frames
  kBmpOther = 18,       // other header sizes or pixel offsets
  kMpeg1Other = 19,     // MPEG-1 program streams the described test passes over
  kMpeg2 = 20,          // MPEG-2 program stream, as on DVD-Video
  kWma = 21,
  kWmv = 22,
  kFlac = 23,
  kOgg = 24,
  kMatroska = 25,
  kWebm = 26,
  kCr2 = 27,
  kNef = 28,
  kArw = 29,
  kDng = 30,
  kAiff = 31,  // AIFF and AIFC
  kWebp = 32,
  kTiff = 33,  // a TIFF picture, no camera's raw file
  kMpegTs = 34,
  kM2ts = 35,  // a transport stream with a time stamp before each packet, as camcorders write
  kHeic = 36,  // HEIF pictures: HEIC and the like
  kAvif = 37,
  kAac = 38,  // AAC in ADTS frames
  kAc3 = 39,  // AC-3 and E-AC-3
  kPsd = 40,  // PSD and PSB
  kCr3 = 41,
  kRaf = 42,
  kOrf = 43,
  kRw2 = 44,
};

inline constexpr int kFileKindCount = 10;  // the kinds DetectFileKind knows
inline constexpr int kAllKindCount = 44;   // every kind, the wider detection's included

// The extension a recovered file of `kind` (1..kAllKindCount) gets, dot included; "" for
// kNoHeader or out of range.
const char* FileKindExtension(int kind);

// The folder a file of `kind` goes to when files are sorted by kind: its extension without
// the dot ("jpg"), so that kinds sharing an extension share a folder.
std::string KindFolderName(int kind);

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
