// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace orlenta {

// A name as UDF stores it (its first byte tells 8 or 16 bits a character) in UTF-8; "" when
// the first byte names no form we know.
std::string UdfNameToUtf8(std::span<const uint8_t> bytes);

// A fixed field holding such a name, whose last byte tells how many of its bytes are used.
std::string UdfFieldToUtf8(std::span<const uint8_t> field);

}  // namespace orlenta
