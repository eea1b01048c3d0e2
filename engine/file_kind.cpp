// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_kind.h"

#include <cstring>

#include "sector_buffer.h"

namespace orlenta {
namespace {

struct KindInfo {
  const char* extension;
  const char* name;
};

constexpr KindInfo kKinds[kAllKindCount + 1] = {
    {"", ""},
    {".jpg", "JPEG"},
    {".gif", "GIF"},
    {".png", "PNG"},
    {".avi", "AVI"},
    {".wav", "WAVE"},
    {".mov", "QuickTime (moov)"},
    {".bmp", "BMP"},
    {".mp3", "MP3"},
    {".mpg", "MPEG"},
    {".mov", "QuickTime (mdat)"},
    {".gif", "GIF87a"},
    {".jpg", "JPEG (other)"},
    {".mp4", "MP4"},
    {".m4a", "M4A"},
    {".3gp", "3GP"},
    {".mov", "QuickTime (ftyp)"},
    {".mp3", "MP3 (other)"},
    {".bmp", "BMP (other)"},
    {".mpg", "MPEG-1 (other)"},
    {".vob", "MPEG-2 / VOB"},
    {".wma", "WMA"},
    {".wmv", "WMV"},
    {".flac", "FLAC"},
    {".ogg", "Ogg"},
    {".mkv", "Matroska"},
    {".webm", "WebM"},
    {".cr2", "CR2"},
    {".nef", "NEF"},
    {".arw", "ARW"},
    {".dng", "DNG"},
    {".aif", "AIFF"},
    {".webp", "WebP"},
    {".tif", "TIFF"},
    {".ts", "TS"},
    {".m2ts", "M2TS"},
    {".heic", "HEIF"},
    {".avif", "AVIF"},
    {".aac", "AAC"},
    {".ac3", "AC-3"},
    {".psd", "PSD"},
    {".cr3", "CR3"},
    {".raf", "RAF"},
    {".orf", "ORF"},
    {".rw2", "RW2"},
};

bool StartsWith(const uint8_t* data, const char* text, std::size_t length) {
  return std::memcmp(data, text, length) == 0;
}

bool IsRiff(const uint8_t* d) {
  return StartsWith(d, "RIFF", 4);
}

bool IsAtomAtOffset4(const uint8_t* d, const char* atom) {
  return StartsWith(d + 4, atom, 4);
}

bool IsMpegPack(const uint8_t* d) {
  return d[0] == 0x00 && d[1] == 0x00 && d[2] == 0x01 && d[3] == 0xBA && d[4] == 0x21 &&
         d[9] == 0x80 && d[15] == 0xBB;
}

bool IsBmp(const uint8_t* d) {
  return d[0] == 0x42 && d[1] == 0x4D && d[8] == 0x00 && d[9] == 0x00 && d[10] == 0x36;
}

bool IsMp3(const uint8_t* d) {
  const bool id3v23 = StartsWith(d, "ID3", 3) && d[3] == 0x03 && d[4] == 0x00;
  const bool v1NoCrc = d[0] == 0xFF && d[1] == 0xFB && d[4] == 0x00 && d[13] == 0x00;
  const bool v1Crc = d[0] == 0xFF && d[1] == 0xFA && d[13] == 0x00;
  const bool v2NoCrc = d[0] == 0xFF && d[1] == 0xF3 && d[4] == 0x00;
  return id3v23 || v1NoCrc || v1Crc || v2NoCrc;
}

bool IsJpeg(const uint8_t* d) {
  return d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF && (d[3] == 0xE0 || d[3] == 0xE1);
}

}  // namespace

std::string KindFolderName(int kind) {
  const std::string extension = FileKindExtension(kind);
  return extension.empty() ? "other" : extension.substr(1);
}

const char* FileKindExtension(int kind) {
  return kind >= 1 && kind <= kAllKindCount ? kKinds[kind].extension : "";
}

const char* FileKindName(int kind) {
  return kind >= 1 && kind <= kAllKindCount ? kKinds[kind].name : "";
}

int FindPattern(const uint8_t* data, const char* pattern, std::size_t length) {
  const auto first = static_cast<uint8_t>(pattern[0]);
  for (std::size_t p = 0; p < kPatternPositions; ++p) {
    if (data[p] == first && std::memcmp(data + p + 1, pattern + 1, length - 1) == 0) return 1;
  }
  return 0;
}

FileKind DetectFileKindIn(const uint8_t* d) {
  // Most sectors begin with none of the first bytes below; the order of the tests matters
  // only among sectors that match more than one of them.
  if (StartsWith(d, "GIF89", 5)) return kGif;
  if (d[0] == 0x89 && StartsWith(d + 1, "PNG", 3)) return kPng;
  if (IsRiff(d) && FindPattern(d, "AVI", 3)) return kAvi;
  if (IsMpegPack(d)) return kMpeg;
  if (IsRiff(d) && FindPattern(d, "WAVE", 4)) return kWave;
  if (IsAtomAtOffset4(d, "moov")) return kQuickTimeMovieAtom;
  if (IsBmp(d)) return kBmp;
  if (IsMp3(d)) return kMp3;
  if (IsAtomAtOffset4(d, "mdat")) return kQuickTimeMediaAtom;
  if (IsJpeg(d)) return kJpeg;
  return kNoHeader;
}

FileKind DetectFileKind() {
  return DetectFileKindIn(SectorBuffer.data());
}

}  // namespace orlenta
