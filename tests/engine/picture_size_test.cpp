// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/picture_size.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/file_filter.h"

namespace orlenta {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

TEST(PictureSizeTest, ReadsTheDimensionsEachHeaderGives) {
  using namespace std::string_literals;
  struct Case {
    const char* what;
    FileKind kind;
    std::string header;
    std::optional<std::pair<uint32_t, uint32_t>> size;
  };
  const std::string app1 = "\xFF\xE1\x00\x20"s + std::string(0x1E, '\0');
  // A thumbnail's frame header inside the APP1 segment, then the picture's own.
  const std::string thumbnailInApp1 =
      "\xFF\xE1\x00\x10\xFF\xC0\x00\x11\x08\x00\x10\x00\x20"s + std::string(5, '\0');
  const std::string sof0 = "\xFF\xC0\x00\x11\x08\x01\xE0\x02\x80"s;  // 640 x 480
  const std::vector<Case> cases = {
      {"PNG", kPng, "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\x40\0\0\0\xC8"s, {{320, 200}}},
      {"PNG without IHDR", kPng, "\x89PNG\r\n\x1A\n\0\0\0\rIDAT\0\0\x01\x40\0\0\0\xC8"s, {}},
      {"GIF", kGif, "GIF89a\xA0\x00\x78\x00"s, {{160, 120}}},
      {"GIF87a", kGif87a, "GIF87a\x10\x00\x10\x00"s, {{16, 16}}},
      {"BMP", kBmp, "BM"s + std::string(12, '\0') + "\x28\0\0\0\x40\0\0\0\x30\0\0\0"s, {{64, 48}}},
      {"BMP top-down",
       kBmp,
       "BM"s + std::string(12, '\0') + "\x28\0\0\0\x40\0\0\0\xD0\xFF\xFF\xFF"s,
       {{64, 48}}},
      {"BMP OS/2",
       kBmpOther,
       "BM"s + std::string(12, '\0') + "\x0C\0\0\0\x20\0\x10\0"s,
       {{32, 16}}},
      {"JPEG", kJpeg, "\xFF\xD8"s + app1 + sof0, {{640, 480}}},
      {"JPEG, thumbnail skipped", kJpeg, "\xFF\xD8"s + thumbnailInApp1 + sof0, {{640, 480}}},
      {"JPEG, frame past the bytes", kJpeg, "\xFF\xD8\xFF\xE1\x40\x00"s + app1, {}},
      {"JPEG, scan first", kJpegOther, "\xFF\xD8\xFF\xDA\x00\x02"s + sof0, {}},
      {"JPEG, damaged", kJpeg, "\xFF\xD8\x12\x34\x00\x02"s + sof0, {}},
      {"cut short", kPng, "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0"s, {}},
      {"not a picture", kWave, "RIFF\0\0\0\0WAVE"s, {}},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> bytes = Bytes(c.header);
    const auto size = PictureSizeOf(c.kind, bytes);
    ASSERT_EQ(size.has_value(), c.size.has_value()) << c.what;
    if (size) {
      EXPECT_EQ(size->width, c.size->first) << c.what;
      EXPECT_EQ(size->height, c.size->second) << c.what;
    }
  }
}

TEST(FileFilterTest, FamiliesNameKindsInAnyCaseAndByExtension) {
  const std::vector<std::pair<std::string, std::vector<FileKind>>> cases = {
      {"jpeg", {kJpeg, kJpegOther}},
      {"JPG", {kJpeg, kJpegOther}},
      {"gif", {kGif, kGif87a}},
      {"quicktime", {kQuickTimeMovieAtom, kQuickTimeMediaAtom, kQuickTimeFtyp}},
      {"mpeg", {kMpeg, kMpeg1Other, kMpeg2}},
      {"wav", {kWave}},
      {"mp3", {kMp3, kMp3Other}},
      {"mp", {}},
      {"tiff", {}},
  };
  for (const auto& [family, kinds] : cases) {
    FileFilter filter;
    const std::string unknown = filter.KeepFamilies({family});
    EXPECT_EQ(unknown.empty(), !kinds.empty()) << family;
    if (kinds.empty()) continue;
    for (int kind = 1; kind <= kAllKindCount; ++kind) {
      const bool wanted = std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
      EXPECT_EQ(filter.KeepsAtStart(static_cast<FileKind>(kind), {}), wanted)
          << family << " " << FileKindName(kind);
    }
  }
}

}  // namespace
}  // namespace orlenta
