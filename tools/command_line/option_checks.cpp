// SPDX-License-Identifier: GPL-3.0-or-later
#include "option_checks.h"

#include <algorithm>
#include <cctype>

namespace orlenta {

CLI::Validator WholeNumberFrom(unsigned long low, unsigned long high) {
  return CLI::Validator(
      [low, high](std::string& text) -> std::string {
        const bool digits = !text.empty() && text.size() <= 9 &&
                            std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
        if (digits) {
          const unsigned long value = std::stoul(text);
          if (value >= low && value <= high) return "";
        }
        return "'" + text + "' is not a whole number from " + std::to_string(low) + " to " +
               std::to_string(high);
      },
      "", "");
}

CLI::Validator OneOf(std::vector<std::string> words) {
  return CLI::Validator(
      [words](std::string& text) -> std::string {
        if (std::find(words.begin(), words.end(), text) != words.end()) return "";
        std::string list;
        for (const std::string& word : words) list += (list.empty() ? "" : ", ") + word;
        return "'" + text + "' is not one of: " + list;
      },
      "", "");
}

CLI::Validator Lowered() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return "";
      },
      "", "");
}

}  // namespace orlenta
