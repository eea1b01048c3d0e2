// SPDX-License-Identifier: GPL-3.0-or-later
// Runs that write only some of the files they find: the files they do write are exactly
// those of a run without the filter that the filter keeps, byte for byte, and the report
// names only those.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "carve_runner.h"
#include "report_check.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

using Files = std::map<std::string, std::string>;

// The contents of `files`, sorted: numbers move on when a file is left out, bytes do not.
std::vector<std::string> Contents(const Files& files) {
  std::vector<std::string> contents;
  for (const auto& [name, bytes] : files) contents.push_back(bytes);
  std::sort(contents.begin(), contents.end());
  return contents;
}

std::string Extension(const std::string& name) {
  return std::filesystem::path(name).extension().string();
}

TEST(FileFilterTest, WritesExactlyTheFilesItKeepsOfAnUnfilteredRun) {
  // Sizes in the sample disc: photos 400x300, chart 320x200, animation 160x120, logo 64x48.
  struct Case {
    std::vector<std::string> options;
    std::function<bool(const std::string& name, const std::string& bytes)> kept;
  };
  const auto pictures = [](const std::string& name) {
    return std::set<std::string>{".jpg", ".png", ".gif", ".bmp"}.count(Extension(name)) > 0;
  };
  const std::vector<Case> cases = {
      {{"--kinds", "jpeg,PNG"},
       [](const std::string& name, const std::string&) {
         return Extension(name) == ".jpg" || Extension(name) == ".png";
       }},
      {{"--kinds", "wav"},
       [](const std::string& name, const std::string&) { return Extension(name) == ".wav"; }},
      {{"--exact", "--kinds", "gif,quicktime"},
       [](const std::string& name, const std::string&) {
         return Extension(name) == ".gif" || Extension(name) == ".mov";
       }},
      {{"--min-size", "20k"},
       [](const std::string&, const std::string& bytes) { return bytes.size() >= 20480; }},
      {{"--exact", "--min-size", "12000"},
       [](const std::string&, const std::string& bytes) { return bytes.size() >= 12000; }},
      {{"--min-pixels", "200x150"},
       [pictures](const std::string& name, const std::string&) {
         return !pictures(name) || Extension(name) == ".jpg" || Extension(name) == ".png";
       }},
  };
  TempDir dir;
  const std::string home = dir.Path().string();
  for (const Case& c : cases) {
    const bool exact = c.options[0] == "--exact";
    const std::string all = dir.File(exact ? "all-exact" : "all");
    if (!std::filesystem::exists(all)) {
      ASSERT_EQ(RunCarve(home, {"--quiet", exact ? "--exact" : "--as-described",
                                ORLENTA_SAMPLE_DISC, all}),
                0);
    }
    Files expected;
    for (const auto& [name, bytes] : CarvedFiles(all)) {
      if (c.kept(name, bytes)) expected[name] = bytes;
    }
    const std::string label = c.options[c.options.size() - 2] + "-" + c.options.back();
    const std::string folder = dir.File(label);
    const std::string report = dir.File(label + ".xml");
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"--quiet", "--report", report, ORLENTA_SAMPLE_DISC, folder});
    ASSERT_EQ(RunCarve(home, args), 0) << label << FileText(dir.File("stderr.txt"));
    const Files written = CarvedFiles(folder);
    EXPECT_FALSE(written.empty()) << label;
    EXPECT_LT(written.size(), CarvedFiles(all).size()) << label;
    EXPECT_EQ(Contents(written), Contents(expected)) << label;
    ExpectReportChecksOut(Report(report), {folder}, ORLENTA_SAMPLE_DISC);
  }
}

TEST(FileFilterTest, AFileLeftOutForItsSizeGivesItsNumberToTheNext) {
  TempDir dir;
  const std::string folder = dir.File("out");
  ASSERT_EQ(RunCarve(dir.Path().string(), {"--quiet", "--kinds", "jpeg", "--min-size", "13000",
                                           ORLENTA_SAMPLE_DISC, folder}),
            0);
  // Of the two photos (14,336 and 12,288 bytes as carved), the second is too small.
  EXPECT_EQ(CarvedFiles(folder).size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(folder + "/1REC.jpg"));
}

TEST(FileFilterTest, FilterValuesThatMeanNothingAreRefused) {
  TempDir dir;
  for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--kinds", "jpeg,tiff"},
                                                {"--kinds", ""},
                                                {"--min-size", "1T"},
                                                {"--min-size", "-5"},
                                                {"--min-pixels", "640"},
                                                {"--min-pixels", "x480"}}) {
    std::vector<std::string> args = wrong;
    args.insert(args.end(), {ORLENTA_SAMPLE_DISC, dir.File("out")});
    EXPECT_EQ(RunCarve(dir.Path().string(), args), 2) << wrong[0] << " " << wrong[1];
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
  }
}

}  // namespace
}  // namespace orlenta
