// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace orlenta {

// What the window asks of the desktop around it. Tests put a recorder in its place, so that
// no test waits on a real message box or starts a real program.
class DesktopShell {
 public:
  virtual ~DesktopShell() = default;

  // A message box with one OK button over `owner`; returns once the user has closed it.
  virtual void ShowMessage(QWidget* owner, const QString& text, const QString& caption) = 0;

  // A question over `owner` with two buttons, `yes` (the default) and `no` (also what
  // Escape or closing the box answers); true for `yes`.
  virtual bool Ask(QWidget* owner, const QString& text, const QString& caption, const QString& yes,
                   const QString& no) = 0;

  // Opens a file or folder with the desktop's own handler for it. False when the desktop
  // has nothing that could take it. When the opener was started but then fails (it ends
  // with an error), `whenFailed` runs later, from the event loop.
  virtual bool OpenPath(const QString& path, std::function<void()> whenFailed = {}) = 0;

  // Starts `program` without arguments and without waiting; no shell reads the path.
  // `whenEnded` runs, from the event loop, once the program has ended or could not be
  // started. The program outlives this one if this one ends first.
  virtual void StartProgram(const QString& program, std::function<void()> whenEnded = {}) = 0;

  // Ends the process at once with `exitCode`; open files are flushed on the way out.
  virtual void EndProcess(int exitCode) = 0;
};

// The real desktop: QMessageBox, the desktop's opener (xdg-open, else QDesktopServices),
// QProcess, std::exit.
class SystemDesktopShell final : public DesktopShell {
 public:
  void ShowMessage(QWidget* owner, const QString& text, const QString& caption) override;
  bool Ask(QWidget* owner, const QString& text, const QString& caption, const QString& yes,
           const QString& no) override;
  bool OpenPath(const QString& path, std::function<void()> whenFailed) override;
  void StartProgram(const QString& program, std::function<void()> whenEnded) override;
  void EndProcess(int exitCode) override;
};

}  // namespace orlenta
