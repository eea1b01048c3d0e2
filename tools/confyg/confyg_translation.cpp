// SPDX-License-Identifier: GPL-3.0-or-later
#include "confyg_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <array>

namespace orlenta {
namespace {

// The code of each language by its index, as the translations are named; slot 0 and English
// have none, English being the texts of the code itself.
constexpr std::array<const char*, 7> kTranslationCodes = {"", "", "fr", "de", "it", "es", "ro"};

}  // namespace

ConfygTranslation::ConfygTranslation(int language) {
  if (language < 2 || language >= static_cast<int>(kTranslationCodes.size())) return;
  const QString code = kTranslationCodes[static_cast<std::size_t>(language)];
  auto own = std::make_unique<QTranslator>();
  if (own->load(":/translations/confyg_" + code + ".qm") &&
      QCoreApplication::installTranslator(own.get())) {
    installed_ = true;
    translators_.push_back(std::move(own));
  }
  auto qt = std::make_unique<QTranslator>();
  if (qt->load("qtbase_" + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(qt.get())) {
    translators_.push_back(std::move(qt));
  }
}

ConfygTranslation::~ConfygTranslation() {
  for (const auto& translator : translators_) QCoreApplication::removeTranslator(translator.get());
}

}  // namespace orlenta
