// SPDX-License-Identifier: GPL-3.0-or-later
#include "confyg_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <filesystem>

#include "drive_map_editor.h"
#include "engine/filter_words.h"
#include "engine/options_file.h"
#include "languages.h"
#include "platform/system_folders.h"
#include "settings_store.h"
#include "value_problem_text.h"

namespace orlenta {
namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

ConfygDialog::ConfygDialog(ConfygPaths paths, const RecoverySettings& record,
                           std::map<char, std::string> drives, QWidget* parent)
    : QDialog(parent),
      paths_(std::move(paths)),
      shown_(record),
      tellProblem_([this](const QString& text) { TellProblem(text); }),
      stem_(new QLineEdit(Text(record.NameStem()), this)),
      outputFolder_(new QLineEdit(Text(record.OutputFolder()), this)),
      openFolder_(new QCheckBox(tr("Open the output folder when a recovery ends"), this)),
      language_(new QComboBox(this)),
      recovery_(new QComboBox(this)),
      shownRecovery_(LoadRecoveryChoice(OptionsPathBeside(paths_.settingsFile))),
      names_(new QCheckBox(tr("Files back under their own names where the disc's folders can be "
                              "read"),
                           this)),
      shownNames_(NamesChosen(OptionsPathBeside(paths_.settingsFile))),
      drives_(new DriveMapEditor(std::move(drives), this)) {
  setWindowTitle(tr("Orlenta settings"));
  setMinimumWidth(600);
  setWindowIcon(QIcon::fromTheme("orlenta"));
  stem_->setObjectName("nameStem");
  stem_->setMaxLength(3);
  stem_->setValidator(new QRegularExpressionValidator(QRegularExpression("[^/]*"), stem_));
  outputFolder_->setObjectName("outputFolder");
  outputFolder_->setPlaceholderText(Text(DefaultOutputFolderWithSeparator()));
  openFolder_->setObjectName("openFolder");
  openFolder_->setChecked(record.OpenFolderWhenDone() == 1);
  language_->setObjectName("language");
  for (int language = 1; language <= 6; ++language) language_->addItem(kLanguageNames[language]);
  language_->setCurrentIndex(record.LanguageIndex() - 1);
  recovery_->setObjectName("recovery");
  recovery_->addItem(tr("as described"));
  recovery_->addItem(tr("exact files and more kinds"));
  recovery_->setCurrentIndex(shownRecovery_ == RecoveryChoice::kExactAndMoreKinds ? 1 : 0);
  names_->setObjectName("names");
  names_->setChecked(shownNames_);

  auto* browse = new QPushButton(tr("Browse…"), this);
  browse->setObjectName("browseOutputFolder");
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(outputFolder_, 1);
  folderRow->addWidget(browse);
  auto* form = new QFormLayout;
  form->addRow(tr("Name stem (e.g. 1REC.jpg):"), stem_);
  form->addRow(tr("Output folder:"), folderRow);
  form->addRow(QString(), openFolder_);
  form->addRow(tr("Language:"), language_);
  form->addRow(tr("Recovery:"), recovery_);
  form->addRow(QString(), names_);
  const std::string options = OptionsPathBeside(paths_.settingsFile);
  const std::pair<const char*, QString> filterRows[] = {
      {"kinds", tr("all kinds (or e.g. jpeg,png)")},
      {"min-size", tr("any size (or e.g. 64k)")},
      {"min-pixels", tr("any size (or e.g. 640x480)")}};
  const QString labels[] = {tr("Kinds of files to write:"), tr("Smallest file to write:"),
                            tr("Smallest picture to write:")};
  for (std::size_t i = 0; i < std::size(filterRows); ++i) {
    const auto& [key, placeholder] = filterRows[i];
    FilterField field{key, new QLineEdit(this), Text(LoadOption(options, key).value_or(""))};
    field.edit->setObjectName(key);
    field.edit->setText(field.shown);
    field.edit->setPlaceholderText(placeholder);
    form->addRow(labels[i], field.edit);
    filter_.push_back(field);
  }
  byKind_ = new QCheckBox(tr("Put each kind of file in a folder of its own (jpg, png, …)"), this);
  byKind_->setObjectName("byKind");
  shownByKind_ = FilesSortedByKind(options);
  byKind_->setChecked(shownByKind_);
  form->addRow(QString(), byKind_);

  auto* driveBox = new QGroupBox(tr("Drives"), this);
  (new QVBoxLayout(driveBox))->addWidget(drives_);
  auto* where = new QLabel(tr("Settings file: %1").arg(Text(paths_.settingsFile)), this);
  where->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Save)->setObjectName("save");
  // Our own words on the buttons: Qt's translations may be missing (there are none for
  // Romanian), which would leave English buttons in a window of another language.
  buttons->button(QDialogButtonBox::Save)->setText(tr("Save"));
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));

  auto* layout = new QVBoxLayout(this);
  // Never narrower than its longest text: on a small screen the window would otherwise be
  // cut to two thirds of the screen's width, and with it the texts of the longer languages.
  layout->setSizeConstraint(QLayout::SetMinimumSize);
  layout->addLayout(form);
  layout->addWidget(driveBox, 1);
  layout->addWidget(where);
  layout->addWidget(buttons);

  connect(browse, &QPushButton::clicked, this, &ConfygDialog::BrowseOutputFolder);
  connect(buttons, &QDialogButtonBox::accepted, this, &ConfygDialog::Save);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(drives_, &DriveMapEditor::problem, this,
          [this](const QString& text) { tellProblem_(text); });
}

// A warning with one button, in the window's language.
void ConfygDialog::TellProblem(const QString& text) {
  QMessageBox box(QMessageBox::Warning, tr("Orlenta settings"), text, QMessageBox::Ok, this);
  box.button(QMessageBox::Ok)->setText(tr("OK"));
  box.exec();
}

// Stores what changed and closes; a value that cannot be stored, or a failed write, is told
// and the window stays open with nothing written.
void ConfygDialog::Save() {
  const SettingsEdit edit = CollectEdit();
  if (ValueCheck check = CheckSettingsEdit(edit); !check.Passed()) {
    tellProblem_(ShownText(check));
    return;
  }
  if (!FilterValuesPass()) return;
  if (!SaveSettings(edit) || !SaveRecovery() || !SaveFilter()) return;
  if (drives_->Changed() &&
      !Told(EditDriveMapFile(paths_.driveMapFile, drives_->Changes()), paths_.driveMapFile)) {
    return;
  }
  accept();
}

// Applies `edit` to the settings file as it is now (the running program may have changed
// the language meanwhile); a missing file is created. False, having said why, on failure.
bool ConfygDialog::SaveSettings(const SettingsEdit& edit) {
  std::error_code error;
  if (edit.Empty() && std::filesystem::exists(paths_.settingsFile, error)) return true;
  return Told(EditSettings(paths_, edit), paths_.settingsFile);
}

// Tells the user what went wrong with an edit of `file`; true when it was stored.
bool ConfygDialog::Told(EditOutcome outcome, const std::string& file) {
  switch (outcome) {
    case EditOutcome::kStored:
      return true;
    case EditOutcome::kUnreadable:
      tellProblem_(tr("Could not read %1.").arg(Text(file)));
      return false;
    case EditOutcome::kWriteFailed:
      break;
  }
  tellProblem_(tr("Could not write %1; it is left as it was.").arg(Text(file)));
  return false;
}

// Stores the recovery choice and the names when the user changed them. False, having said
// why, on failure.
bool ConfygDialog::SaveRecovery() {
  const RecoveryChoice chosen = recovery_->currentIndex() == 1 ? RecoveryChoice::kExactAndMoreKinds
                                                               : RecoveryChoice::kAsDescribed;
  const bool names = names_->isChecked();
  const std::string file = OptionsPathBeside(paths_.settingsFile);
  if ((chosen == shownRecovery_ || SaveRecoveryChoice(file, chosen)) &&
      (names == shownNames_ || SaveNamesChoice(file, names))) {
    return true;
  }
  tellProblem_(tr("Could not write %1; it is left as it was.").arg(Text(file)));
  return false;
}

// Whether every filter field holds a value that can be stored; tells the first that cannot.
bool ConfygDialog::FilterValuesPass() {
  for (const FilterField& field : filter_) {
    const std::string value = field.edit->text().trimmed().toStdString();
    if (value.empty()) continue;
    const std::string key = field.key;
    if (key == "kinds" && !KindsProblem(value).empty()) {
      tellProblem_(tr("'%1' is not a kind of file Orlenta recovers.").arg(field.edit->text()));
    } else if (key == "min-size" && !ByteCountProblem(value).empty()) {
      tellProblem_(tr("'%1' is not a number of bytes, such as 64k.").arg(field.edit->text()));
    } else if (key == "min-pixels" && !PixelCountProblem(value).empty()) {
      tellProblem_(tr("'%1' is not a width and height, such as 640x480.").arg(field.edit->text()));
    } else {
      continue;
    }
    field.edit->setFocus();
    return false;
  }
  return true;
}

// Stores the filter fields the user changed. False, having said why, on failure.
bool ConfygDialog::SaveFilter() {
  const std::string file = OptionsPathBeside(paths_.settingsFile);
  for (const FilterField& field : filter_) {
    if (field.edit->text().trimmed() == field.shown.trimmed()) continue;
    if (!SaveOption(file, field.key, field.edit->text().trimmed().toStdString())) {
      tellProblem_(tr("Could not write %1; it is left as it was.").arg(Text(file)));
      return false;
    }
  }
  const bool byKind = byKind_->isChecked();
  if (byKind == shownByKind_ || SaveOption(file, "by-kind", byKind ? "on" : "off")) return true;
  tellProblem_(tr("Could not write %1; it is left as it was.").arg(Text(file)));
  return false;
}

// Lets the user pick the output folder.
void ConfygDialog::BrowseOutputFolder() {
  const QString start =
      outputFolder_->text().isEmpty() ? Text(DefaultOutputFolder()) : outputFolder_->text();
  const QString folder = QFileDialog::getExistingDirectory(this, tr("Output folder"), start);
  if (!folder.isEmpty()) outputFolder_->setText(Text(WithTrailingSeparator(folder.toStdString())));
}

// The fields whose shown value the user changed. Texts are compared as shown, so that a
// stored text that is not valid UTF-8 survives unless the user edits it.
SettingsEdit ConfygDialog::CollectEdit() const {
  SettingsEdit edit;
  if (stem_->text() != Text(shown_.NameStem())) edit.nameStem = stem_->text().toStdString();
  if (outputFolder_->text() != Text(shown_.OutputFolder())) {
    edit.outputFolder = outputFolder_->text().trimmed().toStdString();
  }
  const bool open = openFolder_->isChecked();
  if (open != (shown_.OpenFolderWhenDone() == 1)) edit.openFolderWhenDone = open;
  const int language = language_->currentIndex() + 1;
  if (language != shown_.LanguageIndex()) edit.language = language;
  return edit;
}

}  // namespace orlenta
