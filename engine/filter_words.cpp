// SPDX-License-Identifier: GPL-3.0-or-later
#include "filter_words.h"

#include <algorithm>
#include <cctype>

#include "options_file.h"

namespace orlenta {

std::vector<std::string> CommaList(const std::string& text) {
  std::vector<std::string> names;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    names.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) return names;
    start = comma + 1;
  }
}

std::optional<uint64_t> ByteCount(const std::string& text) {
  std::size_t digits = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  if (digits == 0 || digits > 15) return std::nullopt;
  const std::string unit = text.substr(digits);
  int shift = 0;
  if (unit == "k" || unit == "K") {
    shift = 10;
  } else if (unit == "M") {
    shift = 20;
  } else if (unit == "G") {
    shift = 30;
  } else if (!unit.empty()) {
    return std::nullopt;
  }
  const uint64_t count = std::stoull(text.substr(0, digits));
  if (count > (UINT64_MAX >> shift)) return std::nullopt;  // more bytes than a number holds
  return count << shift;
}

std::optional<std::pair<uint32_t, uint32_t>> PixelCount(const std::string& text) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return std::nullopt;
  const std::string width = text.substr(0, x);
  const std::string height = text.substr(x + 1);
  for (const std::string* number : {&width, &height}) {
    if (number->empty() || number->size() > 9 ||
        !std::all_of(number->begin(), number->end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; })) {
      return std::nullopt;
    }
  }
  return std::pair{static_cast<uint32_t>(std::stoul(width)),
                   static_cast<uint32_t>(std::stoul(height))};
}

std::string KindsProblem(const std::string& list) {
  const std::string unknown = FileFilter().KeepFamilies(CommaList(list));
  return unknown.empty() ? "" : "'" + unknown + "' is not a kind of file Orlenta recovers";
}

std::string ByteCountProblem(const std::string& text) {
  return ByteCount(text) ? "" : "'" + text + "' is not a number of bytes";
}

std::string PixelCountProblem(const std::string& text) {
  return PixelCount(text) ? "" : "'" + text + "' is not WIDTHxHEIGHT, such as 640x480";
}

FileFilter LoadFileFilter(const std::string& path) {
  FileFilter filter;
  if (const auto kinds = LoadOption(path, "kinds"); kinds && !kinds->empty()) {
    filter.KeepFamilies(CommaList(*kinds));  // unchanged when a name is unknown
  }
  if (const auto text = LoadOption(path, "min-size")) {
    if (const auto bytes = ByteCount(*text)) filter.KeepFilesFrom(*bytes);
  }
  if (const auto text = LoadOption(path, "min-pixels")) {
    if (const auto pixels = PixelCount(*text)) {
      filter.KeepPicturesFrom(pixels->first, pixels->second);
    }
  }
  return filter;
}

}  // namespace orlenta
