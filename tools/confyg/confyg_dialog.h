// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "confyg_paths.h"
#include "engine/recovery_choice.h"
#include "engine/settings_record.h"
#include "settings_edit.h"
#include "settings_store.h"

class QCheckBox;
class QFormLayout;
class QComboBox;
class QLineEdit;

namespace orlenta {

class DriveMapEditor;

// The configuration window: name stem, output folder, opening the folder after a run, the
// interface language, the drives, the recovery (as described, or exact files and more
// kinds, and whether files come back under their own names) and the files the window
// writes (kinds, smallest file, smallest picture); those kept in the options file beside
// the settings. Save writes only what the user changed,
// into the settings file as it stands at that moment, and closes the window.
class ConfygDialog : public QDialog {
  Q_OBJECT

 public:
  ConfygDialog(ConfygPaths paths, const RecoverySettings& record,
               std::map<char, std::string> drives, QWidget* parent = nullptr);

  // Replaces how problems are told (a warning box by default).
  void SetProblemSink(std::function<void(const QString&)> sink) { tellProblem_ = std::move(sink); }

 private:
  void TellProblem(const QString& text);
  void Save();
  bool SaveSettings(const SettingsEdit& edit);
  bool SaveRecovery();
  bool FilterValuesPass();
  bool SaveFilter();
  void AddAudioRows(QFormLayout* form, const std::string& options);
  bool SaveAudio();
  bool Told(EditOutcome outcome, const std::string& file);
  void BrowseOutputFolder();
  SettingsEdit CollectEdit() const;

  const ConfygPaths paths_;
  const RecoverySettings shown_;  // the record the fields were filled from
  std::function<void(const QString&)> tellProblem_;
  QLineEdit* stem_;
  QLineEdit* outputFolder_;
  QCheckBox* openFolder_;
  QComboBox* language_;
  QComboBox* recovery_;
  RecoveryChoice shownRecovery_;
  QCheckBox* names_;
  bool shownNames_;
  // The filter's fields with the options file's key of each and the text they were filled
  // from.
  struct FilterField {
    const char* key;
    QLineEdit* edit;
    QString shown;
  };
  std::vector<FilterField> filter_;
  QCheckBox* byKind_;
  bool shownByKind_;
  // A disc's audio tracks: written as WAV files or not, read from a drive through the error
  // correction or not, and the drive's read speed (0: its own choice), as shown.
  QCheckBox* audio_ = nullptr;
  QCheckBox* paranoia_ = nullptr;
  QComboBox* speed_ = nullptr;
  bool shownAudio_ = true;
  bool shownParanoia_ = true;
  int shownSpeed_ = 0;
  DriveMapEditor* drives_;
};

}  // namespace orlenta
