// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_map_editor.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "platform/drive_map_file.h"
#include "value_problem_text.h"

namespace orlenta {
namespace {

// What a line edit keeps around its text: frame, margins and a little air.
constexpr int kFieldPadding = 20;

}  // namespace

DriveMapEditor::DriveMapEditor(std::map<char, std::string> drives, QWidget* parent)
    : QWidget(parent),
      drives_(std::move(drives)),
      original_(drives_),
      list_(new QTreeWidget(this)),
      letter_(new QComboBox(this)),
      path_(new QLineEdit(this)) {
  list_->setObjectName("driveList");
  list_->setHeaderLabels({tr("Letter"), tr("Disc image or device")});
  list_->setRootIsDecorated(false);
  list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  letter_->setObjectName("driveLetter");
  path_->setObjectName("drivePath");
  path_->setPlaceholderText(tr("/dev/sr0 or a disc image file"));
  // Wide enough for the hint in every language, however long its words.
  path_->setMinimumWidth(path_->fontMetrics().horizontalAdvance(path_->placeholderText()) +
                         kFieldPadding);
  auto* browse = new QPushButton(tr("Browse…"), this);
  browse->setObjectName("browseDrive");
  auto* set = new QPushButton(tr("Set"), this);
  set->setObjectName("setDrive");
  auto* remove = new QPushButton(tr("Remove"), this);
  remove->setObjectName("removeDrive");
  auto* hint = new QLabel(tr("Optical drives the system reports take the first free letters "
                             "from D on."),
                          this);
  hint->setWordWrap(true);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_, 0, 0, 1, 5);
  layout->addWidget(letter_, 1, 0);
  layout->addWidget(path_, 1, 1);
  layout->addWidget(browse, 1, 2);
  layout->addWidget(set, 1, 3);
  layout->addWidget(remove, 1, 4);
  layout->addWidget(hint, 2, 0, 1, 5);
  layout->setColumnStretch(1, 1);

  connect(set, &QPushButton::clicked, this, &DriveMapEditor::SetDrive);
  connect(remove, &QPushButton::clicked, this, &DriveMapEditor::RemoveDrive);
  connect(browse, &QPushButton::clicked, this, &DriveMapEditor::BrowseForPath);
  connect(list_, &QTreeWidget::itemSelectionChanged, this, &DriveMapEditor::ShowSelected);
  Refresh();
  letter_->setCurrentIndex(FirstFreeLetter() - kFirstDriveLetter);
}

// Takes the letter and path shown as a drive, replacing the letter's earlier path.
void DriveMapEditor::SetDrive() {
  const std::string path = path_->text().trimmed().toStdString();
  if (ValueCheck check = CheckDrivePath(path); !check.Passed()) {
    emit problem(ShownText(check));
    return;
  }
  drives_[ChosenLetter()] = path;
  Refresh();
}

// Takes the letter shown out of the map.
void DriveMapEditor::RemoveDrive() {
  drives_.erase(ChosenLetter());
  path_->clear();
  Refresh();
}

// Lets the user pick an image file, or a device file under /dev.
void DriveMapEditor::BrowseForPath() {
  QFileDialog picker(this, tr("Disc image or device"), path_->text());
  picker.setFileMode(QFileDialog::ExistingFile);
  picker.setFilter(picker.filter() | QDir::System | QDir::Hidden);
  picker.setNameFilters({tr("Disc images (*.iso *.img *.bin *.raw)"), tr("All files (*)")});
  if (picker.exec() == QDialog::Accepted && !picker.selectedFiles().isEmpty()) {
    path_->setText(picker.selectedFiles().constFirst());
  }
}

// Puts the selected drive's letter and path into the fields below the list.
void DriveMapEditor::ShowSelected() {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  const char letter = selected.constFirst()->text(0).toLatin1().at(0);
  letter_->setCurrentIndex(letter - kFirstDriveLetter);
  path_->setText(QString::fromStdString(drives_[letter]));
}

// Lists the drives and marks the letters in use in the letter box.
void DriveMapEditor::Refresh() {
  const int current = std::max(letter_->currentIndex(), 0);
  list_->clear();
  letter_->clear();
  for (char letter = kFirstDriveLetter; letter <= kLastDriveLetter; ++letter) {
    const auto found = drives_.find(letter);
    const bool used = found != drives_.end();
    letter_->addItem(used ? tr("%1 (in use)").arg(letter) : QString(letter));
    if (used) {
      list_->addTopLevelItem(
          new QTreeWidgetItem(QStringList{QString(letter), QString::fromStdString(found->second)}));
    }
  }
  letter_->setCurrentIndex(current);
  // Rows that went away are painted over at once, not once something covers the window.
  list_->viewport()->update();
}

// The first letter from D on that no drive uses (B when all are used), as optical drives
// are usually lettered.
char DriveMapEditor::FirstFreeLetter() const {
  for (char letter = 'D'; letter <= kLastDriveLetter; ++letter) {
    if (!drives_.contains(letter)) return letter;
  }
  return kFirstDriveLetter;
}

char DriveMapEditor::ChosenLetter() const {
  return static_cast<char>(kFirstDriveLetter + letter_->currentIndex());
}

}  // namespace orlenta
