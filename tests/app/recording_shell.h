// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "app/desktop_shell.h"

namespace orlenta {

struct ShellMessage {
  QString text;
  QString caption;
  bool operator==(const ShellMessage&) const = default;
};

// A desktop that shows nothing and starts nothing: it remembers what it was asked.
class RecordingShell : public DesktopShell {
 public:
  void ShowMessage(QWidget*, const QString& text, const QString& caption) override {
    messages.push_back({text, caption});
    if (onMessage) onMessage();
  }
  bool OpenPath(const QString& path) override {
    openedPaths.push_back(path);
    return canOpen;
  }
  void StartProgram(const QString& program) override { startedPrograms.push_back(program); }
  void EndProcess(int exitCode) override { exitCodes.push_back(exitCode); }

  std::vector<ShellMessage> messages;
  std::vector<QString> openedPaths;
  std::vector<QString> startedPrograms;
  std::vector<int> exitCodes;
  bool canOpen = true;              // whether the desktop has something to open paths with
  std::function<void()> onMessage;  // runs while the "message box" is up
};

// The same, except that ending the process really ends it: for tests of exit codes.
class ExitingShell final : public RecordingShell {
 public:
  void EndProcess(int exitCode) override;
};

}  // namespace orlenta
