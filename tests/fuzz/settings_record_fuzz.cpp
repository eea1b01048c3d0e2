// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes at all, read as a settings record, must give texts that fit their members and
// a language in 1..6, and write back the bytes the program does not interpret.
#include <cstdlib>

#include "engine/settings_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using orlenta::RecoverySettings;
  RecoverySettings record = RecoverySettings::FromBytes({data, size});
  if (record.OutputFolder().size() > RecoverySettings::kMaxFolderLength) std::abort();
  if (record.InstallFolder().size() > RecoverySettings::kMaxFolderLength) std::abort();
  if (record.NameStem().size() > RecoverySettings::kMaxStemLength) std::abort();
  if (record.LanguageIndex() < 1 || record.LanguageIndex() > 6) std::abort();
  const auto before = record.Bytes();
  record.SetLanguageIndex(3);
  for (size_t i = 0; i < RecoverySettings::kSize; ++i) {
    if (i != RecoverySettings::kLanguageOffset && record.Bytes()[i] != before[i]) std::abort();
  }
  return 0;
}
