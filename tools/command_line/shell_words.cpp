// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell_words.h"

#include <algorithm>
#include <cstdio>

namespace orlenta {
namespace {

bool IsPlain(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x80) return true;  // UTF-8 and other bytes of names: no shell meaning
  return std::isalnum(byte) || std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
}

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

std::string AnsiCQuoted(const std::string& word) {
  std::string quoted = "$'";
  for (const char c : word) {
    if (c == '\'' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (IsControl(c)) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(c));
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

std::string ShellWord(const std::string& word) {
  if (!word.empty() && std::all_of(word.begin(), word.end(), IsPlain)) return word;
  if (std::any_of(word.begin(), word.end(), IsControl)) return AnsiCQuoted(word);
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace orlenta
