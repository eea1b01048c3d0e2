// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_tree.h"

#include <QApplication>
#include <QStyle>

namespace orlenta {

void BuildDriveTree(QTreeWidget& tree, const std::vector<char>& driveLetters) {
  auto* root = new QTreeWidgetItem(&tree, QStringList{kDriveTreeRootText});
  root->setData(0, kItemDataRole, 0);
  int entry = 0;
  for (const char letter : driveLetters) {
    auto* drive =
        new QTreeWidgetItem(root, QStringList{QString::asprintf(kDriveItemFormat, letter)});
    drive->setData(0, kItemDataRole, ++entry);
  }
}

QTreeWidgetItem* FindDriveItem(const QTreeWidget& tree, char letter) {
  const QTreeWidgetItem* root = tree.topLevelItem(0);
  if (!root) return nullptr;
  for (int i = 0; i < root->childCount(); ++i) {
    QTreeWidgetItem* drive = root->child(i);
    const QString text = drive->text(0);
    if (text.size() > kDriveLetterIndex && text.at(kDriveLetterIndex) == QLatin1Char(letter))
      return drive;
  }
  return nullptr;
}

void MarkDriveUnavailable(QTreeWidgetItem& item, const QString& why) {
  item.setForeground(0, QApplication::palette().brush(QPalette::Disabled, QPalette::Text));
  item.setIcon(0, QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning));
  item.setToolTip(0, why);
}

std::optional<char> SelectedDriveLetter(const QTreeWidget& tree) {
  const QTreeWidgetItem* item = tree.currentItem();
  if (!item || !item->isSelected()) return std::nullopt;
  const QString text = item->text(0);
  if (text.size() <= kDriveLetterIndex || item->data(0, kItemDataRole).toInt() == 0) {
    return std::nullopt;
  }
  return text.at(kDriveLetterIndex).toLatin1();
}

}  // namespace orlenta
