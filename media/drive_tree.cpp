// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_tree.h"

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
