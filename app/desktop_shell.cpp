// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_shell.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>
#include <cstdlib>

namespace orlenta {

void SystemDesktopShell::ShowMessage(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
  box.exec();
}

bool SystemDesktopShell::OpenPath(const QString& path) {
  // A file URL, never a command line: a folder named "; rm -rf ~" stays a folder name.
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void SystemDesktopShell::StartProgram(const QString& program) {
  QProcess::startDetached(program, {});
}

void SystemDesktopShell::EndProcess(int exitCode) {
  std::exit(exitCode);
}

}  // namespace orlenta
