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

// The language menu now showing, or nullptr.
CBmpMenu* OpenLanguageMenu() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* menu = qobject_cast<CBmpMenu*>(widget); menu && menu->isVisible()) return menu;
  }
  return nullptr;
}

// Once the menu is up, points at the item at `position` and clicks it (or, with -1,
// dismisses the menu with Escape). Records whether the menu showed at all.
void ChooseFromLanguageMenu(int position, bool* menuShown) {
  QTimer::singleShot(0, [position, menuShown] {
    CBmpMenu* menu = OpenLanguageMenu();
    *menuShown = menu != nullptr;
    if (!menu) return;
    QWidget* strip = menu->Strip();
    if (position < 0) {
      QTest::keyClick(strip, Qt::Key_Escape);
      return;
    }
    const QPoint item = menu->Strip()->ItemRect(position).center();
    QTest::mouseMove(strip, item);
    QTest::mouseClick(strip, Qt::LeftButton, {}, item);
  });
}

TEST_F(LanguageTest, ChoosingGermanSpeaksGermanAtOnceAndStoresTheChoice) {
  StartWindow();
  EXPECT_EQ(Tip(kStartButtonId), "Next");
  const std::vector<uint8_t> before = ReadFileBytes(SettingsPath());
  bool menuShown = false;
  ChooseFromLanguageMenu(2, &menuShown);
  Click(kLanguageButtonId);
  EXPECT_TRUE(menuShown);
  // The command comes once the menu has closed, as the next event.
  EXPECT_TRUE(shell.messages.empty());
  QTest::qWait(50);

  EXPECT_THAT(shell.messages,
              ElementsAre(ShellMessage{
                  "Sie müssen Programm wiederbeginnen das Maß, wirksam zuSEIN!", "Orlenta"}));
  EXPECT_EQ(Tip(kStartButtonId), "Beginnen Sie Prozeß!");
  EXPECT_EQ(Tip(kStopButtonId), "Anschlag!");
  EXPECT_EQ(Tip(kLanguageButtonId), "Stellen Sie Sprache!");
  EXPECT_EQ(Tip(kSettingsButtonId), "Einstellungen");
  EXPECT_EQ(Tip(kHelpButtonId), "Hilfe!");
  EXPECT_EQ(Tip(kExitButtonId), "Exit");
  ClickTreeItem(DriveItem(0));
  EXPECT_THAT(LogLines(), ElementsAre("Kapazität 666000 KB", "Zahl der Sektoren 333000 ",
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

TEST_F(LanguageTest, DismissingTheMenuChangesNothingAndWritesNothing) {
  StartWindow();
  const std::vector<uint8_t> before = ReadFileBytes(SettingsPath());
  bool menuShown = false;
  ChooseFromLanguageMenu(-1, &menuShown);
  Click(kLanguageButtonId);
  QTest::qWait(50);
  EXPECT_TRUE(menuShown);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(ReadFileBytes(SettingsPath()), before);
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
