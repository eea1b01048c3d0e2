// SPDX-License-Identifier: GPL-3.0-or-later
// The skinned window with stand-ins for its controls, at their places: to look at the
// artwork and the custom controls together.
//
//   skin_demo [--running] [--screenshot <file.png>]
//
// --running shows the window as during a recovery (Stop and the progress bar instead of
// Start); --screenshot saves the window, blank outside its outline, and ends.
#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QPainter>
#include <QTimer>
#include <QTreeWidget>
#include <cmath>

#include "res/bitmap_resource.h"
#include "ui/hover_button.h"
#include "ui/shaded_progress_ctrl.h"
#include "ui/skinned_window.h"

namespace {

using namespace orlenta;

QRect Place(int x, int y, int w, int h) {
  const auto px = [](int u) { return static_cast<int>(std::lround(u * 1.5)); };
  const auto py = [](int u) { return static_cast<int>(std::lround(u * 1.625)); };
  return QRect(QPoint(px(x), py(y)), QPoint(px(x + w) - 1, py(y + h) - 1));
}

CHoverButton* Button(QWidget* client, int x, int y, unsigned strip, const char* tip) {
  auto* button = new CHoverButton(client);
  button->move(Place(x, y, 1, 1).topLeft());
  button->LoadStrip(strip);
  button->SetTip(tip, true);
  return button;
}

void AddControls(QWidget* client, bool running, QDialog* dialog) {
  auto* tree = new QTreeWidget(client);
  tree->setGeometry(Place(45, 63, 119, 175));
  tree->setHeaderHidden(true);
  auto* root = new QTreeWidgetItem(tree, {"My Computer"});
  new QTreeWidgetItem(root, {"CD/DVD drive (E:)"});
  root->setExpanded(true);

  auto* log = new QListWidget(client);
  log->setGeometry(Place(170, 135, 194, 103));
  log->addItems({" Capacity: 702 MB", " Sectors: 359,844", " Bytes per sector: 2048"});

  auto* progress = new CShadedProgressCtrl(client);
  progress->setGeometry(Place(174, 81, 161, 7));
  progress->SetBorder(true);
  progress->SetRange(0, 100);
  progress->SetStep(1);
  progress->SetBarColor(qRgb(255, 0, 0));
  progress->SetPos(running ? 62 : 0);
  progress->setVisible(running);

  Button(client, 223, 97, 135, "Next")->setVisible(!running);
  Button(client, 238, 103, 138, "Stop")->setVisible(running);
  Button(client, 355, 92, 131, "Help");
  Button(client, 343, 68, 133, "Setings");
  Button(client, 365, 114, 132, "set Language");
  QObject::connect(Button(client, 369, 139, 130, "Exit"), &QAbstractButton::clicked, dialog,
                   &QDialog::reject);
}

// The window as the desktop shows it: nothing outside its outline.
void SaveScreenshot(QDialog& dialog, const QString& path) {
  QImage shot = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
  QPainter painter(&shot);
  painter.setClipRegion(QRegion(shot.rect()) - SkinnedWindow::WindowShape());
  painter.fillRect(shot.rect(), QColor(236, 236, 236));
  painter.end();
  shot.save(path, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const bool running = args.contains("--running");
  const qsizetype shotAt = args.indexOf("--screenshot");

  QDialog dialog;
  auto* skin = new SkinnedWindow(&dialog, [&dialog] { dialog.reject(); });
  skin->SetSkinBitmap(129);
  dialog.setWindowIcon(LoadIconResource(128));
  dialog.setWindowTitle("Orlenta");
  AddControls(skin->Client(), running, &dialog);
  dialog.show();
  if (shotAt >= 0 && shotAt + 1 < args.size()) {
    QTimer::singleShot(300, [&] {
      SaveScreenshot(dialog, args[shotAt + 1]);
      dialog.accept();
    });
  }
  return dialog.exec() == QDialog::Accepted ? 0 : 1;
}
