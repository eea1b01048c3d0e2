// SPDX-License-Identifier: GPL-3.0-or-later
#include "confyg_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "confyg_test_support.h"
#include "confyg_translation.h"
#include "engine/options_file.h"
#include "engine/settings_file.h"
#include "settings_store.h"
#include "support/recording_host.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Pair;

class ConfygDialogTest : public ::testing::Test {
 protected:
  TempDir dir;
  const ConfygPaths paths = PathsIn(dir);
  std::vector<std::string> problems;
  std::unique_ptr<ConfygDialog> dialog;

  // Writes the pattern record as the settings file and opens the window over it.
  void Open(std::map<char, std::string> drives = {}) {
    fs::create_directories(fs::path(paths.settingsFile).parent_path());
    ASSERT_TRUE(WriteFileBytes(paths.settingsFile, PatternRecord()));
    dialog = std::make_unique<ConfygDialog>(paths, *LoadSettingsForEditing(paths), drives);
    dialog->SetProblemSink([this](const QString& text) { problems.push_back(text.toStdString()); });
    dialog->show();
  }

  template <typename Widget>
  Widget* Find(const char* name) {
    auto* widget = dialog->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  void Retype(const char* name, const QString& text) {
    auto* field = Find<QLineEdit>(name);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }

  void Click(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }

  // The bytes of the settings file that differ from the pattern it started as.
  std::vector<std::size_t> Changed() {
    return ChangedBytes(PatternRecord(), ReadFileBytes(paths.settingsFile));
  }
};

TEST_F(ConfygDialogTest, EditingTheStemChangesOnlyItsBytes) {
  Open();
  Retype("nameStem", "XY");
  Click("save");
  EXPECT_THAT(problems, IsEmpty());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_THAT(Changed(), ElementsAre(0, 1, 2));
  EXPECT_EQ(LoadSettings(paths.settingsFile).record.NameStem(), "XY");
  EXPECT_TRUE(VerifySettings(paths.settingsFile));
}

TEST_F(ConfygDialogTest, SavingWithoutEditsWritesNothing) {
  Open();
  Click("save");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(ReadFileBytes(paths.settingsFile), PatternRecord());
  EXPECT_FALSE(fs::exists(paths.driveMapFile));
}

TEST_F(ConfygDialogTest, LanguageFolderAndOpeningAreStoredInTheirOwnBytes) {
  Open();
  Find<QComboBox>("language")->setCurrentIndex(3);
  QTest::mouseClick(Find<QCheckBox>("openFolder"), Qt::LeftButton);
  Retype("outputFolder", QString::fromStdString(dir.Path().string()));
  Click("save");
  EXPECT_THAT(problems, IsEmpty());
  for (const std::size_t i : Changed()) {
    EXPECT_TRUE((i >= 4 && i <= 203) || (i >= 208 && i <= 211) || i == 216) << "byte " << i;
  }
  const RecoverySettings record = LoadSettings(paths.settingsFile).record;
  EXPECT_EQ(record.RawLanguageIndex(), 4);
  EXPECT_EQ(record.OpenFolderWhenDone(), 1);
  EXPECT_EQ(record.OutputFolder(), dir.Folder());
}

TEST_F(ConfygDialogTest, TheRecoveryChoiceGoesToTheOptionsFileAndNotTheRecord) {
  const std::string options = OptionsPathBeside(paths.settingsFile);
  Open();
  EXPECT_EQ(Find<QComboBox>("recovery")->currentText(), "as described");
  EXPECT_FALSE(Find<QCheckBox>("names")->isChecked());
  Find<QComboBox>("recovery")->setCurrentIndex(1);
  QTest::mouseClick(Find<QCheckBox>("names"), Qt::LeftButton);
  Click("save");
  EXPECT_THAT(problems, IsEmpty());
  EXPECT_EQ(ReadFileBytes(paths.settingsFile), PatternRecord());
  EXPECT_EQ(LoadRecoveryChoice(options), RecoveryChoice::kExactAndMoreKinds);
  EXPECT_TRUE(NamesChosen(options));

  Open();  // shown as stored; saving unchanged leaves the file alone
  EXPECT_EQ(Find<QComboBox>("recovery")->currentText(), "exact files and more kinds");
  EXPECT_TRUE(Find<QCheckBox>("names")->isChecked());
  fs::remove(options);
  Click("save");
  EXPECT_FALSE(fs::exists(options));
}

TEST_F(ConfygDialogTest, TheFileFilterIsShownStoredOnlyWhenChangedAndCheckedFirst) {
  const std::string options = OptionsPathBeside(paths.settingsFile);
  fs::create_directories(fs::path(options).parent_path());
  ASSERT_TRUE(SaveOption(options, "min-size", "64k"));
  Open();
  EXPECT_EQ(Find<QLineEdit>("kinds")->text(), "");
  EXPECT_EQ(Find<QLineEdit>("min-size")->text(), "64k");
  // Each bad value is told in turn, with nothing written, not even the good ones.
  struct Bad {
    const char* field;
    const char* text;
    const char* told;
    const char* before;
  };
  for (const Bad& bad : {Bad{"kinds", "jpeg,pcx", "'jpeg,pcx' is not a kind", ""},
                         Bad{"min-size", "lots", "'lots' is not a number of bytes", "64k"},
                         Bad{"min-pixels", "640", "'640' is not a width and height", ""}}) {
    problems.clear();
    Retype("nameStem", "NEW");
    Retype(bad.field, bad.text);
    Click("save");
    EXPECT_THAT(problems, ElementsAre(HasSubstr(bad.told))) << bad.field;
    EXPECT_EQ(dialog->focusWidget(), Find<QLineEdit>(bad.field)) << bad.field;
    EXPECT_EQ(ReadFileBytes(paths.settingsFile), PatternRecord()) << bad.field;
    EXPECT_EQ(LoadOption(options, "min-size"), "64k") << bad.field;
    Retype(bad.field, bad.before);
    EXPECT_EQ(Find<QLineEdit>(bad.field)->text(), bad.before);
  }
  Retype("kinds", "gif,PNG");
  Retype("min-pixels", " 320x200 ");
  EXPECT_FALSE(Find<QCheckBox>("byKind")->isChecked());
  Find<QCheckBox>("byKind")->setChecked(true);
  fs::remove(options);  // "min-size" unchanged: not written again
  ASSERT_TRUE(WriteFileBytes(options, {}));
  problems.clear();
  Click("save");
  EXPECT_THAT(problems, IsEmpty());
  EXPECT_EQ(LoadOption(options, "kinds"), "gif,PNG");
  EXPECT_EQ(LoadOption(options, "min-pixels"), "320x200");
  EXPECT_EQ(LoadOption(options, "min-size"), std::nullopt);
  EXPECT_EQ(LoadOption(options, "by-kind"), "on");
}

TEST_F(ConfygDialogTest, AValueThatCannotBeStoredKeepsTheWindowOpenAndTheFileAsItWas) {
  Open();
  Find<QLineEdit>("nameStem")->setText(QString::fromUtf8("\xC3\x89\xC3\x89"));  // 4 bytes
  Click("save");
  Retype("nameStem", "OK");
  Retype("outputFolder", QString::fromStdString(dir.File("missing")));
  Click("save");
  EXPECT_THAT(problems,
              ElementsAre(HasSubstr("it takes 4 bytes, at most 3"), HasSubstr("does not exist")));
  EXPECT_NE(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(ReadFileBytes(paths.settingsFile), PatternRecord());
}

// The checks' messages speak the window's language too; the value refused is quoted as typed.
TEST_F(ConfygDialogTest, ARefusedValueIsToldInTheLanguageOfTheSettings) {
  const ConfygTranslation french(2);
  ASSERT_TRUE(french.Installed());
  Open();
  Retype("outputFolder", QString::fromStdString(dir.File("missing")));
  Click("save");
  Retype("drivePath", QString::fromStdString(dir.File("none.iso")));
  Click("setDrive");
  EXPECT_THAT(problems,
              ElementsAre("Le dossier de sortie « " + dir.File("missing") +
                              " » n'existe pas ou n'est pas un dossier.",
                          "Le chemin de lecteur « " + dir.File("none.iso") + " » n'existe pas."));
  EXPECT_NE(dialog->result(), QDialog::Accepted);
}

TEST_F(ConfygDialogTest, SaveKeepsALanguageTheProgramStoredMeanwhile) {
  Open();
  RecordingHost program;  // the running program picks Romanian while the window is open
  SaveLanguage(paths.settingsFile, 6, program);
  ASSERT_THAT(program.messages, IsEmpty());
  Retype("nameStem", "NEW");
  Click("save");
  const RecoverySettings record = LoadSettings(paths.settingsFile).record;
  EXPECT_EQ(record.NameStem(), "NEW");
  EXPECT_EQ(record.RawLanguageIndex(), 6);
}

TEST_F(ConfygDialogTest, DrivesAreSetShownAndRemoved) {
  ASSERT_TRUE(WriteFileBytes(dir.File("a.iso"), {1}));
  Open({{'E', "/dev/sr0"}});
  auto* list = Find<QTreeWidget>("driveList");
  auto* letters = Find<QComboBox>("driveLetter");
  EXPECT_EQ(list->topLevelItemCount(), 1);
  EXPECT_EQ(letters->currentText(), "D");  // the first free letter from D on
  EXPECT_EQ(letters->itemText('E' - 'B'), "E (in use)");

  Retype("drivePath", QString::fromStdString(dir.File("missing.iso")));
  Click("setDrive");
  EXPECT_THAT(problems, ElementsAre(HasSubstr("does not exist")));
  Retype("drivePath", QString::fromStdString(dir.File("a.iso")));
  letters->setCurrentIndex('G' - 'B');
  Click("setDrive");
  list->setCurrentItem(list->topLevelItem(0));  // E: its letter and path come up below
  EXPECT_EQ(letters->currentIndex(), 'E' - 'B');
  EXPECT_EQ(Find<QLineEdit>("drivePath")->text(), "/dev/sr0");
  Click("removeDrive");
  Click("save");
  EXPECT_THAT(LoadDriveMapFile(paths.driveMapFile).value(),
              ElementsAre(Pair('G', dir.File("a.iso"))));
  EXPECT_EQ(ReadFileBytes(paths.settingsFile), PatternRecord());
}

TEST_F(ConfygDialogTest, SavingDrivesKeepsTheLinesWrittenByHand) {
  ASSERT_TRUE(WriteFileBytes(dir.File("a.iso"), {1}));
  const std::string handWritten = "# my discs\nE=/dev/sr0\nsome note\nF=/dev/sr1\n";
  fs::create_directories(fs::path(paths.driveMapFile).parent_path());
  ASSERT_TRUE(WriteFileBytes(paths.driveMapFile, {handWritten.begin(), handWritten.end()}));
  Open(LoadDriveMapFile(paths.driveMapFile).value());
  auto* list = Find<QTreeWidget>("driveList");
  list->setCurrentItem(list->topLevelItem(1));  // F
  Click("removeDrive");
  Retype("drivePath", QString::fromStdString(dir.File("a.iso")));
  Find<QComboBox>("driveLetter")->setCurrentIndex('E' - 'B');
  Click("setDrive");
  Click("save");
  const std::vector<uint8_t> bytes = ReadFileBytes(paths.driveMapFile);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            "# my discs\nE=" + dir.File("a.iso") + "\nsome note\n");
}

TEST_F(ConfygDialogTest, TheWindowSpeaksTheLanguageOfTheSettings) {
  const std::map<int, QString> titles = {
      {1, "Orlenta settings"},        {2, "Réglages d'Orlenta"},       {3, "Orlenta-Einstellungen"},
      {4, "Impostazioni di Orlenta"}, {5, "Configuración de Orlenta"}, {6, "Setările Orlenta"}};
  for (const auto& [language, title] : titles) {
    const ConfygTranslation translation(language);
    EXPECT_EQ(translation.Installed(), language != 1) << language;
    Open();
    EXPECT_EQ(dialog->windowTitle(), title) << language;
    EXPECT_EQ(Find<QPushButton>("removeDrive")->text() == "Remove", language == 1) << language;
    // Every text is shown whole, also where the screen is small for the window.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
      EXPECT_GE(button->width(), button->minimumSizeHint().width())
          << language << " " << button->text().toStdString();
    }
    for (const QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
      EXPECT_LT(edit->fontMetrics().horizontalAdvance(edit->placeholderText()), edit->width())
          << language << " " << edit->placeholderText().toStdString();
    }
  }
}

}  // namespace
}  // namespace orlenta
