// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace orlenta {

// Seconds since 1970-01-01 UTC of a civil time whose zone lies `offsetMinutes` east of UTC;
// nullopt when a field is out of its range.
std::optional<int64_t> CivilToUnix(int year, int month, int day, int hour, int minute, int second,
                                   int offsetMinutes);

// A directory record's 7-byte time: years since 1900, month, day, hour, minute, second,
// and the zone in quarter hours east of UTC.
std::optional<int64_t> ShortDiscTime(std::span<const uint8_t> bytes);

// A volume descriptor's 17-byte time: "YYYYMMDDHHMMSScc" in digits and the zone byte.
// All zeros (or digits) mean no time at all.
std::optional<int64_t> LongDiscTime(std::span<const uint8_t> bytes);

// A UDF entry's 12-byte time: its zone (minutes east of UTC, in the low 12 bits of its first
// field), year, month, day, hour, minute, second and fractions. A time in no zone is taken
// as UTC.
std::optional<int64_t> UdfDiscTime(std::span<const uint8_t> bytes);

}  // namespace orlenta
