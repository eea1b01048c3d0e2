// SPDX-License-Identifier: GPL-3.0-or-later
#include "carve_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <vector>

namespace orlenta {
namespace {

struct Printed {
  std::string out;
  std::string err;
};

std::variant<CarveOptions, int> Parse(std::vector<const char*> args, Printed* printed = nullptr) {
  args.insert(args.begin(), "orlenta-carve");
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  auto parsed = ParseCarveOptions(static_cast<int>(args.size()), args.data());
  Printed got{::testing::internal::GetCapturedStdout(), ::testing::internal::GetCapturedStderr()};
  if (printed) *printed = got;
  return parsed;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The words a shell makes of `line`, each in brackets.
std::string WordsAShellReads(const std::string& line) {
  const std::string script = "printf '[%s]' " + line;
  std::string quoted = "'";
  for (const char c : script) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  std::FILE* pipe = ::popen(("bash -c " + quoted + "'").c_str(), "r");
  if (!pipe) return "";
  std::string words;
  char piece[256];
  for (std::size_t got; (got = std::fread(piece, 1, sizeof piece, pipe)) > 0;)
    words.append(piece, got);
  ::pclose(pipe);
  return words;
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

TEST(CarveOptionsTest, HelpComesInTheGnuFormWithinEightyColumns) {
  Printed printed;
  EXPECT_EQ(std::get<int>(Parse({"--help"}, &printed)), 0);
  const auto lines = Lines(printed.out);
  ASSERT_GT(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Usage: orlenta-carve [OPTION]... SOURCE [OUTPUT_FOLDER]");
  EXPECT_EQ(lines[1], "  or:  orlenta-carve [OPTION]... -o ROOT SOURCE...");
  EXPECT_EQ(lines[2], "  or:  orlenta-carve --table ROOT");
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), 80u) << line;
    // The parser's own notation says nothing to a user.
    for (const char* notation : {"TEXT", "REQUIRED", "INT", "ENUM", "Excludes", "Usage:", "[1 -"}) {
      if (line.starts_with("Usage:")) continue;
      EXPECT_EQ(line.find(notation), std::string::npos) << line;
    }
  }
  for (const char* head : {"  -o, --output-root=ROOT", "  -j, --jobs=N ", "  -q, --quiet ",
                           "      --layout=LAYOUT ", "  -V, --version ", "  -h, --help "}) {
    EXPECT_NE(printed.out.find(std::string("\n") + head), std::string::npos) << head;
  }
  EXPECT_EQ(printed.out.find("summary-fd"), std::string::npos);
}

TEST(CarveOptionsTest, EveryErrorNamesTheProgramAndWhatWasWrong) {
  const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
      {{"disc.iso", "--bogus"}, "unrecognized option '--bogus'"},
      {{"--no-such", "-o", "root"}, "unrecognized option '--no-such'"},
      {{"--bogus"}, "unrecognized option '--bogus'"},  // not "SOURCE is required"
      {{"a.iso", "-o", "root", "-j", "99"}, "--jobs: '99' is not a whole number from 1 to 64"},
      {{"disc.iso", "--layout", "bogus"}, "--layout: 'bogus' is not one of: auto, plain, raw"},
      {{"a", "b", "c"}, "several sources need -o ROOT (a folder for each under ROOT)"},
      {{}, "SOURCE is required"},
      {{"--table", "root", "disc.iso"}, "--table reads reports: it takes no SOURCE"},
      {{"disc.iso", "--kinds", "jpeg,tiff"},
       "--kinds: 'tiff' is not a kind of file Orlenta recovers"},
      {{"disc.iso", "--hash", "md5,crc32"}, "--hash: 'crc32' is not one of: md5, sha1, sha256"},
  };
  for (const auto& [args, problem] : cases) {
    Printed printed;
    EXPECT_EQ(std::get<int>(Parse(args, &printed)), kExitUsage) << problem;
    const auto lines = Lines(printed.err);
    ASSERT_EQ(lines.size(), 2u) << printed.err;
    EXPECT_EQ(lines[0], "orlenta-carve: " + problem);
    EXPECT_EQ(lines[1], "Try 'orlenta-carve --help' for more information.");
  }
}

TEST(CarveOptionsTest, TheRecordedCommandLineReadsBackAsTheSameWords) {
  const auto parsed = Parse({"my disc.iso", "it's", "--stem", "A", "--summary-fd", "7"});
  ASSERT_TRUE(std::holds_alternative<CarveOptions>(parsed));
  const std::string& line = std::get<CarveOptions>(parsed).commandLine;
  EXPECT_EQ(line, "orlenta-carve 'my disc.iso' 'it'\\''s' --stem A");
  EXPECT_EQ(WordsAShellReads(line), "[orlenta-carve][my disc.iso][it's][--stem][A]");
  // A line break stays inside one line (a mapfile's comment), and nothing is expanded.
  const auto odd = Parse({"a\nb", "$HOME*", "-o", "r", "日本 \\", ""});
  ASSERT_TRUE(std::holds_alternative<CarveOptions>(odd));
  const std::string& oddLine = std::get<CarveOptions>(odd).commandLine;
  EXPECT_EQ(oddLine.find('\n'), std::string::npos) << oddLine;
  EXPECT_EQ(WordsAShellReads(oddLine), "[orlenta-carve][a\nb][$HOME*][-o][r][日本 \\][]");
}

TEST(CarveOptionsTest, ShortFormsOfQuietAndVersion) {
  EXPECT_TRUE(std::get<CarveOptions>(Parse({"-q", "disc.iso"})).quiet);
  Printed printed;
  EXPECT_EQ(std::get<int>(Parse({"-V"}, &printed)), 0);
  EXPECT_EQ(printed.out, std::string("orlenta-carve ") + ORLENTA_VERSION + "\n");
}

TEST(CarveOptionsTest, SizesAndDimensionsOfTheFilters) {
  const std::vector<std::pair<std::string, std::optional<uint64_t>>> sizes = {
      {"100", 100},       {"64k", 65536}, {"64K", 65536}, {"2M", 2u << 20},
      {"3G", 3ull << 30}, {"0", 0},       {"", {}},       {"k", {}},
      {"1T", {}},         {"-5", {}},     {"5 k", {}},    {"999999999999999G", {}},
  };
  for (const auto& [text, bytes] : sizes) EXPECT_EQ(ByteCount(text), bytes) << text;
  using Pixels = std::optional<std::pair<uint32_t, uint32_t>>;
  EXPECT_EQ(PixelCount("640x480"), (Pixels{{640, 480}}));
  EXPECT_EQ(PixelCount("640X480"), (Pixels{{640, 480}}));
  for (const char* wrong : {"640", "x480", "640x", "6a0x480", "640x480x2", "9999999999x1"}) {
    EXPECT_EQ(PixelCount(wrong), Pixels{}) << wrong;
  }
}

TEST(CarveOptionsTest, StemRules) {
  EXPECT_EQ(NameStemProblem(""), "");
  EXPECT_EQ(NameStemProblem("REC"), "");
  EXPECT_NE(NameStemProblem("RECX"), "");
  EXPECT_NE(NameStemProblem("a/b"), "");
}

}  // namespace
}  // namespace orlenta
