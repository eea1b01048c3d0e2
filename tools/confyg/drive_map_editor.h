// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <map>
#include <string>

#include "drive_map_text.h"

class QComboBox;
class QLineEdit;
class QTreeWidget;

namespace orlenta {

// Edits the drive map: the letters in use with their image files or devices, a letter B..M
// to set (letters in use are marked), a path typed or picked, Set and Remove.
class DriveMapEditor : public QWidget {
  Q_OBJECT

 public:
  explicit DriveMapEditor(std::map<char, std::string> drives, QWidget* parent = nullptr);

  const std::map<char, std::string>& Drives() const { return drives_; }
  // True when the drives differ from those the editor started with.
  bool Changed() const { return drives_ != original_; }
  // The letters set or taken away since the editor started, to be made in the file as it is now.
  DriveChanges Changes() const { return DriveChangesBetween(original_, drives_); }

 signals:
  // A value the user gave cannot be taken; `text` says why.
  void problem(const QString& text);

 private:
  void SetDrive();
  void RemoveDrive();
  void BrowseForPath();
  void ShowSelected();
  void Refresh();
  char FirstFreeLetter() const;
  char ChosenLetter() const;

  std::map<char, std::string> drives_;
  const std::map<char, std::string> original_;
  QTreeWidget* list_;
  QComboBox* letter_;
  QLineEdit* path_;
};

}  // namespace orlenta
