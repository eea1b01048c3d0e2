// SPDX-License-Identifier: GPL-3.0-or-later
#include "rescue_record.h"

#include <cstdio>
#include <sstream>

namespace orlenta {
namespace {

// Version 2 adds the audio tracks; a record of version 1 holds files only.
constexpr const char* kHeading = "# orlenta-carve rescue record 2";
constexpr const char* kFirstHeading = "# orlenta-carve rescue record 1";
constexpr const char* kTrackWord = "audio";

// What a damaged frame holds, as the record writes it.
constexpr std::pair<FrameState, char> kFrameLetters[] = {
    {FrameState::kUnrepaired, 'u'}, {FrameState::kSilence, 's'}, {FrameState::kUnread, 'x'}};

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

std::string DamagedFrames(const std::vector<FrameStretch>& damaged) {
  if (damaged.empty()) return "-";
  std::string text;
  for (const FrameStretch& stretch : damaged) {
    char letter = '?';
    for (const auto& [state, shown] : kFrameLetters) {
      if (state == stretch.state) letter = shown;
    }
    text += (text.empty() ? "" : ",") + std::to_string(stretch.first) + "+" +
            std::to_string(stretch.count) + letter;
  }
  return text;
}

// "30+2u,40+1x": the stretches, each ending in the letter of what its frames hold; they
// must follow one another within the track's `frames`.
std::optional<std::vector<FrameStretch>> ParseDamagedFrames(const std::string& text,
                                                            uint64_t frames) {
  std::vector<FrameStretch> damaged;
  if (text == "-") return damaged;
  std::istringstream items(text);
  std::string item;
  uint64_t next = 0;
  while (std::getline(items, item, ',')) {
    if (item.empty()) return std::nullopt;
    std::optional<FrameState> state;
    for (const auto& [held, shown] : kFrameLetters) {
      if (shown == item.back()) state = held;
    }
    item.pop_back();
    const std::size_t plus = item.find('+');
    const auto first = plus == std::string::npos ? std::nullopt : Number(item.substr(0, plus));
    const auto count = plus == std::string::npos ? std::nullopt : Number(item.substr(plus + 1));
    if (!state || !first || !count || *count == 0 || *first < next || *count > frames ||
        *first > frames - *count) {
      return std::nullopt;
    }
    damaged.push_back({*first, *count, *state});
    next = *first + *count;
  }
  return damaged;
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

// An audio track's line: "audio", its number, its file, the file's SHA-256, its frames and
// those not read clean.
std::optional<RecordedTrack> ParseTrackLine(const std::vector<std::string>& fields) {
  if (fields.size() != 6 || fields[0] != kTrackWord || !PlainFileName(fields[2]) ||
      fields[3].size() != 64) {
    return std::nullopt;
  }
  const auto number = Number(fields[1]);
  const auto frames = Number(fields[4]);
  if (!number || *number == 0 || *number > 99 || !frames) return std::nullopt;
  auto damaged = ParseDamagedFrames(fields[5], *frames);
  if (!damaged) return std::nullopt;
  return RecordedTrack{static_cast<int>(*number), fields[2], fields[3], *frames,
                       std::move(*damaged)};
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream words(line);
  std::string field;
  while (std::getline(words, field, '\t')) fields.push_back(field);
  return fields;
}

}  // namespace

std::string FormatRescueRecord(const RescueRecord& record) {
  std::string text = std::string(kHeading) +
                     "\n# name\tkind\theader sector\tlength\tsha256\tend verified\t"
                     "unreadable sectors of the file (first+count)\n"
                     "# audio\ttrack\tname\tsha256\tframes\tframes not read clean "
                     "(first+count, then u unrepaired, s silence, x unread)\n";
  for (const RecordedFile& file : record.files) {
    text += file.name + "\t" + std::to_string(file.kind) + "\t" + std::to_string(file.firstSector) +
            "\t" + std::to_string(file.length) + "\t" + file.sha256 + "\t" +
            (file.verified ? "1" : "0") + "\t" + Stretches(file.unreadable) + "\n";
  }
  for (const RecordedTrack& track : record.tracks) {
    text += std::string(kTrackWord) + "\t" + std::to_string(track.number) + "\t" + track.name +
            "\t" + track.sha256 + "\t" + std::to_string(track.frames) + "\t" +
            DamagedFrames(track.damaged) + "\n";
  }
  return text;
}

std::optional<RescueRecord> ParseRescueRecord(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || (line != kHeading && line != kFirstHeading)) {
    return std::nullopt;
  }
  RescueRecord record;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> fields = Fields(line);
    if (!fields.empty() && fields[0] == kTrackWord) {
      std::optional<RecordedTrack> track = ParseTrackLine(fields);
      if (!track) return std::nullopt;
      record.tracks.push_back(std::move(*track));
      continue;
    }
    std::optional<RecordedFile> file = ParseLine(line);
    if (!file) return std::nullopt;
    record.files.push_back(std::move(*file));
  }
  return record;
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
