// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/settings_record.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace orlenta {
namespace {

using ::testing::Each;

std::vector<uint8_t> Filled(std::size_t size, uint8_t value) {
  return std::vector<uint8_t>(size, value);
}

void Put(std::vector<uint8_t>& bytes, std::size_t offset, const std::string& text) {
  std::memcpy(bytes.data() + offset, text.data(), text.size());
}

// A record as the configuration program writes it, with marked uninterpreted bytes.
std::vector<uint8_t> TypicalRecord() {
  std::vector<uint8_t> bytes = Filled(RecoverySettings::kSize, 0);
  Put(bytes, 0, std::string("REC\0", 4));
  Put(bytes, 4, "/data/out/");
  Put(bytes, 204, "\xAA\xAA\xAA\xAA");
  Put(bytes, 208, std::string("\x01\x00\x00\x00", 4));
  Put(bytes, 212, "\xBB\xBB\xBB\xBB");
  bytes[216] = 4;
  Put(bytes, 217, "/opt/orlenta");
  bytes[419] = 0xF0;
  Put(bytes, 420, "\xF0\xFF\xFF\xFF");
  std::fill(bytes.begin() + 424, bytes.end(), uint8_t{0xCC});
  return bytes;
}

TEST(RecoverySettings, FieldsAtTheirOffsets) {
  const auto bytes = TypicalRecord();
  const RecoverySettings record = RecoverySettings::FromBytes(bytes);
  EXPECT_EQ(record.NameStem(), "REC");
  EXPECT_EQ(record.OutputFolder(), "/data/out/");
  EXPECT_EQ(record.OpenFolderWhenDone(), 1);
  EXPECT_EQ(record.LanguageIndex(), 4);
  EXPECT_EQ(record.InstallFolder(), "/opt/orlenta");
  EXPECT_EQ(record.CheckValue(), -16);
  EXPECT_EQ(record.ComputedCheckValue(), -16);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), record.Bytes().begin()));
}

TEST(RecoverySettings, IntegersAreLittleEndian) {
  auto bytes = TypicalRecord();
  Put(bytes, 208, "\x01\x02\x03\x84");
  Put(bytes, 420, "\x78\x56\x34\x12");
  const RecoverySettings record = RecoverySettings::FromBytes(bytes);
  EXPECT_EQ(record.OpenFolderWhenDone(), static_cast<int32_t>(0x84030201u));
  EXPECT_EQ(record.CheckValue(), 0x12345678);
}

struct LanguageCase {
  uint8_t stored;
  int32_t raw;
  int32_t used;
};

void PrintTo(const LanguageCase& c, std::ostream* os) {
  *os << "byte " << int{c.stored};
}

class LanguageByte : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(LanguageByte, SignExtendedAndBroughtIntoRange) {
  auto bytes = TypicalRecord();
  bytes[216] = GetParam().stored;
  const RecoverySettings record = RecoverySettings::FromBytes(bytes);
  EXPECT_EQ(record.RawLanguageIndex(), GetParam().raw);
  EXPECT_EQ(record.LanguageIndex(), GetParam().used);
}

INSTANTIATE_TEST_SUITE_P(Bytes, LanguageByte,
                         ::testing::Values(LanguageCase{0x00, 0, 1}, LanguageCase{0x01, 1, 1},
                                           LanguageCase{0x02, 2, 2}, LanguageCase{0x06, 6, 6},
                                           LanguageCase{0x07, 7, 1}, LanguageCase{0xFF, -1, 1},
                                           LanguageCase{0x80, -128, 1},
                                           LanguageCase{0x86, -122, 1}));

TEST(RecoverySettings, ShortInputIsZeroPadded) {
  const std::vector<uint8_t> bytes = {'R', 'E'};
  const RecoverySettings record = RecoverySettings::FromBytes(bytes);
  EXPECT_EQ(record.NameStem(), "RE");
  EXPECT_THAT(std::vector<uint8_t>(record.Bytes().begin() + 2, record.Bytes().end()), Each(0));
  EXPECT_EQ(record.LanguageIndex(), 1);
  EXPECT_EQ(record.OutputFolder(), "");
  EXPECT_EQ(RecoverySettings::FromBytes({}).Bytes(), RecoverySettings().Bytes());
}

TEST(RecoverySettings, GarbageIsCutToFitAndLongInputToTheRecord) {
  const auto garbage = Filled(700, 0xFF);
  const RecoverySettings record = RecoverySettings::FromBytes(garbage);
  EXPECT_EQ(record.NameStem(), std::string(3, '\xFF'));
  EXPECT_EQ(record.OutputFolder(), std::string(199, '\xFF'));
  EXPECT_EQ(record.InstallFolder(), std::string(199, '\xFF'));
  EXPECT_EQ(record.LanguageIndex(), 1);
  EXPECT_EQ(record.OpenFolderWhenDone(), -1);
  EXPECT_EQ(record.CheckValue(), -1);
  EXPECT_EQ(record.ComputedCheckValue(), -1);
  EXPECT_THAT(record.Bytes(), Each(0xFF));
}

TEST(RecoverySettings, TextWithoutNulStopsAtItsMember) {
  auto bytes = TypicalRecord();
  Put(bytes, 0, "ABCD");
  Put(bytes, 4, std::string(200, 'a'));
  const RecoverySettings record = RecoverySettings::FromBytes(bytes);
  EXPECT_EQ(record.NameStem(), "ABC");
  EXPECT_EQ(record.OutputFolder(), std::string(199, 'a'));
}

TEST(RecoverySettings, SettersChangeOnlyTheirField) {
  const auto original = TypicalRecord();
  RecoverySettings record = RecoverySettings::FromBytes(original);
  record.SetLanguageIndex(5);
  record.SetOpenFolderWhenDone(0x01020304);
  record.SetNameStem("ABCDE");
  record.SetOutputFolder(std::string(300, 'x'));
  const auto& bytes = record.Bytes();
  for (std::size_t i = 0; i < RecoverySettings::kSize; ++i) {
    if (i < 204 || (i >= 208 && i < 212) || i == 216) continue;
    EXPECT_EQ(bytes[i], original[i]) << "byte " << i;
  }
  EXPECT_EQ(bytes[216], 5);
  EXPECT_EQ(record.OpenFolderWhenDone(), 0x01020304);
  EXPECT_EQ(bytes[208], 0x04);
  EXPECT_EQ(record.NameStem(), "ABC");
  EXPECT_EQ(bytes[3], 0);
  EXPECT_EQ(record.OutputFolder(), std::string(199, 'x'));
  EXPECT_EQ(bytes[203], 0);
}

TEST(RecoverySettings, UpdateCheckValueSignExtendsByte419) {
  auto bytes = TypicalRecord();
  bytes[419] = 0x9C;
  RecoverySettings record = RecoverySettings::FromBytes(bytes);
  record.UpdateCheckValue();
  EXPECT_EQ(record.CheckValue(), -100);
  EXPECT_EQ(record.Bytes()[423], 0xFF);
}

}  // namespace
}  // namespace orlenta
