// SPDX-License-Identifier: GPL-3.0-or-later
#include "rescue_record.h"

#include <cstdio>
#include <sstream>

namespace orlenta {
namespace {

constexpr const char* kHeading = "# orlenta-carve rescue record 1";

std::string Stretches(const std::vector<std::pair<uint64_t, uint64_t>>& stretches) {
  if (stretches.empty()) return "-";
  std::string text;
  for (const auto& [first, count] : stretches) {
    text += (text.empty() ? "" : ",") + std::to_string(first) + "+" + std::to_string(count);
  }
  return text;
}

std::optional<uint64_t> Number(const std::string& word) {
  if (word.empty() || word.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  try {
    return std::stoull(word);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<std::vector<std::pair<uint64_t, uint64_t>>> ParseStretches(const std::string& text) {
  std::vector<std::pair<uint64_t, uint64_t>> stretches;
  if (text == "-") return stretches;
  std::istringstream items(text);
  std::string item;
  while (std::getline(items, item, ',')) {
    const std::size_t plus = item.find('+');
    if (plus == std::string::npos) return std::nullopt;
    const auto first = Number(item.substr(0, plus));
    const auto count = Number(item.substr(plus + 1));
    if (!first || !count) return std::nullopt;
    stretches.emplace_back(*first, *count);
  }
  return stretches;
}

bool PlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::optional<RecordedFile> ParseLine(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream words(line);
  std::string field;
  while (std::getline(words, field, '\t')) fields.push_back(field);
  if (fields.size() != 7 || !PlainFileName(fields[0])) return std::nullopt;
  const auto kind = Number(fields[1]);
  const auto first = Number(fields[2]);
  const auto length = Number(fields[3]);
  const auto unreadable = ParseStretches(fields[6]);
  if (!kind || *kind == 0 || *kind > kAllKindCount || !first || !length || !unreadable ||
      fields[4].size() != 64 || (fields[5] != "0" && fields[5] != "1")) {
    return std::nullopt;
  }
  return RecordedFile{
      fields[0],  static_cast<FileKind>(*kind), *first, *length, fields[4], fields[5] == "1",
      *unreadable};
}

}  // namespace

std::string FormatRescueRecord(const std::vector<RecordedFile>& files) {
  std::string text = std::string(kHeading) +
                     "\n# name\tkind\theader sector\tlength\tsha256\tend verified\t"
                     "unreadable sectors of the file (first+count)\n";
  for (const RecordedFile& file : files) {
    text += file.name + "\t" + std::to_string(file.kind) + "\t" + std::to_string(file.firstSector) +
            "\t" + std::to_string(file.length) + "\t" + file.sha256 + "\t" +
            (file.verified ? "1" : "0") + "\t" + Stretches(file.unreadable) + "\n";
  }
  return text;
}

std::optional<std::vector<RecordedFile>> ParseRescueRecord(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != kHeading) return std::nullopt;
  std::vector<RecordedFile> files;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::optional<RecordedFile> file = ParseLine(line);
    if (!file) return std::nullopt;
    files.push_back(std::move(*file));
  }
  return files;
}

std::optional<std::string> FileSha256(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  Sha256 hash;
  std::vector<uint8_t> piece(std::size_t{1} << 16);
  std::size_t got = 0;
  while ((got = std::fread(piece.data(), 1, piece.size(), file)) > 0) {
    hash.Update({piece.data(), got});
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return hash.HexDigest();
}

void RescueRecorder::FileStarted(const std::string& path, FileKind kind, uint64_t firstSector) {
  file_ = RecordedFile{path, kind, firstSector, 0, "", false, {}};
  sectors_ = 0;
  cut_ = false;
  hash_.Reset();
}

void RescueRecorder::BytesWritten(std::span<const uint8_t> bytes) {
  Add(bytes, false);
}

void RescueRecorder::UnreadableBytesWritten(std::span<const uint8_t> bytes) {
  Add(bytes, true);
}

void RescueRecorder::Add(std::span<const uint8_t> bytes, bool unreadable) {
  hash_.Update(bytes);
  file_.length += bytes.size();
  if (unreadable) {
    auto& stretches = file_.unreadable;
    if (!stretches.empty() && stretches.back().first + stretches.back().second == sectors_) {
      ++stretches.back().second;
    } else {
      stretches.emplace_back(sectors_, 1);
    }
  }
  ++sectors_;
}

void RescueRecorder::FileCut(uint64_t length) {
  if (length >= file_.length || sectors_ == 0) return;
  const uint64_t sectorBytes = file_.length / sectors_;
  file_.length = length;
  sectors_ = (length + sectorBytes - 1) / sectorBytes;
  auto& stretches = file_.unreadable;
  while (!stretches.empty() && stretches.back().first >= sectors_) stretches.pop_back();
  if (!stretches.empty()) {
    auto& last = stretches.back();
    last.second = std::min(last.second, sectors_ - last.first);
  }
  // The bytes past the cut were hashed already: the file itself, cut, holds what to hash.
  cut_ = true;
  file_.sha256 = FileSha256(file_.name).value_or("");
}

void RescueRecorder::FileEnded(bool written) {
  if (!written) return;
  if (!cut_) file_.sha256 = hash_.HexDigest();
  if (file_.sha256.empty()) return;  // a cut file that could not be read back
  files_.push_back(file_);
}

}  // namespace orlenta
