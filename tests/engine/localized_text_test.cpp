// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/localized_text.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/file_carver.h"
#include "engine/recovery_run.h"
#include "engine/settings_file.h"

namespace orlenta {
namespace {

struct Row {
  const char* name;
  const LocalizedText* text;
  const char* english;
};

void PrintTo(const Row& row, std::ostream* os) {
  *os << row.name;
}

class LocalizedRows : public ::testing::TestWithParam<Row> {};

TEST_P(LocalizedRows, SixEntriesSlotZeroEmptyEnglishExact) {
  const LocalizedText& row = *GetParam().text;
  EXPECT_STREQ(row[0], "");
  for (int language = 1; language <= kLanguageCount; ++language) {
    EXPECT_NE(std::string(row[language]), "") << language;
    EXPECT_EQ(PickText(row, language), row[language]);
  }
  EXPECT_EQ(row[1], std::string(GetParam().english));
  for (const int outside : {0, 7, -1, 1000}) EXPECT_EQ(PickText(row, outside), row[1]);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LocalizedRows,
    ::testing::Values(Row{"Completion", &CompletionText, " Process completed!"},
                      Row{"Abort", &AbortText, " Recovery process aborted!"},
                      Row{"NotReady", &NotReadyText, "Not inserted or not ready."},
                      Row{"FileRecovered", &FileRecoveredText, "File recovered: %s"},
                      Row{"MissingFile", &MissingFileText, "Missing file. Please reinstall!"},
                      Row{"WriteError", &WriteErrorText,
                          "Error writing file. Quit any application that might use the file!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LocalizedText, RunEndTextsBeginWithABlank) {
  for (int language = 1; language <= kLanguageCount; ++language) {
    EXPECT_EQ(CompletionText[language][0], ' ');
    EXPECT_EQ(AbortText[language][0], ' ');
  }
}

TEST(LocalizedText, TextsKeptAsWritten) {
  EXPECT_EQ(PickText(CompletionText, 6), " Recuperarea s-a terminat");
  EXPECT_EQ(PickText(AbortText, 3), " Wiederaufnahme Prozeß unterbrach!");
  EXPECT_EQ(PickText(MissingFileText, 5), "¡No puede encontrar file.¡Por favor para reinstalar!");
  EXPECT_EQ(PickText(WriteErrorText, 3),
            "Störungsschreibensakte.  Beendigen Sie jede mögliche Anwendung, die die Datei "
            "benutzen konnte!");
}

TEST(FormatText, InsertsTheValueAsItStands) {
  EXPECT_EQ(FormatText("File recovered: %s", "/tmp/a%sb%d"), "File recovered: /tmp/a%sb%d");
  EXPECT_EQ(FormatText("%d files", "3"), "3 files");
  EXPECT_EQ(FormatText("100% of %s", "x"), "100% of x");
  EXPECT_EQ(FormatText("no placeholder", "x"), "no placeholder");
  EXPECT_EQ(FormatText("%s and %s", "x"), "x and %s");
}

}  // namespace
}  // namespace orlenta
