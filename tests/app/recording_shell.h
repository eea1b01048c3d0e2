// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <ostream>
#include <vector>

#include "app/desktop_shell.h"

namespace orlenta {

struct ShellMessage {
  QString text;
  QString caption;
  bool operator==(const ShellMessage&) const = default;
  friend void PrintTo(const ShellMessage& message, std::ostream* out) {
    *out << '"' << message.text.toStdString() << "\" (" << message.caption.toStdString() << ')';
  }
};

// A desktop that shows nothing and starts nothing: it remembers what it was asked.
class RecordingShell : public DesktopShell {
 public:
  void ShowMessage(QWidget*, const QString& text, const QString& caption) override {
    messages.push_back({text, caption});
    if (onMessage) onMessage();
  }
  bool Ask(QWidget*, const QString& text, const QString& caption, const QString& yes,
           const QString& no) override {
    questions.push_back({text, caption});
    answers.push_back({yes, no});
    return answer;
  }
  bool OpenPath(const QString& path, std::function<void()> whenFailed) override {
    openedPaths.push_back(path);
    openerFailed = std::move(whenFailed);
    return canOpen;
  }
  void StartProgram(const QString& program, std::function<void()> whenEnded) override {
    startedPrograms.push_back(program);
    programEnded = std::move(whenEnded);
  }
  void EndProcess(int exitCode) override { exitCodes.push_back(exitCode); }

  std::vector<ShellMessage> messages;
  std::vector<ShellMessage> questions;
  std::vector<ShellMessage> answers;  // the two buttons of each question, as text and caption
  std::vector<QString> openedPaths;
  std::vector<QString> startedPrograms;
  std::vector<int> exitCodes;
  bool answer = true;                  // what every question is answered
  bool canOpen = true;                 // whether the desktop has something to open paths with
  std::function<void()> onMessage;     // runs while the "message box" is up
  std::function<void()> openerFailed;  // what the last OpenPath asked for if its opener fails
  std::function<void()> programEnded;  // what the last StartProgram asked for at its end
};

// The same, except that ending the process really ends it: for tests of exit codes.
class ExitingShell final : public RecordingShell {
 public:
  void EndProcess(int exitCode) override;
};

}  // namespace orlenta
