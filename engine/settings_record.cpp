// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_record.h"

#include <algorithm>
#include <cstring>

#include "localized_text.h"

namespace orlenta {

RecoverySettings RecoverySettings::FromBytes(std::span<const uint8_t> bytes) {
  RecoverySettings record;
  std::copy_n(bytes.begin(), std::min(bytes.size(), kSize), record.bytes_.begin());
  return record;
}

std::string RecoverySettings::NameStem() const {
  return TextAt(kNameStemOffset, kNameStemField, kMaxStemLength);
}

std::string RecoverySettings::OutputFolder() const {
  return TextAt(kOutputFolderOffset, kOutputFolderField, kMaxFolderLength);
}

std::string RecoverySettings::InstallFolder() const {
  return TextAt(kInstallFolderOffset, kInstallFolderField, kMaxFolderLength);
}

int32_t RecoverySettings::LanguageIndex() const {
  const int32_t language = RawLanguageIndex();
  return language >= 1 && language <= kLanguageCount ? language : kEnglish;
}

void RecoverySettings::SetLanguageIndex(int32_t language) {
  bytes_[kLanguageOffset] = static_cast<uint8_t>(static_cast<int8_t>(language));
}

void RecoverySettings::SetNameStem(const std::string& stem) {
  SetTextAt(kNameStemOffset, kNameStemField, kMaxStemLength, stem);
}

void RecoverySettings::SetOutputFolder(const std::string& folder) {
  SetTextAt(kOutputFolderOffset, kOutputFolderField, kMaxFolderLength, folder);
}

void RecoverySettings::SetInstallFolder(const std::string& folder) {
  SetTextAt(kInstallFolderOffset, kInstallFolderField, kMaxFolderLength, folder);
}

std::string RecoverySettings::TextAt(std::size_t offset, std::size_t field,
                                     std::size_t maxLength) const {
  const auto* begin = reinterpret_cast<const char*>(bytes_.data() + offset);
  const std::size_t limit = std::min(field, maxLength);
  return std::string(begin, strnlen(begin, limit));
}

void RecoverySettings::SetTextAt(std::size_t offset, std::size_t field, std::size_t maxLength,
                                 const std::string& text) {
  const std::size_t length = std::min({text.size(), maxLength, field - 1});
  std::memset(bytes_.data() + offset, 0, field);
  std::memcpy(bytes_.data() + offset, text.data(), length);
}

int32_t RecoverySettings::Int32At(std::size_t offset) const {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | bytes_[offset + static_cast<std::size_t>(i)];
  return static_cast<int32_t>(value);
}

void RecoverySettings::SetInt32At(std::size_t offset, int32_t value) {
  auto bits = static_cast<uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i, bits >>= 8) bytes_[offset + i] = bits & 0xFF;
}

}  // namespace orlenta
