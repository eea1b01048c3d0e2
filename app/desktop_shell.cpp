// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_shell.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <cstdlib>

namespace orlenta {
namespace {

// Starts `program` with `arguments`, no shell between, its output going where this
// process's goes. `whenEnded(succeeded)` runs once it has ended (succeeded: with status 0)
// or could not be started. The process object is not a child of anything, so that ending
// this program never takes the started one with it.
void StartWatched(const QString& program, const QStringList& arguments,
                  std::function<void(bool)> whenEnded) {
  auto* process = new QProcess;
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  process->setInputChannelMode(QProcess::ForwardedInputChannel);
  QObject::connect(process, &QProcess::finished, process,
                   [process, whenEnded](int code, QProcess::ExitStatus status) {
                     process->deleteLater();
                     if (whenEnded) whenEnded(status == QProcess::NormalExit && code == 0);
                   });
  QObject::connect(process, &QProcess::errorOccurred, process,
                   [process, whenEnded](QProcess::ProcessError error) {
                     if (error != QProcess::FailedToStart) return;
                     process->deleteLater();
                     if (whenEnded) whenEnded(false);
                   });
  process->start(program, arguments);
}

}  // namespace

void SystemDesktopShell::ShowMessage(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
  box.exec();
}

bool SystemDesktopShell::Ask(QWidget* owner, const QString& text, const QString& caption,
                             const QString& yes, const QString& no) {
  // The buttons carry the window's own words: Qt's would be in the system's language.
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, owner);
  QPushButton* yesButton = box.addButton(yes, QMessageBox::YesRole);
  QPushButton* noButton = box.addButton(no, QMessageBox::NoRole);
  box.setDefaultButton(yesButton);
  box.setEscapeButton(noButton);
  box.exec();
  return box.clickedButton() == yesButton;
}

bool SystemDesktopShell::OpenPath(const QString& path, std::function<void()> whenFailed) {
  // A file URL, never a command line: a folder named "; rm -rf ~" stays a folder name.
  const QUrl url = QUrl::fromLocalFile(path);
  // The desktop's opener is run and watched, so that one that fails is heard of; without
  // it, Qt's own way (a portal, a browser it knows) is all there is.
  const QString opener = QStandardPaths::findExecutable("xdg-open");
  if (opener.isEmpty()) return QDesktopServices::openUrl(url);
  StartWatched(opener, {url.toString(QUrl::FullyEncoded)}, [whenFailed](bool succeeded) {
    if (!succeeded && whenFailed) whenFailed();
  });
  return true;
}

void SystemDesktopShell::StartProgram(const QString& program, std::function<void()> whenEnded) {
  StartWatched(program, {}, [whenEnded](bool) {
    if (whenEnded) whenEnded();
  });
}

void SystemDesktopShell::EndProcess(int exitCode) {
  std::exit(exitCode);
}

}  // namespace orlenta
