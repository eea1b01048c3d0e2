// SPDX-License-Identifier: GPL-3.0-or-later
#include "carve_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace orlenta {
namespace {

std::variant<CarveOptions, int> Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "orlenta-carve");
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  auto parsed = ParseCarveOptions(static_cast<int>(args.size()), args.data());
  ::testing::internal::GetCapturedStdout();
  ::testing::internal::GetCapturedStderr();
  return parsed;
}

TEST(CarveOptionsTest, SourceFolderStemAndQuiet) {
  const auto parsed = Parse({"disc.iso", "out", "--stem", "AB", "--quiet"});
  ASSERT_TRUE(std::holds_alternative<CarveOptions>(parsed));
  const auto& options = std::get<CarveOptions>(parsed);
  EXPECT_EQ(options.source, "disc.iso");
  EXPECT_EQ(options.outputFolder, "out");
  EXPECT_EQ(options.stem, "AB");
  EXPECT_TRUE(options.quiet);
}

TEST(CarveOptionsTest, DefaultsLeaveFolderAndStemToTheSettings) {
  const auto parsed = Parse({"/dev/sr0"});
  ASSERT_TRUE(std::holds_alternative<CarveOptions>(parsed));
  EXPECT_FALSE(std::get<CarveOptions>(parsed).outputFolder);
  EXPECT_FALSE(std::get<CarveOptions>(parsed).stem);
  EXPECT_FALSE(std::get<CarveOptions>(parsed).quiet);
}

TEST(CarveOptionsTest, BadUsageEndsWithStatus2) {
  EXPECT_EQ(std::get<int>(Parse({})), kExitUsage);
  EXPECT_EQ(std::get<int>(Parse({"disc.iso", "--stem", "ABCD"})), kExitUsage);
  EXPECT_EQ(std::get<int>(Parse({"disc.iso", "--stem", "../"})), kExitUsage);
  EXPECT_EQ(std::get<int>(Parse({"disc.iso", "--bogus"})), kExitUsage);
  EXPECT_EQ(std::get<int>(Parse({"a", "b", "c"})), kExitUsage);
}

TEST(CarveOptionsTest, TheLayoutIsNamedInAnyCaseAndOnlyByName) {
  const auto layoutOf = [](const char* name) {
    return std::get<CarveOptions>(Parse({"disc.bin", "--layout", name})).layout;
  };
  EXPECT_EQ(layoutOf("raw"), LayoutChoice::kRaw);
  EXPECT_EQ(layoutOf("RAW"), LayoutChoice::kRaw);
  EXPECT_EQ(layoutOf("Plain"), LayoutChoice::kPlain);
  EXPECT_EQ(layoutOf("auto"), LayoutChoice::kAuto);
  EXPECT_EQ(std::get<CarveOptions>(Parse({"disc.bin"})).layout, LayoutChoice::kAuto);
  for (const char* wrong : {"bogus", "0", "2", ""}) {
    EXPECT_EQ(std::get<int>(Parse({"disc.bin", "--layout", wrong})), kExitUsage) << wrong;
  }
}

TEST(CarveOptionsTest, WithOutputRootEveryWordIsASource) {
  const auto parsed =
      Parse({"a.iso", "b.bin", "c.cue", "-o", "root", "-j", "2", "--report", "r.xml"});
  ASSERT_TRUE(std::holds_alternative<CarveOptions>(parsed));
  const auto& options = std::get<CarveOptions>(parsed);
  EXPECT_EQ(options.sources, (std::vector<std::string>{"a.iso", "b.bin", "c.cue"}));
  EXPECT_EQ(options.outputRoot, "root");
  EXPECT_FALSE(options.outputFolder);
  EXPECT_EQ(options.jobs, 2u);
  // The batch's report is a name inside each source's folder; -j belongs to the batch form.
  EXPECT_EQ(std::get<int>(Parse({"a.iso", "-o", "root", "--report", "../r.xml"})), kExitUsage);
  EXPECT_EQ(std::get<int>(Parse({"a.iso", "out", "-j", "2"})), kExitUsage);
  EXPECT_EQ(std::get<int>(Parse({"a.iso", "-o", "root", "-j", "0"})), kExitUsage);
}

TEST(CarveOptionsTest, HelpAndVersionEndWithStatus0) {
  EXPECT_EQ(std::get<int>(Parse({"--help"})), 0);
  EXPECT_EQ(std::get<int>(Parse({"--version"})), 0);
}

TEST(CarveOptionsTest, StemRules) {
  EXPECT_EQ(NameStemProblem(""), "");
  EXPECT_EQ(NameStemProblem("REC"), "");
  EXPECT_NE(NameStemProblem("RECX"), "");
  EXPECT_NE(NameStemProblem("a/b"), "");
}

}  // namespace
}  // namespace orlenta
