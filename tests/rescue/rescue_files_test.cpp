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
  EXPECT_EQ(ParseRescueRecord(FormatRescueRecord(files)), files);
  const std::string good = FormatRescueRecord({files[1]});
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"1REC.gif\t", "../x.gif\t"},
           {"1REC.gif\t", "sub/x.gif\t"},
           {"1REC.gif\t", "..\t"},
           {"\t2\t", "\t0\t"},
           {"\t1\t-", "\t2\t-"},
           {"\t9\t", "\t-9\t"},
           {"# orlenta-carve rescue record 1", "# something else"},
       }) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    EXPECT_FALSE(ParseRescueRecord(text)) << to;
  }
}

}  // namespace
}  // namespace orlenta
