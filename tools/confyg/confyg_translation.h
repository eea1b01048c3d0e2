// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTranslator>
#include <memory>
#include <vector>

namespace orlenta {

// confyg's texts in `language` (1..6, as the settings store it) for as long as this lives:
// its own and, where the system has them, Qt's (the Save and Cancel buttons). English, or
// any other index, installs nothing.
class ConfygTranslation {
 public:
  explicit ConfygTranslation(int language);
  ~ConfygTranslation();
  ConfygTranslation(const ConfygTranslation&) = delete;
  ConfygTranslation& operator=(const ConfygTranslation&) = delete;

  // True when confyg's own texts of the language are in place.
  bool Installed() const { return installed_; }

 private:
  std::vector<std::unique_ptr<QTranslator>> translators_;
  bool installed_ = false;
};

}  // namespace orlenta
