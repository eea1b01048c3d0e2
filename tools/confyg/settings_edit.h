// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "engine/settings_record.h"
#include "value_checks.h"

namespace orlenta {

// The settings a user asked to change; a field left empty is not touched.
struct SettingsEdit {
  // Each field has an initializer, so that an edit can name just the fields it changes.
  std::optional<std::string> nameStem = {};
  std::optional<std::string> outputFolder = {};  // saved with a trailing separator
  std::optional<bool> openFolderWhenDone = {};
  std::optional<int> language = {};

  bool Empty() const { return !nameStem && !outputFolder && !openFolderWhenDone && !language; }
};

// Why `edit` cannot be stored (passed when it can): the first value that fails its check.
ValueCheck CheckSettingsEdit(const SettingsEdit& edit);

// Stores the fields `edit` names in `record`, leaving every other byte as it is, and makes
// CheckValue agree with the record. `edit` must have passed CheckSettingsEdit.
void ApplySettingsEdit(const SettingsEdit& edit, RecoverySettings& record);

}  // namespace orlenta
