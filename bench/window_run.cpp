// SPDX-License-Identifier: GPL-3.0-or-later
// window_run IMAGE OUTPUT_FOLDER [STOP_AFTER_MS]
//
// Recovers IMAGE into OUTPUT_FOLDER the way a user does in the window: the image mapped as
// drive E, its item selected, Start pressed. Runs on any Qt platform (offscreen for
// timing); the closing message goes to stderr instead of a box. Exit status 0 when the run
// completed. With STOP_AFTER_MS, Stop is pressed that long after Start, and the time from
// the press to the end of the run is printed on stdout ("stop latency: 12.3 ms").
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "app/desktop_shell.h"
#include "app/main_dialog.h"
#include "engine/settings_record.h"

namespace {

using Clock = std::chrono::steady_clock;

// Says on stderr what the window would show in a box, and remembers how the run ended.
class ConsoleShell final : public orlenta::DesktopShell {
 public:
  void ShowMessage(QWidget*, const QString& text, const QString& caption) override {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    completed = text == " Process completed!";
  }
  // A run stopped before is never gone on with: each measured run starts afresh.
  bool Ask(QWidget*, const QString&, const QString&, const QString&, const QString&) override {
    return false;
  }
  bool OpenPath(const QString&, std::function<void()>) override { return true; }
  void StartProgram(const QString&, std::function<void()>) override {}
  void EndProcess(int exitCode) override { std::exit(exitCode); }
  bool completed = false;
};

// A settings folder of its own, so that the user's settings play no part in the timing.
std::string WriteSettings(const std::filesystem::path& folder, const std::string& outputFolder,
                          const std::string& image) {
  orlenta::RecoverySettings settings;
  settings.SetNameStem("REC");
  settings.SetOutputFolder(outputFolder);
  settings.SetLanguageIndex(1);
  settings.UpdateCheckValue();
  const std::string path = (folder / "propCD.pro").string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(settings.Bytes().data()), settings.kSize);
  std::ofstream(folder / "drives") << "E=" << image << "\n";
  return path;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: window_run IMAGE OUTPUT_FOLDER [STOP_AFTER_MS]\n");
    return 2;
  }
  const std::string output = std::filesystem::absolute(argv[2]).string() + "/";
  std::filesystem::create_directories(output);
  const std::filesystem::path settingsFolder = output + ".window-run-settings";
  std::filesystem::create_directories(settingsFolder);
  ConsoleShell shell;
  orlenta::MainDialogSetup setup;
  setup.settingsPath = WriteSettings(settingsFolder, output, argv[1]);
  setup.drivePaths = {(settingsFolder / "drives").string(), "/nonexistent", "/nonexistent"};
  setup.shell = &shell;
  orlenta::CMainDialog window(setup);
  if (!window.OnInitDialog()) return 2;
  window.show();
  auto* tree = static_cast<QTreeWidget*>(window.Control(orlenta::kDriveTreeId));
  tree->setCurrentItem(tree->topLevelItem(0)->child(0));
  std::optional<Clock::time_point> stopped;
  if (argc == 4) {
    auto* stop = static_cast<QPushButton*>(window.Control(orlenta::kStopButtonId));
    QTimer::singleShot(std::atoi(argv[3]), stop, [&stopped, stop] {
      stopped = Clock::now();
      stop->click();
    });
  }
  static_cast<QPushButton*>(window.Control(orlenta::kStartButtonId))->click();
  if (stopped) {
    const std::chrono::duration<double, std::milli> latency = Clock::now() - *stopped;
    std::printf("stop latency: %.1f ms\n", latency.count());
  }
  std::filesystem::remove_all(settingsFolder);
  return shell.completed ? 0 : 1;
}
