// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace orlenta {

// What the window asks of the desktop around it. Tests put a recorder in its place, so that
// no test waits on a real message box or starts a real program.
class DesktopShell {
 public:
  virtual ~DesktopShell() = default;

  // A message box with one OK button over `owner`; returns once the user has closed it.
  virtual void ShowMessage(QWidget* owner, const QString& text, const QString& caption) = 0;

  // Opens a file or folder with the desktop's own handler for it. False when the desktop
  // has nothing that could take it; what the handler then does is not reported.
  virtual bool OpenPath(const QString& path) = 0;

  // Starts `program` without arguments and without waiting; no shell reads the path.
  virtual void StartProgram(const QString& program) = 0;

  // Ends the process at once with `exitCode`; open files are flushed on the way out.
  virtual void EndProcess(int exitCode) = 0;
};

// The real desktop: QMessageBox, QDesktopServices, QProcess::startDetached, std::exit.
class SystemDesktopShell final : public DesktopShell {
 public:
  void ShowMessage(QWidget* owner, const QString& text, const QString& caption) override;
  bool OpenPath(const QString& path) override;
  void StartProgram(const QString& program) override;
  void EndProcess(int exitCode) override;
};

}  // namespace orlenta
