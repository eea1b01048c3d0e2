// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_edit.h"

#include "platform/system_folders.h"
#include "value_checks.h"

namespace orlenta {

std::string CheckSettingsEdit(const SettingsEdit& edit) {
  if (edit.nameStem) {
    if (std::string problem = CheckNameStem(*edit.nameStem); !problem.empty()) return problem;
  }
  if (edit.outputFolder) {
    if (std::string problem = CheckOutputFolder(*edit.outputFolder); !problem.empty()) {
      return problem;
    }
  }
  if (edit.language) return CheckLanguage(*edit.language);
  return "";
}

void ApplySettingsEdit(const SettingsEdit& edit, RecoverySettings& record) {
  if (edit.nameStem) record.SetNameStem(*edit.nameStem);
  // Recovered file names are appended to the folder as they stand, hence the separator.
  if (edit.outputFolder) record.SetOutputFolder(WithTrailingSeparator(*edit.outputFolder));
  if (edit.openFolderWhenDone) record.SetOpenFolderWhenDone(*edit.openFolderWhenDone ? 1 : 0);
  if (edit.language) record.SetLanguageIndex(*edit.language);
  record.UpdateCheckValue();
}

}  // namespace orlenta
