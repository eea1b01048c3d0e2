// SPDX-License-Identifier: GPL-3.0-or-later
// The files a rescue run reads back: mapfiles (its own, or ddrescue's after it worked on the
// image) and its record of recovered files, which a later run trusts to name files.
#include <gtest/gtest.h>

#include "rescue/rescue_mapfile.h"
#include "rescue/rescue_record.h"

namespace orlenta {
namespace {

std::string States(const std::optional<std::vector<SectorState>>& states) {
  if (!states) return "none";
  std::string text;
  for (const SectorState state : *states) {
    text += state == SectorState::kRead ? '+' : state == SectorState::kBad ? '-' : '?';
  }
  return text;
}

TEST(RescueMapfileTest, ReadsEachSectorsStateAsARescueToolLeftIt) {
  const std::string head = "# Mapfile\n0x00000000     ?               1\n";
  struct Case {
    const char* name;
    std::string areas;
    const char* states;  // of 4 sectors of 512 bytes
  } cases[] = {
      {"areas in order", "0x0 0x400 +\n0x400 0x200 -\n0x600 0x200 ?\n", "++-?"},
      {"a sector read only in part is not read", "0x0 0x300 +\n0x300 0x500 -\n", "+---"},
      {"block-mode leftovers are tried again", "0x0 0x200 *\n0x200 0x200 /\n0x400 0x400 +\n",
       "??++"},
      {"areas past the volume are ignored", "0x0 0x1000 +\n", "++++"},
      {"a short map leaves the rest untried", "0x0 0x200 +\n", "+???"},
      {"a gap between areas", "0x0 0x200 +\n0x400 0x200 +\n", "none"},
      {"an unknown status", "0x0 0x800 x\n", "none"},
      {"a word that is no number", "0x0 0x8zz +\n", "none"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(States(ParseRescueMapfile(head + c.areas, 4, 512)), c.states) << c.name;
  }
  EXPECT_EQ(States(ParseRescueMapfile("# only comments\n", 4, 512)), "none");
}

TEST(RescueMapfileTest, WhatIsWrittenReadsBackTheSame) {
  SectorMap map;
  for (const SectorState state :
       {SectorState::kRead, SectorState::kBad, SectorState::kSkipped, SectorState::kRead}) {
    map.Append(state);
  }
  const std::string text = FormatRescueMapfile(map, {6, 2048, "orlenta-carve x", "now"});
  EXPECT_EQ(States(ParseRescueMapfile(text, 6, 2048)), "+-?+??");
  // Not finished while sectors are untried: a rescue tool goes on from the first of them.
  EXPECT_NE(text.find("0x00001000     ?"), std::string::npos) << text;
  EXPECT_EQ(text.find("# Finished"), std::string::npos) << text;
}

TEST(RescueRecordTest, RoundTripsAndRefusesNamesOutsideTheFolder) {
  const std::vector<RecordedFile> files = {
      {"1REC.jpg", kJpeg, 0, 4096, std::string(64, 'a'), false, {{1, 2}, {5, 1}}},
      {"1REC.gif", kGif, 9, 10, std::string(64, 'b'), true, {}},
  };
  const std::vector<RecordedTrack> tracks = {
      {1, "Track 01.wav", std::string(64, 'c'), 60, {}},
      {2,
       "Track 02 - Song.wav",
       std::string(64, 'd'),
       60,
       {{3, 2, FrameState::kUnrepaired},
        {5, 1, FrameState::kSilence},
        {59, 1, FrameState::kUnread}}},
  };
  EXPECT_EQ(ParseRescueRecord(FormatRescueRecord({files, tracks})), (RescueRecord{files, tracks}));
  // A record written before audio tracks were kept is still read.
  std::string first = FormatRescueRecord({files, {}});
  first.replace(first.find("record 2"), 8, "record 1");
  EXPECT_EQ(ParseRescueRecord(first), (RescueRecord{files, {}}));
  const std::string good = FormatRescueRecord({{files[1]}, {tracks[1]}});
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"1REC.gif\t", "../x.gif\t"},
           {"1REC.gif\t", "sub/x.gif\t"},
           {"1REC.gif\t", "..\t"},
           {"\t2\t", "\t0\t"},
           {"\t1\t-", "\t2\t-"},
           {"\t9\t", "\t-9\t"},
           {"# orlenta-carve rescue record 2", "# something else"},
           {"Track 02 - Song.wav", "../Track 02.wav"},
           {"audio\t2\t", "audio\t0\t"},
           {"audio\t2\t", "audio\t100\t"},
           {"\t60\t", "\tsixty\t"},
           {"3+2u", "3+2q"},            // a state the record has no letter for
           {"3+2u", "3+0u"},            // an empty stretch
           {"3+2u,5+1s", "5+1s,3+2u"},  // stretches out of order
           {"59+1x", "59+2x"},          // past the track's end
           {"3+2u", "3+2"},             // no state at all
       }) {
    std::string text = good;
    ASSERT_NE(text.find(from), std::string::npos) << from;
    text.replace(text.find(from), from.size(), to);
    EXPECT_FALSE(ParseRescueRecord(text)) << to;
  }
}

}  // namespace
}  // namespace orlenta
