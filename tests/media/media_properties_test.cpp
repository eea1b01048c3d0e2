// SPDX-License-Identifier: GPL-3.0-or-later
// The lines the window shows for the medium in a drive, from its table of contents.
#include "media/media_properties.h"

#include <gtest/gtest.h>

namespace orlenta {
namespace {

TEST(MediaPropertyLines, AudioTracksAreShownAndAnAudioCdAsSuch) {
  const MediumTrack song1{1, true, 0, 75 * 200};     // 3:20
  const MediumTrack song2{2, true, 15000, 75 * 45};  // 0:45
  const MediumTrack data{3, false, 30000, 5000};
  struct Case {
    MediaFigures figures;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {{0, 0, {}}, {"Not inserted or not ready."}},
      {{1000, 2048, {}}, {"Capacity 2000 KB", "Number of sectors 1000 ", "Bytes per sector 2048 "}},
      {{18375, 2048, {song1, song2}}, {"Audio CD, 2 tracks", "Length 4:05"}},
      {{35000, 2048, {song1, data}},
       {"Capacity 70000 KB", "Number of sectors 35000 ", "Bytes per sector 2048 ", "Audio tracks 1",
        "Length 3:20"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MediaPropertyLines(c.figures, kEnglish), c.lines);
  }
  EXPECT_EQ(MediaPropertyLines({18375, 2048, {song1, song2}}, 3)[0], "Audio-CD, 2 Titel");
}

}  // namespace
}  // namespace orlenta
