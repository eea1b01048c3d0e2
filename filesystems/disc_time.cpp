// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_time.h"

namespace orlenta {
namespace {

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

std::optional<int> Digits(std::span<const uint8_t> bytes) {
  int value = 0;
  for (const uint8_t byte : bytes) {
    if (byte < '0' || byte > '9') return std::nullopt;
    value = value * 10 + (byte - '0');
  }
  return value;
}

int ZoneMinutes(uint8_t quarterHours) {
  return static_cast<int8_t>(quarterHours) * 15;
}

}  // namespace

std::optional<int64_t> CivilToUnix(int year, int month, int day, int hour, int minute, int second,
                                   int offsetMinutes) {
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 ||
      hour < 0 || minute < 0 || second < 0 || offsetMinutes < -13 * 60 || offsetMinutes > 14 * 60) {
    return std::nullopt;
  }
  const int64_t days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
  return days * 86400 + hour * 3600 + minute * 60 + second - int64_t{offsetMinutes} * 60;
}

std::optional<int64_t> ShortDiscTime(std::span<const uint8_t> bytes) {
  if (bytes.size() < 7 || bytes[1] == 0) return std::nullopt;
  return CivilToUnix(1900 + bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5],
                     ZoneMinutes(bytes[6]));
}

std::optional<int64_t> LongDiscTime(std::span<const uint8_t> bytes) {
  if (bytes.size() < 17) return std::nullopt;
  const auto year = Digits(bytes.subspan(0, 4));
  const auto month = Digits(bytes.subspan(4, 2));
  const auto day = Digits(bytes.subspan(6, 2));
  const auto hour = Digits(bytes.subspan(8, 2));
  const auto minute = Digits(bytes.subspan(10, 2));
  const auto second = Digits(bytes.subspan(12, 2));
  if (!year || !month || !day || !hour || !minute || !second || *year == 0) return std::nullopt;
  return CivilToUnix(*year, *month, *day, *hour, *minute, *second, ZoneMinutes(bytes[16]));
}

std::optional<int64_t> UdfDiscTime(std::span<const uint8_t> bytes) {
  if (bytes.size() < 12) return std::nullopt;
  const int typeAndZone = bytes[0] | (bytes[1] << 8);
  int zone = typeAndZone & 0x0FFF;
  if (zone >= 0x800) zone -= 0x1000;  // twelve bits, signed
  if (zone == -2047) zone = 0;        // no zone recorded
  const int year = static_cast<int16_t>(bytes[2] | (bytes[3] << 8));
  if (year == 0) return std::nullopt;
  return CivilToUnix(year, bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], zone);
}

}  // namespace orlenta
