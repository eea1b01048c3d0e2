// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/recovery_choice.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace orlenta {
namespace {

void Write(const std::string& path, const std::string& text) {
  ASSERT_TRUE(WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end())));
}

std::string Read(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

TEST(RecoveryChoice, AnythingButTheStoredWordForExactReadsAsDescribed) {
  TempDir dir;
  const std::string path = dir.File("options");
  EXPECT_EQ(LoadRecoveryChoice(path), RecoveryChoice::kAsDescribed);  // no file
  const std::vector<std::pair<std::string, RecoveryChoice>> cases = {
      {"recovery=exact\n", RecoveryChoice::kExactAndMoreKinds},
      {"other=1\r\nrecovery=exact\r\n", RecoveryChoice::kExactAndMoreKinds},
      {"recovery=exact", RecoveryChoice::kExactAndMoreKinds},
      {"recovery=described\n", RecoveryChoice::kAsDescribed},
      {"recovery=EXACT\n", RecoveryChoice::kAsDescribed},
      {" recovery=exact\n", RecoveryChoice::kAsDescribed},
      {"recovery=exact\nrecovery=bogus\n", RecoveryChoice::kAsDescribed},
      {std::string("\0\xFF\x01recovery", 11), RecoveryChoice::kAsDescribed},
      {std::string(70000, 'x') + "\nrecovery=exact\n", RecoveryChoice::kAsDescribed},
  };
  for (const auto& [text, choice] : cases) {
    Write(path, text);
    EXPECT_EQ(LoadRecoveryChoice(path), choice) << text.substr(0, 40);
  }
  EXPECT_EQ(LoadRecoveryChoice(dir.Path().string()), RecoveryChoice::kAsDescribed);  // a folder
}

TEST(RecoveryChoice, AFifoInPlaceOfTheOptionsFileIsNotWaitedFor) {
  TempDir dir;
  const std::string path = dir.File("options");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(LoadRecoveryChoice(path), RecoveryChoice::kAsDescribed);
}

TEST(RecoveryChoice, SavingChangesOnlyItsOwnLine) {
  TempDir dir;
  const std::string path = dir.File("options");
  ASSERT_TRUE(SaveRecoveryChoice(path, RecoveryChoice::kExactAndMoreKinds));
  EXPECT_EQ(Read(path), "recovery=exact\n");
  Write(path, "# kept\nrecovery=exact\nlater=2\nrecovery=exact\n");
  ASSERT_TRUE(SaveRecoveryChoice(path, RecoveryChoice::kAsDescribed));
  EXPECT_EQ(Read(path), "# kept\nrecovery=described\nlater=2\n");
  EXPECT_EQ(LoadRecoveryChoice(path), RecoveryChoice::kAsDescribed);
  EXPECT_FALSE(SaveRecoveryChoice(dir.File("missing/options"), RecoveryChoice::kAsDescribed));
}

}  // namespace
}  // namespace orlenta
