// SPDX-License-Identifier: GPL-3.0-or-later
// The real desktop's openers and programs, with a stand-in for the desktop's opener.
#include "app/desktop_shell.h"

#include <gtest/gtest.h>

#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace orlenta {
namespace {

// Puts an xdg-open of its own first on the PATH for as long as it lives: it writes the
// argument it was given to `asked` and ends with the status written in `status`.
class StandInOpener {
 public:
  StandInOpener() : oldPath_(std::getenv("PATH")) {
    std::filesystem::create_directory(temp.File("bin"));
    const std::string script = temp.File("bin/xdg-open");
    std::ofstream(script) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << temp.File("asked")
                          << "'\nexit $(cat '" << temp.File("status") << "')\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    ::setenv("PATH", (temp.File("bin") + ":" + oldPath_).c_str(), 1);
  }
  ~StandInOpener() { ::setenv("PATH", oldPath_.c_str(), 1); }

  void EndWith(int status) {
    std::filesystem::remove(temp.File("asked"));
    std::ofstream(temp.File("status")) << status << "\n";
  }
  std::string Asked() const {
    const std::vector<uint8_t> bytes = ReadFileBytes(temp.File("asked"));
    return {bytes.begin(), bytes.end()};
  }

  TempDir temp;

 private:
  std::string oldPath_;
};

TEST(SystemDesktopShell, AnOpenerThatFailsIsToldAndOneThatWorksIsNot) {
  StandInOpener opener;
  SystemDesktopShell shell;
  const struct {
    int status;
    bool told;
  } cases[] = {{0, false}, {4, true}};
  for (const auto& c : cases) {
    opener.EndWith(c.status);
    bool told = false;
    // A path that a shell would read as two commands stays one file's name.
    EXPECT_TRUE(shell.OpenPath("/opt/my help/page;rm -rf x.htm", [&told] { told = true; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !opener.Asked().empty(); }, 5000));
    EXPECT_EQ(opener.Asked(), "file:///opt/my%20help/page;rm%20-rf%20x.htm");
    EXPECT_EQ(QTest::qWaitFor([&] { return told; }, c.told ? 5000 : 300), c.told) << c.status;
  }
}

TEST(SystemDesktopShell, AStartedProgramIsHeardOfWhenItEndsOrCannotStart) {
  StandInOpener opener;
  opener.EndWith(0);
  SystemDesktopShell shell;
  for (const std::string& program : {opener.temp.File("bin/xdg-open"), opener.temp.File("none")}) {
    bool ended = false;
    shell.StartProgram(QString::fromStdString(program), [&ended] { ended = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ended; }, 5000)) << program;
  }
}

}  // namespace
}  // namespace orlenta
