// SPDX-License-Identifier: GPL-3.0-or-later
#include "cue_sheet.h"

#include <fcntl.h>
#include <libcue.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "output_capture.h"
#include "read_fully.h"

namespace orlenta {
namespace {

struct CdDeleter {
  void operator()(Cd* cd) const { cd_delete(cd); }
};
using CdSheet = std::unique_ptr<Cd, CdDeleter>;

constexpr std::size_t kMostTracks = 99;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The sheet's text without the byte-order mark some editors put first.
std::string_view WithoutByteOrderMark(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return text;
}

// The first line of a library's complaint, in plain printable characters.
std::string FirstLine(const std::string& text) {
  std::string line;
  for (const char c : text.substr(0, text.find('\n'))) {
    line += c >= 0x20 && c < 0x7F ? c : '?';
  }
  return line;
}

// The sheet as libcue reads it. libcue prints what it rejects or repairs: such a sheet
// would not be read as written, so it is refused, with its first complaint as the reason.
CdSheet ParseSheet(const std::string& text, std::string& complaint) {
  OutputCapture capture;
  CdSheet cd(cue_parse_string(text.c_str()));
  complaint = FirstLine(capture.Finish());
  return cd;
}

bool FirstWordIs(std::string_view line, std::string_view word) {
  std::size_t at = 0;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  if (line.size() - at <= word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(line[at + i])) != word[i]) return false;
  }
  return line[at + word.size()] == ' ' || line[at + word.size()] == '\t';
}

// The lines of `text` that begin with the word `word`. A line ends in LF, CR LF, or CR
// alone, as old Mac tools write it.
std::vector<std::string_view> LinesStartingWith(std::string_view text, std::string_view word) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    if (FirstWordIs(line, word)) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// `text` with each line ending in LF, the only ending libcue knows: a CR alone becomes LF.
std::string WithLineFeeds(std::string_view text) {
  std::string fed(text);
  for (std::size_t i = 0; i < fed.size(); ++i) {
    if (fed[i] == '\r' && (i + 1 == fed.size() || fed[i + 1] != '\n')) fed[i] = '\n';
  }
  return fed;
}

// True when `field`, decimal digits, has a value below `limit`.
bool NumberBelow(std::string_view field, uint64_t limit) {
  if (field.empty() || field.size() > 10) return false;
  uint64_t value = 0;
  for (const char c : field) value = value * 10 + static_cast<uint64_t>(c - '0');
  return value < limit;
}

// True when the time "mm:ss:ff" of an INDEX line (minutes, seconds, frames of 1/75 s) can
// be read as written: seconds below 60, frames below 75, and a frame number that fits the
// 31 bits libcue keeps it in (more would wrap round to some other frame).
bool TimeInRange(std::string_view time) {
  const std::size_t first = time.find(':');
  const std::size_t second = time.find(':', first == std::string_view::npos ? 0 : first + 1);
  if (first == std::string_view::npos || second == std::string_view::npos) return true;
  const std::string_view minutes = time.substr(0, first);
  const std::string_view seconds = time.substr(first + 1, second - first - 1);
  const std::string_view frames = time.substr(second + 1);
  // Anything but digits (a minus sign) is libcue's to judge.
  for (const std::string_view field : {minutes, seconds, frames}) {
    if (field.find_first_not_of("0123456789") != std::string_view::npos) return true;
  }
  constexpr uint64_t kFramesPerMinute = 60 * 75;
  return NumberBelow(minutes, (uint64_t{INT32_MAX} + 1) / kFramesPerMinute) &&
         NumberBelow(seconds, 60) && NumberBelow(frames, 75);
}

// The first INDEX line whose time is out of range, "" when there is none.
std::string IndexOutOfRange(std::string_view text) {
  for (std::string_view line : LinesStartingWith(text, "INDEX")) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    const std::size_t last = line.find_last_of(" \t");
    if (!TimeInRange(line.substr(last + 1))) {
      return std::string(line.substr(line.find_first_not_of(" \t")));
    }
  }
  return "";
}

// The data file of a track, beside the cue sheet unless its name is absolute.
std::string DataPath(const std::string& cuePath, const char* name) {
  const std::filesystem::path file(name ? name : "");
  if (file.is_absolute()) return file.string();
  return (std::filesystem::path(cuePath).parent_path() / file).string();
}

bool IsData(enum TrackMode mode) {
  return mode != MODE_AUDIO;
}

// Sets the layout's framing for `mode`; false for a framing we cannot read.
bool FrameTrack(SectorLayout& layout, enum TrackMode mode, const ImageReader& read) {
  switch (mode) {
    case MODE_MODE1:
    case MODE_MODE2_FORM1:  // "MODE2/2048": the data alone
      layout.stride = layout.sectorSize = 2048;
      return true;
    case MODE_MODE2_FORM2:  // "MODE2/2324": the data alone
      SetFraming(layout, RawMode::kMode2Form2, 2324, 0);
      layout.dataOffset = 0;
      return true;
    case MODE_MODE1_RAW:
      SetFraming(layout, RawMode::kMode1, kRawSectorBytes, kHeaderBytes);
      return true;
    case MODE_MODE2_RAW:
    case MODE_MODE2: {  // 2,352 bytes, or 2,336 without sync and header
      const uint32_t stride = mode == MODE_MODE2 ? 2336 : kRawSectorBytes;
      const uint32_t at = mode == MODE_MODE2 ? 0 : kHeaderBytes;
      SetMode2Framing(layout, read, stride, at);
      return true;
    }
    default:
      return false;
  }
}

uint32_t StrideOf(enum TrackMode mode) {
  switch (mode) {
    case MODE_MODE1:
    case MODE_MODE2_FORM1:
      return 2048;
    case MODE_MODE2_FORM2:
      return 2324;
    case MODE_MODE2:
      return 2336;
    case MODE_MODE2_FORM_MIX:
      return 2332;
    default:
      return kRawSectorBytes;
  }
}

// The number of the track to read: `wanted` when it exists, else the first data track; 0
// when there is none.
int PickTrack(const Cd* cd, std::optional<int> wanted) {
  const int tracks = cd_get_ntrack(cd);
  if (wanted) return *wanted >= 1 && *wanted <= tracks ? *wanted : 0;
  for (int i = 1; i <= tracks; ++i) {
    if (IsData(track_get_mode(cd_get_track(cd, i)))) return i;
  }
  return 0;
}

std::optional<SectorLayout> Fail(CueSheetError& error, int errnum, std::string reason) {
  error = {errnum, std::move(reason)};
  return std::nullopt;
}

// Opens a track's data file, which must be a regular file: a directory, a device or a FIFO
// (which would block the open) is refused before it is opened.
int OpenDataFile(const std::string& path, CueSheetError& error) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    error = {0, "names " + path + ", which is not a regular file"};
    return -1;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = {errno, "names " + path + ", which cannot be opened"};
    return -1;
  }
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = {0, "names " + path + ", which is not a regular file"};
    ::close(fd);
    return -1;
  }
  return fd;
}

// The first track of the sheet that names the same data file as track `number` and starts
// at or past the end of that file (of `fileBytes`); 0 when there is none.
int TrackPastTheEnd(const Cd* cd, int number, uint64_t fileBytes) {
  const char* file = track_get_filename(cd_get_track(cd, number));
  for (int i = 1; i <= cd_get_ntrack(cd); ++i) {
    const Track* track = cd_get_track(cd, i);
    const char* name = track_get_filename(track);
    if (!name || !file || std::strcmp(name, file) != 0) continue;
    const long start = track_get_start(track);
    const uint64_t at =
        static_cast<uint64_t>(start < 0 ? 0 : start) * StrideOf(track_get_mode(track));
    if (at >= fileBytes) return i;
  }
  return 0;
}

// The layout of track `number` of `cd`, in its data file (opened to learn its size and, for
// Mode 2, its forms): where it starts, how many sectors it has, their framing. An audio track
// is whole 2,352-byte frames. nullopt, with `error` set, when its file cannot be opened, a
// track lies past the file's end, or its framing cannot be read.
std::optional<SectorLayout> TrackLayout(const Cd* cd, int number, const std::string& cuePath,
                                        CueSheetError& error) {
  const Track* chosen = cd_get_track(cd, number);
  const enum TrackMode mode = track_get_mode(chosen);
  SectorLayout layout;
  layout.dataPath = DataPath(cuePath, track_get_filename(chosen));
  const int fd = OpenDataFile(layout.dataPath, error);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  const bool sized = ::fstat(fd, &info) == 0;
  const ImageReader read = [fd](uint64_t offset, std::span<uint8_t> into) {
    return ReadFully(fd, offset, into) == into.size();
  };
  const uint32_t stride = StrideOf(mode);
  const long start = track_get_start(chosen);
  const long length = track_get_length(chosen);
  layout.firstByte = static_cast<uint64_t>(start < 0 ? 0 : start) * stride;
  const uint64_t fileBytes = sized ? static_cast<uint64_t>(info.st_size) : 0;
  if (const int past = TrackPastTheEnd(cd, number, fileBytes); past != 0) {
    ::close(fd);
    return Fail(error, 0,
                "puts track " + std::to_string(past) + " past the end of " + layout.dataPath);
  }
  const uint64_t available =
      fileBytes > layout.firstByte ? (fileBytes - layout.firstByte) / stride : 0;
  layout.sectorCount =
      length > 0 ? std::min<uint64_t>(static_cast<uint64_t>(length), available) : available;
  if (!IsData(mode)) {
    layout.stride = layout.sectorSize = kRawSectorBytes;
    ::close(fd);
    return layout;
  }
  const bool framed = FrameTrack(layout, mode, read);
  ::close(fd);
  if (!framed) {
    return Fail(error, 0, "track " + std::to_string(number) + " holds no data that can be read");
  }
  return layout;
}

// What the sheet's text says of each track that libcue does not keep: its session (from
// the REM SESSION line before it) and its data file's byte order (MOTOROLA: most
// significant byte first).
struct TrackFacts {
  int session = 1;
  bool bigEndian = false;
};

// The last word of `line`, in capitals.
std::string LastWord(std::string_view line) {
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
    line.remove_suffix(1);
  }
  const std::size_t space = line.find_last_of(" \t");
  std::string word(space == std::string_view::npos ? line : line.substr(space + 1));
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return word;
}

// The facts of every TRACK line of `text`, in order. Lines may end in LF, CR LF or CR alone.
std::vector<TrackFacts> FactsOfTracks(std::string_view text) {
  std::vector<TrackFacts> facts;
  TrackFacts current;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (FirstWordIs(line, "FILE")) {
      current.bigEndian = LastWord(line) == "MOTOROLA";
    } else if (FirstWordIs(line, "TRACK")) {
      facts.push_back(current);
    } else if (FirstWordIs(line, "REM")) {
      const std::size_t at = line.find("SESSION");
      if (at != std::string_view::npos)
        current.session = std::max(1, std::atoi(line.data() + at + 7));
    }
  }
  return facts;
}

// Sectors no drive can read between the end of a session and the first track of the next:
// lead-out, lead-in and pre-gap; longer after the first session.
uint64_t SessionGap(int endingSession) {
  return endingSession == 1 ? 11400 : 6900;
}

// Every track of the sheet, placed as on the disc: a data file follows on from the track
// before it, a PREGAP adds sectors no file holds, and a new session starts after the
// sectors between sessions.
std::optional<SectorLayout> SheetDisc(const Cd* cd, std::string_view text,
                                      const std::string& cuePath, CueSheetError& error) {
  const std::vector<TrackFacts> facts = FactsOfTracks(text);
  SectorLayout disc;
  uint64_t base = 0;
  const DiscTrack* previous = nullptr;
  for (int number = 1; number <= cd_get_ntrack(cd); ++number) {
    const Track* track = cd_get_track(cd, number);
    auto layout = TrackLayout(cd, number, cuePath, error);
    if (!layout) return std::nullopt;
    const TrackFacts fact =
        static_cast<std::size_t>(number) <= facts.size() ? facts[number - 1] : TrackFacts{};
    if (previous && layout->dataPath != previous->layout.dataPath) base = previous->EndSector();
    const int session = std::max(fact.session, previous ? previous->session : 1);
    if (previous && session > previous->session) base += SessionGap(previous->session);
    base += static_cast<uint64_t>(std::max(0L, track_get_zero_pre(track)));
    DiscTrack placed;
    placed.number = number;
    placed.session = session;
    placed.kind = IsData(track_get_mode(track)) ? TrackKind::kData : TrackKind::kAudio;
    placed.firstSector = base + static_cast<uint64_t>(std::max(0L, track_get_start(track)));
    placed.sectorCount = layout->sectorCount;
    placed.bigEndianAudio = fact.bigEndian;
    if (const char* title = cdtext_get(PTI_TITLE, track_get_cdtext(track))) placed.title = title;
    placed.layout = std::move(*layout);
    disc.tracks.push_back(std::move(placed));
    previous = &disc.tracks.back();
  }
  const auto data = std::find_if(disc.tracks.begin(), disc.tracks.end(),
                                 [](const DiscTrack& t) { return t.kind == TrackKind::kData; });
  // The disc reads as its first data track's file; its sectors as large as its largest.
  if (data != disc.tracks.end()) disc.dataPath = data->layout.dataPath;
  disc.sectorSize = kForm1Bytes;
  for (const DiscTrack& track : disc.tracks) {
    if (track.kind == TrackKind::kData) {
      disc.sectorSize = std::max(disc.sectorSize, track.layout.sectorSize);
    }
    disc.sectorCount = std::max(disc.sectorCount, track.EndSector());
  }
  disc.stride = disc.sectorSize;
  return disc;
}

}  // namespace

bool LooksLikeCueSheet(std::string_view text) {
  text = WithoutByteOrderMark(text);
  if (text.size() > kLargestCueSheet || text.find('\0') != std::string_view::npos) return false;
  return !LinesStartingWith(text, "FILE").empty() && !LinesStartingWith(text, "TRACK").empty();
}

std::optional<SectorLayout> CueSheetLayout(const std::string& cuePath, const std::string& text,
                                           std::optional<int> track, CueSheetError& error) {
  // libcue drops, and never frees, the tracks beyond a disc's 99: refused before it sees them.
  if (const std::size_t tracks = LinesStartingWith(text, "TRACK").size(); tracks > kMostTracks) {
    return Fail(error, 0,
                "is a cue sheet that cannot be read as written (" + std::to_string(tracks) +
                    " tracks; a disc has at most " + std::to_string(kMostTracks) + ")");
  }
  if (const std::string index = IndexOutOfRange(text); !index.empty()) {
    return Fail(error, 0,
                "is a cue sheet that cannot be read as written (" + index + ": out of range)");
  }
  std::string complaint;
  const std::string sheet = WithLineFeeds(WithoutByteOrderMark(text));
  const CdSheet cd = ParseSheet(sheet, complaint);
  if (!complaint.empty()) {
    return Fail(error, 0,
                "is a cue sheet that cannot be read as written (libcue: " + complaint + ")");
  }
  if (!cd) return Fail(error, 0, "is not a cue sheet that can be read");
  // A sheet of several tracks is read as the disc it describes: every data track, each at
  // its place on the disc.
  if (!track && cd_get_ntrack(cd.get()) > 1) return SheetDisc(cd.get(), sheet, cuePath, error);
  const int number = PickTrack(cd.get(), track);
  if (number == 0) return Fail(error, 0, "names no data track");
  if (!IsData(track_get_mode(cd_get_track(cd.get(), number)))) {
    return Fail(error, 0, "track " + std::to_string(number) + " holds no data that can be read");
  }
  return TrackLayout(cd.get(), number, cuePath, error);
}

}  // namespace orlenta
