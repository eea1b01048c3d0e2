// SPDX-License-Identifier: GPL-3.0-or-later
#include "confyg_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "confyg_test_support.h"
#include "engine/options_file.h"
#include "engine/settings_file.h"
#include "platform/drive_map_file.h"
#include "settings_store.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

// The options of `args` (after the program's name), or the exit status parsing ended with.
std::variant<ConfygOptions, int> Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "confyg");
  return ParseConfygOptions(static_cast<int>(args.size()), args.data());
}

TEST(ConfygOptionsTest, ValuesAreTakenAsGivenAndMadeAbsolute) {
  const auto parsed = Parse({"--init", "--language", "DE", "--stem", "ab", "--open-folder", "yes",
                             "--output-folder", "out", "--drive", "e=disc.iso", "--drive", "F="});
  ASSERT_TRUE(std::holds_alternative<ConfygOptions>(parsed));
  const ConfygOptions& options = std::get<ConfygOptions>(parsed);
  EXPECT_TRUE(options.init);
  EXPECT_EQ(options.edit.language, 3);
  EXPECT_EQ(options.edit.nameStem, "ab");
  EXPECT_EQ(options.edit.openFolderWhenDone, true);
  EXPECT_EQ(options.edit.outputFolder, (fs::current_path() / "out").string());
  EXPECT_THAT(options.drives,
              ElementsAre(Pair('E', (fs::current_path() / "disc.iso").string()), Pair('F', "")));
}

TEST(ConfygOptionsTest, MalformedValuesAreUsageErrors) {
  EXPECT_EQ(std::get<int>(Parse({"--language", "klingon"})), kConfygUsage);
  EXPECT_EQ(std::get<int>(Parse({"--drive", "/dev/sr0"})), kConfygUsage);
  EXPECT_EQ(std::get<int>(Parse({"--open-folder", "maybe"})), kConfygUsage);
  EXPECT_EQ(std::get<int>(Parse({"--bogus"})), kConfygUsage);
}

class ConfygCommandTest : public ::testing::Test {
 protected:
  TempDir dir;
  const ConfygPaths paths = PathsIn(dir);
  std::ostringstream out, err;

  int Run(const ConfygOptions& options) { return RunConfygCommand(options, paths, out, err); }
};

TEST_F(ConfygCommandTest, TheRecoveryChoiceIsStoredBesideTheSettingsAndShown) {
  EXPECT_EQ(std::get<int>(Parse({"--recovery", "fast"})), kConfygUsage);
  EXPECT_EQ(std::get<int>(Parse({"--names", "maybe"})), kConfygUsage);
  const auto parsed = Parse({"--recovery", "EXACT", "--names", "on"});
  ASSERT_TRUE(std::holds_alternative<ConfygOptions>(parsed));
  ASSERT_EQ(Run(std::get<ConfygOptions>(parsed)), kConfygOk);
  const std::string options = OptionsPathBeside(paths.settingsFile);
  EXPECT_EQ(LoadRecoveryChoice(options), RecoveryChoice::kExactAndMoreKinds);
  EXPECT_TRUE(NamesChosen(options));
  ASSERT_EQ(Run({.init = true, .show = true}), kConfygOk);
  EXPECT_THAT(out.str(), HasSubstr("recovery: exact\nnames: on\n"));
  ASSERT_EQ(Run({.recovery = RecoveryChoice::kAsDescribed, .names = "off"}), kConfygOk);
  EXPECT_EQ(LoadRecoveryChoice(options), RecoveryChoice::kAsDescribed);
  EXPECT_FALSE(NamesChosen(options));
}

TEST_F(ConfygCommandTest, AudioTracksAndTheDriveSpeedAreStoredBesideTheSettingsAndShown) {
  EXPECT_EQ(std::get<int>(Parse({"--audio", "maybe"})), kConfygUsage);
  EXPECT_EQ(std::get<int>(Parse({"--speed", "256"})), kConfygUsage);
  EXPECT_EQ(std::get<int>(Parse({"--paranoia", "1"})), kConfygUsage);
  const auto parsed = Parse({"--audio", "off", "--speed", "4", "--paranoia", "off"});
  ASSERT_TRUE(std::holds_alternative<ConfygOptions>(parsed));
  ASSERT_EQ(Run(std::get<ConfygOptions>(parsed)), kConfygOk);
  const std::string options = OptionsPathBeside(paths.settingsFile);
  EXPECT_FALSE(AudioTracksWanted(options));
  EXPECT_EQ(LoadOption(options, "speed"), "4");
  EXPECT_FALSE(AudioErrorCorrectionWanted(options));
  ASSERT_EQ(Run({.init = true, .show = true}), kConfygOk);
  EXPECT_THAT(out.str(), HasSubstr("audio: off\nspeed: 4\nparanoia: off\n"));
  ASSERT_EQ(Run({.audio = "on", .paranoia = "on"}), kConfygOk);
  EXPECT_TRUE(AudioTracksWanted(options));
  EXPECT_TRUE(AudioErrorCorrectionWanted(options));
  EXPECT_EQ(LoadOption(options, "speed"), "4");
}

TEST_F(ConfygCommandTest, TheWindowsFileFilterIsStoredBesideTheSettingsShownAndCleared) {
  for (const std::vector<const char*>& bad : {std::vector<const char*>{"--kinds", "jpeg,pcx"},
                                              {"--min-size", "lots"},
                                              {"--min-pixels", "640"}}) {
    EXPECT_EQ(std::get<int>(Parse(bad)), kConfygUsage) << bad[0];
  }
  const auto parsed = Parse(
      {"--kinds", "JPEG,png", "--min-size", "64k", "--min-pixels", "640x480", "--by-kind", "on"});
  ASSERT_TRUE(std::holds_alternative<ConfygOptions>(parsed));
  ASSERT_EQ(Run(std::get<ConfygOptions>(parsed)), kConfygOk);
  const std::string options = OptionsPathBeside(paths.settingsFile);
  EXPECT_EQ(LoadOption(options, "kinds"), "JPEG,png");
  ASSERT_EQ(Run({.init = true, .show = true}), kConfygOk);
  EXPECT_THAT(out.str(),
              HasSubstr("kinds: JPEG,png\nmin size: 64k\nmin pixels: 640x480\nby kind: on\n"));
  const auto cleared = Parse({"--kinds", "", "--min-size", "0", "--min-pixels", "0x0", "--show"});
  ASSERT_TRUE(std::holds_alternative<ConfygOptions>(cleared));
  out.str("");
  ASSERT_EQ(Run(std::get<ConfygOptions>(cleared)), kConfygOk);
  EXPECT_THAT(out.str(), HasSubstr("kinds: all\nmin size: 0\nmin pixels: 0x0\n"));
  EXPECT_EQ(LoadOption(options, "speed"), std::nullopt);  // the other lines untouched
}

TEST_F(ConfygCommandTest, ABadValueIsToldAndChangesNothing) {
  ASSERT_EQ(Run({.init = true}), kConfygOk);
  const auto before = ReadFileBytes(paths.settingsFile);
  const std::vector<ConfygOptions> bad = {
      {.edit = {.nameStem = "ABCD"}},
      {.edit = {.language = 2}, .drives = {{'E', dir.File("missing.iso")}}},
      {.edit = {.nameStem = "OK", .outputFolder = dir.File("missing")}},
      {.drives = {{'A', "/dev/sr0"}}},
  };
  for (const ConfygOptions& options : bad) {
    err.str("");
    EXPECT_EQ(Run(options), kConfygUsage);
    EXPECT_THAT(err.str(), HasSubstr("nothing was changed"));
    EXPECT_EQ(ReadFileBytes(paths.settingsFile), before);
    EXPECT_FALSE(fs::exists(paths.driveMapFile));
  }
}

TEST_F(ConfygCommandTest, EditsWithoutAFileStartFromTheDefaults) {
  ASSERT_EQ(Run({.edit = {.language = 4}}), kConfygOk);
  const RecoverySettings record = LoadSettings(paths.settingsFile).record;
  EXPECT_EQ(record.RawLanguageIndex(), 4);
  EXPECT_EQ(record.NameStem(), "REC");
  EXPECT_EQ(record.InstallFolder(), paths.installFolder);
  EXPECT_TRUE(VerifySettings(paths.settingsFile));
}

TEST_F(ConfygCommandTest, DrivesAreSetReplacedAndTakenAway) {
  ASSERT_TRUE(WriteFileBytes(dir.File("a.iso"), {1}));
  ASSERT_TRUE(WriteFileBytes(dir.File("b.iso"), {2}));
  ASSERT_EQ(Run({.drives = {{'E', dir.File("a.iso")}, {'F', dir.File("a.iso")}}}), kConfygOk);
  ASSERT_EQ(Run({.drives = {{'E', dir.File("b.iso")}, {'F', ""}}}), kConfygOk);
  EXPECT_THAT(LoadDriveMapFile(paths.driveMapFile).value(),
              ElementsAre(Pair('E', dir.File("b.iso"))));
  ASSERT_EQ(Run({.show = true}), kConfygOk);
  EXPECT_THAT(out.str(), HasSubstr("drive E: " + dir.File("b.iso")));
  EXPECT_THAT(out.str(), HasSubstr("install folder: " + paths.installFolder));
}

TEST_F(ConfygCommandTest, AnUnwritableFileIsAFileError) {
  fs::create_directories(paths.settingsFile);  // a folder where the file should be
  EXPECT_EQ(Run({.init = true}), kConfygFileError);
  EXPECT_EQ(Run({.edit = {.nameStem = "X"}}), kConfygFileError);
  EXPECT_THAT(err.str(), HasSubstr("cannot read"));
}

TEST_F(ConfygCommandTest, InitUnderAHomeTooLongForTheFieldRefusesRatherThanCutThePath) {
  const char* saved = std::getenv("HOME");
  const std::string savedHome = saved ? saved : "";
  const std::string longHome = "/" + std::string(190, 'h');
  setenv("HOME", longHome.c_str(), 1);
  const int status = Run({.init = true});
  setenv("HOME", savedHome.c_str(), 1);
  EXPECT_EQ(status, kConfygUsage);
  EXPECT_THAT(err.str(), HasSubstr("longer than the 199 characters"));
  EXPECT_FALSE(fs::exists(paths.settingsFile));
}

TEST_F(ConfygCommandTest, ADriveMapThatIsAFifoIsRefusedWithoutWaitingForAWriter) {
  fs::create_directories(fs::path(paths.driveMapFile).parent_path());
  ASSERT_EQ(mkfifo(paths.driveMapFile.c_str(), 0600), 0);
  EXPECT_EQ(LoadDriveMapFile(paths.driveMapFile), std::nullopt);
  EXPECT_EQ(Run({.drives = {{'E', ""}}}), kConfygFileError);
  EXPECT_THAT(err.str(), HasSubstr("cannot read " + paths.driveMapFile));
}

}  // namespace
}  // namespace orlenta
