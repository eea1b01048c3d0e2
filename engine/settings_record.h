// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace orlenta {

// The 620-byte record of the settings file, kept byte for byte so that whatever this
// program does not interpret survives a rewrite. Integers are little-endian; texts are
// NUL-terminated single-byte strings in fixed fields.
class RecoverySettings {
 public:
  static constexpr std::size_t kSize = 620;
  static constexpr std::size_t kNameStemOffset = 0;
  static constexpr std::size_t kNameStemField = 4;
  static constexpr std::size_t kOutputFolderOffset = 4;
  static constexpr std::size_t kOutputFolderField = 200;
  static constexpr std::size_t kOpenFolderOffset = 208;
  static constexpr std::size_t kLanguageOffset = 216;
  static constexpr std::size_t kInstallFolderOffset = 217;
  static constexpr std::size_t kInstallFolderField = 203;
  static constexpr std::size_t kCheckByteOffset = 419;
  static constexpr std::size_t kCheckValueOffset = 420;
  // The longest texts the program takes from the record.
  static constexpr std::size_t kMaxFolderLength = 199;
  static constexpr std::size_t kMaxStemLength = 3;

  // An all-zero record.
  RecoverySettings() = default;

  // The record from the first 620 bytes of `bytes`; bytes missing at the end read as zero.
  static RecoverySettings FromBytes(std::span<const uint8_t> bytes);

  const std::array<uint8_t, kSize>& Bytes() const { return bytes_; }

  // Texts stop at their NUL, at the end of their field, or at the length the program
  // keeps of them, whichever comes first.
  std::string NameStem() const;
  std::string OutputFolder() const;
  std::string InstallFolder() const;
  int32_t OpenFolderWhenDone() const { return Int32At(kOpenFolderOffset); }
  // The stored byte, sign-extended, as it stands (possibly outside 1..6).
  int32_t RawLanguageIndex() const { return static_cast<int8_t>(bytes_[kLanguageOffset]); }
  // The language brought into 1..6: anything else reads as English.
  int32_t LanguageIndex() const;
  int32_t CheckValue() const { return Int32At(kCheckValueOffset); }
  // The byte at offset 419, sign-extended: what CheckValue must hold.
  int32_t ComputedCheckValue() const { return static_cast<int8_t>(bytes_[kCheckByteOffset]); }

  void SetLanguageIndex(int32_t language);
  // Setters cut texts to what their field can hold; the rest of the field is zeroed.
  void SetNameStem(const std::string& stem);
  void SetOutputFolder(const std::string& folder);
  void SetInstallFolder(const std::string& folder);
  void SetOpenFolderWhenDone(int32_t value) { SetInt32At(kOpenFolderOffset, value); }
  // Makes CheckValue agree with the byte at offset 419.
  void UpdateCheckValue() { SetInt32At(kCheckValueOffset, ComputedCheckValue()); }

 private:
  std::string TextAt(std::size_t offset, std::size_t field, std::size_t maxLength) const;
  void SetTextAt(std::size_t offset, std::size_t field, std::size_t maxLength,
                 const std::string& text);
  int32_t Int32At(std::size_t offset) const;
  void SetInt32At(std::size_t offset, int32_t value);

  std::array<uint8_t, kSize> bytes_{};
};

}  // namespace orlenta
