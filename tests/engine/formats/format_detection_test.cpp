// SPDX-License-Identifier: GPL-3.0-or-later
// The wider detection: strict enough that noise and text never pass, and the described
// kinds keep their numbers.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>

#include "engine/formats/format_registry.h"
#include "finder_feed.h"

namespace orlenta {
namespace {

using testing::kSector;
using testing::RandomBytes;

// Runs the detection on every sector of `bytes`, each at several alignments, and counts
// the sectors taken for a header of a kind only the wider detection knows. (The described
// tests are kept as they are: text with "moov" or "mdat" at its fifth byte, or "RIFF" and
// later "AVI", passes them in both modes.)
std::map<int, int> HeadersIn(const std::vector<uint8_t>& bytes) {
  std::map<int, int> headers;
  std::vector<uint8_t> sector(kDetectionDepth);
  for (std::size_t shift = 0; shift < kSector; shift += 256) {
    for (std::size_t at = shift; at + kDetectionDepth <= bytes.size(); at += kSector) {
      std::memcpy(sector.data(), bytes.data() + at, kDetectionDepth);
      const FileKind kind = DetectMoreKinds(sector.data(), kSector);
      if (kind > kFileKindCount) ++headers[kind];
    }
  }
  return headers;
}

// Words, numbers, punctuation and line ends, as in notes, lists and web pages.
std::vector<uint8_t> MakeText(std::size_t count, uint32_t seed) {
  static const char* const kWords[] = {
      "the",  "GIF87a", "ID3",  "RIFF", "ftyp", "moov", "OggS", "fLaC",   "II*", "MM",
      "JFIF", "Exif",   "PNG",  "BM",   "mdat", "WAVE", "AVI",  "<html>", "{",   "}",
      "data", "file",   "disc", "1998", "42",   "0x1A", "qt",   "isom",   "TAG", "matroska"};
  static const char* const kSeparators[] = {" ", " ", " ", ", ", ". ", "\n", "\r\n", "\t", ": "};
  std::mt19937 generator(seed);
  std::string text;
  while (text.size() < count) {
    text += kWords[generator() % std::size(kWords)];
    text += kSeparators[generator() % std::size(kSeparators)];
  }
  return {text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count)};
}

TEST(WiderDetection, NoiseNeverPasses) {
  EXPECT_EQ(HeadersIn(RandomBytes(32u << 20, 2024)), (std::map<int, int>{}));
}

TEST(WiderDetection, TextNeverPasses) {
  EXPECT_EQ(HeadersIn(MakeText(16u << 20, 7)), (std::map<int, int>{}));
}

TEST(WiderDetection, DescribedKindsKeepTheirNumbers) {
  std::vector<uint8_t> sector(kDetectionDepth, 0);
  std::memcpy(sector.data(), "GIF89a", 6);
  EXPECT_EQ(DetectMoreKinds(sector.data(), kSector), kGif);
  std::memcpy(sector.data(), "\0\0\0\x14moov", 8);
  EXPECT_EQ(DetectMoreKinds(sector.data(), kSector), kQuickTimeMovieAtom);
}

TEST(WiderDetection, EveryKindHasANameAnExtensionAndAFinder) {
  for (int kind = 1; kind <= kAllKindCount; ++kind) {
    EXPECT_STRNE(FileKindName(kind), "") << kind;
    EXPECT_EQ(FileKindExtension(kind)[0], '.') << kind;
    EXPECT_NE(MakeEndFinder(static_cast<FileKind>(kind)), nullptr) << kind;
  }
  EXPECT_STREQ(FileKindExtension(kAllKindCount + 1), "");
  EXPECT_EQ(MakeEndFinder(kNoHeader), nullptr);
}

TEST(WiderDetection, ShortSectorsAreReadOnlyAsFarAsTheyGo) {
  // Zeros past `size` would make a longer header; detection must not count on them.
  std::vector<uint8_t> sector(kDetectionDepth, 0);
  std::memcpy(sector.data(),
              "\x00\x00\x00\x18"
              "ftypisom",
              12);
  EXPECT_EQ(DetectMoreKinds(sector.data(), 12), kNoHeader);
  EXPECT_EQ(DetectMoreKinds(sector.data(), kSector), kMp4);
}

TEST(WiderDetection, OffsetsNearTheTopOfTheirRangeStayInTheSector) {
  // A directory offset of 0xFFFFFFFF once wrapped around the bounds check.
  std::vector<uint8_t> sector(kDetectionDepth, 0xFF);
  std::memcpy(sector.data(), "MM\0*", 4);
  EXPECT_EQ(DetectMoreKinds(sector.data(), kSector), kNoHeader);
  std::memcpy(sector.data(), "II*\0", 4);
  EXPECT_EQ(DetectMoreKinds(sector.data(), kSector), kNoHeader);
}

}  // namespace
}  // namespace orlenta
