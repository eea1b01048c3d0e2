// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTreeWidget>
#include <optional>
#include <vector>

namespace orlenta {

inline constexpr const char* kDriveTreeRootText = "CD/DVD Drives";
inline constexpr const char* kDriveItemFormat = "CD/DVD Drive %c";
// Where the drive letter stands in a drive item's text: right after "CD/DVD Drive ".
inline constexpr int kDriveLetterIndex = 13;

// The item data of the root is 0; a drive item's is non-zero.
inline constexpr int kItemDataRole = Qt::UserRole;

// Fills `tree` once: the root "CD/DVD Drives", left collapsed, with one "CD/DVD Drive X"
// item under it per letter of `driveLetters`, in the order given.
void BuildDriveTree(QTreeWidget& tree, const std::vector<char>& driveLetters);

// The item of drive `letter` in `tree`, or nullptr.
QTreeWidgetItem* FindDriveItem(const QTreeWidget& tree, char letter);

// Marks `item` as a drive that cannot be read now (its image is gone): greyed, with a
// warning sign, and `why` as its tooltip. It can still be selected, to be told why.
void MarkDriveUnavailable(QTreeWidgetItem& item, const QString& why);

// The drive letter of the tree's selected item; nullopt when nothing is selected or the
// selected item is not a drive (the root).
std::optional<char> SelectedDriveLetter(const QTreeWidget& tree);

}  // namespace orlenta
