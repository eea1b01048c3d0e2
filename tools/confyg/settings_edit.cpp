// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_edit.h"

#include "platform/system_folders.h"

namespace orlenta {

ValueCheck CheckSettingsEdit(const SettingsEdit& edit) {
  if (edit.nameStem) {
    if (ValueCheck check = CheckNameStem(*edit.nameStem); !check.Passed()) return check;
  }
  if (edit.outputFolder) {
    if (ValueCheck check = CheckOutputFolder(*edit.outputFolder); !check.Passed()) return check;
  }
  if (edit.language) return CheckLanguage(*edit.language);
  return {};
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
