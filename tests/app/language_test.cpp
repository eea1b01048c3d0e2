// SPDX-License-Identifier: GPL-3.0-or-later
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/localisation.h"
#include "ui/bmp_menu.h"
#include "ui/bmp_menu_toolbar.h"
#include "ui/hover_button.h"
#include "window_fixture.h"

namespace orlenta {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LanguageTest : public WindowTest {
 protected:
  void SetUp() override {
    const std::string image = temp.File("cd.iso");
    std::ofstream(image).close();
    std::filesystem::resize_file(image, 333000 * 2048);
    MapDrive('E', image);
    settings.SetOpenFolderWhenDone(7);  // bytes the window must keep as they are
  }
  QString Tip(ControlId id) const {
    return static_cast<CHoverButton*>(window->Control(id))->TipText();
  }
};

TEST_F(LanguageTest, ChoosingGermanSpeaksGermanAtOnceAndStoresTheChoice) {
  bool menuShown = false;
  bool menuClosedFirst = false;
  QStringList tipsBefore, tipsAfter;
  QStringList linesAfter;
  const auto tips = [this] {
    return QStringList{Tip(kStartButtonId),    Tip(kStopButtonId), Tip(kLanguageButtonId),
                       Tip(kSettingsButtonId), Tip(kHelpButtonId), Tip(kExitButtonId)};
  };
  const auto& bytes = settings.Bytes();
  const std::vector<uint8_t> before(bytes.begin(), bytes.end());
  const int result = RunModal({
      [&] {
        tipsBefore = tips();
        Click(kLanguageButtonId);  // runs the menu's loop, and the next step inside it
      },
      [&] {
        CBmpMenu* menu = ShownMenu();
        menuShown = menu != nullptr;
        if (menu == nullptr) return;
        ClickMenuItem(*menu, 2);
        // The command waits for the menu to have closed.
        menuClosedFirst = !menu->IsLoopRunning() && shell.messages.empty();
      },
      [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !shell.messages.empty(); }, 1000));
        tipsAfter = tips();
        ClickTreeItem(DriveItem(0));
        linesAfter = LogLines();
      },
      [&] { Press(Qt::Key_Escape); },
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_TRUE(menuShown);
  EXPECT_TRUE(menuClosedFirst);
  EXPECT_EQ(tipsBefore.value(0), "Next");
  EXPECT_THAT(shell.messages,
              ElementsAre(ShellMessage{
                  "Sie müssen Programm wiederbeginnen das Maß, wirksam zuSEIN!", "Orlenta"}));
  EXPECT_EQ(tipsAfter, (QStringList{"Beginnen Sie Prozeß!", "Anschlag!", "Stellen Sie Sprache!",
                                    "Einstellungen", "Hilfe!", "Exit"}));
  EXPECT_THAT(linesAfter, ElementsAre("Kapazität 666000 KB", "Zahl der Sektoren 333000 ",
                                      "Bytes pro Sektor 2048 "));

  const std::vector<uint8_t> after = ReadFileBytes(SettingsPath());
  ASSERT_EQ(after.size(), 624u);
  for (std::size_t i = 0; i < 620; ++i) {
    if (i != 216) {
      EXPECT_EQ(after[i], before[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(after[216], 3);

  // A restart: the tooltips are the start-up words again, everything else stays German.
  window.reset();
  StartWindowOverCurrentSettings();
  EXPECT_EQ(Tip(kStartButtonId), "Next");
  EXPECT_EQ(window->CurrentLanguage(), 3);
}

TEST_F(LanguageTest, TheCurrentLanguageChosenAgainStillShowsTheNoticeAndRewritesTheFile) {
  settings.SetLanguageIndex(6);
  StartWindow();
  window->OnLanguageCommand(6);
  EXPECT_THAT(shell.messages,
              ElementsAre(ShellMessage{"Trebuie sa restartati programul pentru a se seta limba!",
                                       "Orlenta"}));
  EXPECT_EQ(Tip(kLanguageButtonId), "Seteaza limba!");
  EXPECT_EQ(ReadFileBytes(SettingsPath()).size(), 624u);
}

TEST_F(LanguageTest, KeysChooseAndEscapeClosesOnlyTheMenu) {
  std::vector<bool> menuShown;
  bool windowOpenAfterEscape = false;
  const auto inMenu = [&](std::vector<Qt::Key> keys) {
    return [&menuShown, keys] {
      CBmpMenu* menu = ShownMenu();
      menuShown.push_back(menu != nullptr);
      if (menu == nullptr) return;
      for (Qt::Key key : keys) PressInMenu(*menu, key);
    };
  };
  const int result = RunModal({
      [&] { Click(kLanguageButtonId); },
      inMenu({Qt::Key_Escape}),
      [&] {
        windowOpenAfterEscape = window->isVisible() && ShownMenu() == nullptr;
        Click(kLanguageButtonId);
      },
      inMenu({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}),
      [&] { Press(Qt::Key_Escape); },
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_EQ(menuShown, (std::vector<bool>{true, true}));
  EXPECT_TRUE(windowOpenAfterEscape);
  EXPECT_THAT(shell.messages,
              ElementsAre(ShellMessage{
                  "Vous devez remettre en marche le programme  d'entrer en vigueur!", "Orlenta"}));
  EXPECT_EQ(ReadFileBytes(SettingsPath()).at(216), 2);
  EXPECT_THAT(shell.exitCodes, IsEmpty());
}

TEST_F(LanguageTest, DismissingTheMenuChangesNothingAndWritesNothing) {
  bool menuShown = false;
  const int result = RunModal({
      [&] { Click(kLanguageButtonId); },
      [&] {
        CBmpMenu* menu = ShownMenu();
        menuShown = menu != nullptr;
        if (menu != nullptr) PressInMenu(*menu, Qt::Key_Escape);
      },
      [&] { Press(Qt::Key_Escape); },
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_TRUE(menuShown);
  EXPECT_TRUE(shell.messages.empty());
  const auto& bytes = settings.Bytes();
  EXPECT_EQ(ReadFileBytes(SettingsPath()), std::vector<uint8_t>(bytes.begin(), bytes.end()));
  EXPECT_EQ(Tip(kStartButtonId), "Next");
}

TEST(LanguageCommands, MapToTheirLanguagesAndNothingElse) {
  EXPECT_EQ(LanguageOfCommand(32771), 1);
  EXPECT_EQ(LanguageOfCommand(32776), 6);
  EXPECT_EQ(LanguageOfCommand(32770), 0);
  EXPECT_EQ(LanguageOfCommand(32777), 0);
}

}  // namespace
}  // namespace orlenta
