// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/file_kind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "engine/sector_buffer.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

struct Bytes {
  std::size_t offset;
  std::string bytes;
};

struct DetectionCase {
  const char* name;
  std::vector<Bytes> set;
  FileKind expected;
};

void PrintTo(const DetectionCase& c, std::ostream* os) {
  *os << "kind " << c.expected;
}

// Exactly as deep as detection may look (unless a row puts bytes deeper), so that a read
// past it is caught by the sanitizer.
std::vector<uint8_t> Buffer(const std::vector<Bytes>& set) {
  std::size_t size = kDetectionDepth;
  for (const auto& [offset, bytes] : set) size = std::max(size, offset + bytes.size());
  std::vector<uint8_t> buffer(size, 0);
  for (const auto& [offset, bytes] : set)
    std::memcpy(buffer.data() + offset, bytes.data(), bytes.size());
  return buffer;
}

const std::string kRiff("RIFF\x24\x08\x00\x00", 8);
const std::string kJfif("\xFF\xD8\xFF\xE0", 4);
const std::string kMpegPack("\x00\x00\x01\xBA\x21", 5);

class DetectionTable : public ::testing::TestWithParam<DetectionCase> {};

TEST_P(DetectionTable, DetectsKind) {
  EXPECT_EQ(DetectFileKindIn(Buffer(GetParam().set).data()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DetectionTable,
    ::testing::Values(
        DetectionCase{"Zeros", {}, kNoHeader}, DetectionCase{"Gif89a", {{0, "GIF89a"}}, kGif},
        DetectionCase{"Gif87aIsNotRecognised", {{0, "GIF87a"}}, kNoHeader},
        DetectionCase{"Png", {{0, "\x89PNG"}}, kPng},
        DetectionCase{"RiffAvi", {{0, kRiff + "AVI "}}, kAvi},
        DetectionCase{"RiffWave", {{0, kRiff + "WAVE"}}, kWave},
        DetectionCase{"RiffWaveWithAviAnywhereIsAvi", {{0, kRiff + "WAVE"}, {1000, "AVI"}}, kAvi},
        DetectionCase{"AviAtLastPosition", {{0, kRiff + "WAVE"}, {2407, "AVI"}}, kAvi},
        DetectionCase{"AviPastLastPosition", {{0, kRiff + "WAVE"}, {2408, "AVI"}}, kWave},
        DetectionCase{"WaveOnlyAt2405", {{0, kRiff}, {2405, "WAVE"}}, kWave},
        DetectionCase{"WaveAtLastPosition", {{0, kRiff}, {2407, "WAVE"}}, kWave},
        DetectionCase{"WaveAt2408NotFound", {{0, kRiff}, {2408, "WAVE"}}, kNoHeader},
        DetectionCase{"RiffAlone", {{0, kRiff}}, kNoHeader},
        DetectionCase{"RiffWithoutFormFallsThroughToMoov", {{0, "RIFFmoov"}}, kQuickTimeMovieAtom},
        DetectionCase{"AviWithoutRiff", {{8, "AVI WAVE"}}, kNoHeader},
        DetectionCase{"MpegPack", {{0, kMpegPack}, {9, "\x80"}, {15, "\xBB"}}, kMpeg},
        DetectionCase{"MpegWrongMuxRate", {{0, kMpegPack}, {9, "\x81"}, {15, "\xBB"}}, kNoHeader},
        DetectionCase{"MpegNoSystemHeader", {{0, kMpegPack}, {9, "\x80"}}, kNoHeader},
        DetectionCase{"Moov", {{4, "moov"}}, kQuickTimeMovieAtom},
        DetectionCase{"MoovBeatsJpeg", {{0, kJfif + "moov"}}, kQuickTimeMovieAtom},
        DetectionCase{"PngBeatsMoov", {{0, "\x89PNGmoov"}}, kPng},
        DetectionCase{"Bmp", {{0, "BM"}, {10, "\x36"}}, kBmp},
        DetectionCase{"BmpNonZeroByte8", {{0, "BM"}, {8, "\x01"}, {10, "\x36"}}, kNoHeader},
        DetectionCase{"BmpWithPalette", {{0, "BM"}, {10, "\x76"}}, kNoHeader},
        DetectionCase{"Id3v23", {{0, "ID3\x03"}}, kMp3},
        DetectionCase{"Id3v24", {{0, "ID3\x04"}}, kNoHeader},
        DetectionCase{"Mp3V1NoCrc", {{0, "\xFF\xFB"}}, kMp3},
        DetectionCase{"Mp3V1NoCrcByte13", {{0, "\xFF\xFB"}, {13, "\x01"}}, kNoHeader},
        DetectionCase{"Mp3V1NoCrcByte4", {{0, "\xFF\xFB\x90\x64\x01"}}, kNoHeader},
        DetectionCase{"Mp3V1Crc", {{0, "\xFF\xFA\x90\x64\x01"}}, kMp3},
        DetectionCase{"Mp3V1CrcByte13", {{0, "\xFF\xFA"}, {13, "\x01"}}, kNoHeader},
        DetectionCase{"Mp3V2AnyByte13", {{0, "\xFF\xF3"}, {13, "\x55"}}, kMp3},
        DetectionCase{"Mp3V2Byte4", {{0, "\xFF\xF3\x90\x64\x01"}}, kNoHeader},
        DetectionCase{"Mdat", {{4, "mdat"}}, kQuickTimeMediaAtom},
        DetectionCase{"MdatLosesToMp3", {{0, "\xFF\xFA\x90\x64mdat"}}, kMp3},
        DetectionCase{"MdatLosesToBmp", {{0, "BM\x10\x10mdat"}, {10, "\x36"}}, kBmp},
        DetectionCase{"MdatBeatsJpeg", {{0, kJfif + "mdat"}}, kQuickTimeMediaAtom},
        DetectionCase{"JpegJfif", {{0, kJfif}}, kJpeg},
        DetectionCase{"JpegExif", {{0, "\xFF\xD8\xFF\xE1"}}, kJpeg},
        DetectionCase{"JpegWithoutApp0OrApp1", {{0, "\xFF\xD8\xFF\xDB"}}, kNoHeader}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindPattern, SearchesExactly2408Positions) {
  for (const std::size_t at : {std::size_t{0}, std::size_t{1}, std::size_t{2407}}) {
    std::vector<uint8_t> data(kPatternPositions + 2, 0);  // what a 3-byte search may read
    std::memcpy(data.data() + at, "AVI", 3);
    EXPECT_EQ(FindPattern(data.data(), "AVI", 3), 1) << "at " << at;
  }
  std::vector<uint8_t> data(kDetectionDepth, 0);
  std::memcpy(data.data() + 2408, "WAV", 3);
  EXPECT_EQ(FindPattern(data.data(), "WAV", 3), 0);
}

TEST(FindPattern, NeedsEveryByteOfThePattern) {
  std::vector<uint8_t> data(kDetectionDepth, 0);
  std::memcpy(data.data() + 100, "WAVWAVAWAVEX", 12);
  EXPECT_EQ(FindPattern(data.data(), "WAVE", 4), 1);
  data[109] = 'F';
  EXPECT_EQ(FindPattern(data.data(), "WAVE", 4), 0);
  EXPECT_EQ(FindPattern(data.data(), "AVI", 3), 0);
}

TEST(FindPattern, ComparesBytesUnsigned) {
  std::vector<uint8_t> data(kDetectionDepth, 0);
  data[500] = 0xE9;
  data[501] = 0x80;
  EXPECT_EQ(FindPattern(data.data(), "\xE9\x80", 2), 1);
}

class DetectFileKindTest : public EngineTest {};

TEST_F(DetectFileKindTest, ReadsSectorBufferAndSearchesNoFurtherThan2410Bytes) {
  std::memcpy(SectorBuffer.data(), "RIFF\x24\x08\x00\x00WAVE", 12);
  std::memcpy(SectorBuffer.data() + 3000, "AVI", 3);  // inside a 4,096-byte sector, but too deep
  EXPECT_EQ(DetectFileKind(), kWave);
  std::memcpy(SectorBuffer.data() + 2100, "AVI", 3);  // past a 2,048-byte sector, still searched
  EXPECT_EQ(DetectFileKind(), kAvi);
}

TEST_F(DetectFileKindTest, EveryTestSectorIsDetectedAsItsKind) {
  for (int kind = 0; kind <= kFileKindCount; ++kind) {
    const std::vector<uint8_t> sector = MakeSector(kind, 7 + kind);
    std::copy(sector.begin(), sector.end(), SectorBuffer.begin());
    EXPECT_EQ(DetectFileKind(), kind);
  }
}

TEST(FileKindExtension, TableAndOutOfRange) {
  const char* expected[] = {"",     ".jpg", ".gif", ".png", ".avi", ".wav",
                            ".mov", ".bmp", ".mp3", ".mpg", ".mov"};
  for (int kind = 0; kind <= kFileKindCount; ++kind) {
    EXPECT_STREQ(FileKindExtension(kind), expected[kind]) << kind;
  }
  EXPECT_STREQ(FileKindExtension(-1), "");
  EXPECT_STREQ(FileKindExtension(kAllKindCount + 1), "");
}

}  // namespace
}  // namespace orlenta
