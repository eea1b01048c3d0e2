// SPDX-License-Identifier: GPL-3.0-or-later
#include "named_recovery.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>

#include "block_reader.h"
#include "disc_listing.h"
#include "engine/file_carver.h"
#include "engine/localized_text.h"
#include "safe_names.h"

namespace orlenta {

namespace {
constexpr int kMaxRootNumber = 1000;

// The fewest sectors after its first that a piece needs to be taken straight from the
// volume: below that, the calls it costs outweigh the bytes they save reading.
constexpr uint64_t kLeastTakeable = 16;

// Where the files of a listing go under the root. The tree of names taken is let go before
// the files are planned, so that a disc of many files never holds both at once.
PlacedNames PlaceFiles(const FileListing& listing) {
  NamedTree tree;
  std::size_t nameBytes = 0;
  for (const ListedFile& file : listing.files) nameBytes += file.path.back().size();
  tree.Reserve(listing.files.size(), nameBytes + nameBytes / 8);
  for (const ListedFile& file : listing.files) {
    tree.Place(file.path, OlderSessionMark(file.olderSession) + DeletedMark(file.deleted));
  }
  PlacedNames placed = tree.TakePlaced();
  placed.names.shrink_to_fit();
  return placed;
}

}  // namespace

NamedRecovery::~NamedRecovery() {
  for (Target& target : targets_) {
    if (target.stream) std::fclose(target.stream);
  }
}

void NamedRecovery::Prepare(Volume& volume, RunHost& host) {
  host_ = &host;
  sectorSize_ = volume.SectorSize();
  BlockReader blocks(volume);
  // (The listing's room for more files is left as it is: pages never written cost nothing,
  // while a copy to fit would hold the listing twice for a moment.)
  listing_ = ReadDiscListing(blocks, limits_);
  directoryBytes_ = blocks.BytesRead();
  const std::optional<std::string> folder = host.OutputFolderForNextFile();
  if (listing_.files.empty() || !folder || !MakeRoot(*folder)) return;
  PlanFiles();
}

bool NamedRecovery::MakeRoot(const std::string& outputFolder) {
  const std::string name = SafeName(listing_.label.empty() ? "Disc" : listing_.label);
  for (int n = 1; n <= kMaxRootNumber; ++n) {
    const std::string candidate =
        outputFolder + (n == 1 ? name : name + " (" + std::to_string(n) + ")");
    std::error_code error;
    // Never into a folder that was there before: nothing of an earlier run is touched.
    if (std::filesystem::create_directory(candidate, error)) {
      root_ = candidate + "/";
      return true;
    }
    if (error) break;
  }
  listing_.problems.push_back("no folder for the files by name could be made in " + outputFolder);
  return false;
}

void NamedRecovery::PlanFiles() {
  std::vector<uint32_t> placedEnds;
  std::vector<uint32_t> folderOf;
  {
    PlacedNames placed = PlaceFiles(listing_);
    placedFolders_ = std::move(placed.folders);
    placedNames_ = std::move(placed.names);
    placedEnds = std::move(placed.nameEnds);
    folderOf = std::move(placed.folderOf);
  }
  // The extents are kept as pieces before the targets are made: a disc of many files would
  // otherwise hold a list of extents for each beside them.
  targets_.reserve(listing_.files.size());
  pieces_.reserve(listing_.files.size());
  spans_.reserve(listing_.files.size());
  for (std::size_t i = 0; i < listing_.files.size(); ++i) {
    ListedFile& file = listing_.files[i];
    Target target;
    target.placedEnd = placedEnds[i];
    target.folder = folderOf[i];
    const std::size_t index = targets_.size();
    uint64_t offset = 0;
    for (const FileExtent& extent : file.extents) {
      const uint64_t length = std::min(extent.length, file.size - offset);
      if (length == 0) break;
      pieces_.push_back({extent.offset, extent.offset + length, index, offset});
      if (!file.suspect) {
        spans_.push_back({PlaceOfLogicalByte(extent.offset, sectorSize_).sector,
                          PlaceOfLogicalByte(extent.offset + length - 1, sectorSize_).sector,
                          index});
      }
      offset += length;
    }
    target.toDeliver = offset;
    if (!file.extents.empty()) {
      target.firstSector = PlaceOfLogicalByte(file.extents.front().offset, sectorSize_).sector;
    }
    std::vector<FileExtent>().swap(file.extents);
    targets_.push_back(std::move(target));
  }
  auto byBegin = [](const Piece& a, const Piece& b) { return a.begin < b.begin; };
  std::stable_sort(pieces_.begin(), pieces_.end(), byBegin);
  std::sort(spans_.begin(), spans_.end(),
            [](const SectorSpan& a, const SectorSpan& b) { return a.first < b.first; });
  PlanTakeable();
}

void NamedRecovery::PlanTakeable() {
  if (LogicalBytesPerSector(sectorSize_) != sectorSize_ || pieces_.size() > UINT32_MAX) return;
  uint64_t reachedBefore = 0;  // one past the last sector of the pieces before
  for (std::size_t i = 0; i < pieces_.size(); ++i) {
    const Piece& piece = pieces_[i];
    const uint64_t first = FirstSectorOf(piece);
    const uint64_t last = LastSectorOf(piece);
    const bool shared =
        first < reachedBefore || (i + 1 < pieces_.size() && FirstSectorOf(pieces_[i + 1]) <= last);
    if (!shared && last - first >= kLeastTakeable && !listing_.files[piece.target].suspect) {
      takeable_.push_back(static_cast<uint32_t>(i));
    }
    reachedBefore = std::max(reachedBefore, last + 1);
  }
  takeable_.shrink_to_fit();
}

void NamedRecovery::SectorsRead(uint64_t firstSector, uint32_t bytesPerSector,
                                std::span<const uint8_t> bytes,
                                std::span<const SectorState> states) {
  if (bytesPerSector == 0 || finished_) return;
  const uint32_t perSector = LogicalBytesPerSector(bytesPerSector);
  const uint64_t count = std::min<uint64_t>(bytes.size() / bytesPerSector, states.size());
  const uint64_t end = firstSector + count;
  // Sectors whose data lie one after another in `bytes` and that were all read (or all not)
  // are handed on together, so that a large file is written in large pieces.
  const bool dataFollowOn = perSector == bytesPerSector;
  for (uint64_t sector = std::max(firstSector, sectorsSeen_); sector < end;) {
    if (active_.empty()) {
      if (nextPiece_ == pieces_.size()) break;
      sector = std::max(sector, pieces_[nextPiece_].begin / perSector);
      if (sector >= end) break;  // nothing of any file in the rest of the block
    }
    const SectorState state = states[sector - firstSector];
    uint64_t stop = sector + 1;
    while (dataFollowOn && stop < end && states[stop - firstSector] == state) ++stop;
    SectorRunRead(
        sector, stop,
        bytes.subspan((sector - firstSector) * bytesPerSector, (stop - sector) * bytesPerSector),
        perSector, state != SectorState::kRead);
    sector = stop;
  }
  sectorsSeen_ = std::max(sectorsSeen_, end);
}

void NamedRecovery::SectorRunRead(uint64_t first, uint64_t stop, std::span<const uint8_t> data,
                                  uint32_t perSector, bool unreadable) {
  const uint64_t begin = first * perSector;
  const uint64_t end = stop * perSector;
  while (nextPiece_ < pieces_.size() && pieces_[nextPiece_].begin < end) {
    active_.push_back(nextPiece_++);
  }
  for (const std::size_t index : active_) {
    Piece& piece = pieces_[index];
    const uint64_t from = std::max(piece.begin, begin);
    const uint64_t to = std::min(piece.end, end);
    if (from < to) Deliver(piece, data.subspan(from - begin, to - from), unreadable, from);
  }
  EndPiecesBy(end);
}

void NamedRecovery::EndPiecesBy(uint64_t end) {
  std::erase_if(active_, [&](std::size_t index) {
    const Piece& piece = pieces_[index];
    if (piece.end > end) return false;
    Target& target = targets_[piece.target];
    // A file in several parts is closed between them, so that few are ever open at once.
    if (target.stream && !target.concluded) Close(target);
    return true;
  });
}

void NamedRecovery::Deliver(Piece& piece, std::span<const uint8_t> data, bool unreadable,
                            uint64_t logicalOffset) {
  Target& target = targets_[piece.target];
  if (target.failed || target.concluded || !Open(target)) return;
  const uint64_t fileOffset = piece.fileOffset + (logicalOffset - piece.begin);
  const bool placed = target.position == fileOffset ||
                      std::fseek(target.stream, static_cast<long>(fileOffset), SEEK_SET) == 0;
  if (!placed || std::fwrite(data.data(), 1, data.size(), target.stream) != data.size()) {
    target.failed = true;
    host_->FileError(PathOf(target), errno);
    Conclude(target);
    return;
  }
  target.position = fileOffset + data.size();
  NoteDelivered(target, fileOffset, logicalOffset, data.size(), unreadable);
}

void NamedRecovery::NoteDelivered(Target& target, uint64_t fileOffset, uint64_t logicalOffset,
                                  uint64_t length, bool unreadable) {
  if (observer_) AddRun(target, {fileOffset, logicalOffset, length, unreadable});
  target.delivered += length;
  if (unreadable) target.unreadable += length;
  if (target.delivered >= target.toDeliver) Conclude(target);
}

uint64_t NamedRecovery::NextTakeableStart(uint64_t sector) const {
  const auto next = std::lower_bound(
      takeable_.begin(), takeable_.end(), sector,
      [this](uint32_t piece, uint64_t s) { return FirstSectorOf(pieces_[piece]) < s; });
  return next == takeable_.end() ? kNoStretch : FirstSectorOf(pieces_[*next]);
}

NamedRecovery::Piece* NamedRecovery::TakeableHolding(uint64_t sector) {
  const auto after = std::upper_bound(
      takeable_.begin(), takeable_.end(), sector,
      [this](uint64_t s, uint32_t piece) { return s < FirstSectorOf(pieces_[piece]); });
  if (after == takeable_.begin()) return nullptr;
  Piece& piece = pieces_[*std::prev(after)];
  return FirstSectorOf(piece) < sector && sector <= LastSectorOf(piece) ? &piece : nullptr;
}

uint64_t NamedRecovery::TakeFromVolume(uint64_t sector, Volume& volume, uint64_t most) {
  if (finished_ || most == 0 || sectorsSeen_ != sector + 1) return 0;
  Piece* piece = TakeableHolding(sector + 1);
  if (!piece) return 0;
  Target& target = targets_[piece->target];
  if (!target.hides || target.failed || target.concluded || !Open(target)) return 0;
  const uint64_t begin = (sector + 1) * sectorSize_;
  const uint64_t wanted = std::min(piece->end - begin, most * sectorSize_);
  const uint64_t fileOffset = piece->fileOffset + (begin - piece->begin);
  uint64_t copied = volume.CopyToFile(begin, wanted, target.stream, fileOffset);
  // Whatever the copy left of a sector is read as usual, and written again then.
  if (copied < wanted) copied -= copied % sectorSize_;
  if (copied == 0) return 0;
  const uint64_t sectors = (copied + sectorSize_ - 1) / sectorSize_;
  target.position = kPositionUnknown;
  sectorsSeen_ = sector + 1 + sectors;
  NoteDelivered(target, fileOffset, begin, copied, false);
  EndPiecesBy(sectorsSeen_ * sectorSize_);
  return sectors;
}

void NamedRecovery::AddRun(Target& target, const NamedRun& run) {
  NamedRun* last = target.runs.empty() ? nullptr : &target.runs.back();
  if (last && last->unreadable == run.unreadable &&
      last->fileOffset + last->length == run.fileOffset &&
      last->volumeOffset + last->length == run.volumeOffset) {
    last->length += run.length;
  } else {
    target.runs.push_back(run);
  }
}

std::string NamedRecovery::Slice(const std::string& texts, const Target& target,
                                 std::size_t Target::*end) const {
  const auto index = static_cast<std::size_t>(&target - targets_.data());
  const std::size_t begin = index == 0 ? 0 : targets_[index - 1].*end;
  return texts.substr(begin, target.*end - begin);
}

std::string NamedRecovery::PathOf(const Target& target) const {
  return root_ + placedFolders_[target.folder] + Slice(placedNames_, target, &Target::placedEnd);
}

bool NamedRecovery::Open(Target& target) {
  if (target.stream) return true;
  const std::string path = PathOf(target);
  if (target.created) {
    target.stream = std::fopen(path.c_str(), "r+b");
  } else {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folders_.insert(folder.string()).second) {
      std::error_code ignored;  // a folder that cannot be made fails the file's creation
      std::filesystem::create_directories(folder, ignored);
    }
    // Never over a file that is there: the tree is new, so that would be an error of ours.
    target.stream = std::fopen(path.c_str(), "wbx");
    if (target.stream) {
      target.created = true;
      host_->AddLogLine(FormatText(PickText(FileRecoveredText, host_->LanguageIndex()), path));
    }
  }
  if (target.stream) {
    // Sectors of plain 2,048 bytes come in runs of whole blocks: each goes straight to the
    // file, not through a buffer of the stream's own. Raw sectors come one at a time.
    if (sectorSize_ == LogicalBytesPerSector(sectorSize_))
      std::setvbuf(target.stream, nullptr, _IONBF, 0);
    return true;
  }
  target.failed = true;
  failed_.push_back(path);
  host_->FileError(path, errno);
  return false;
}

void NamedRecovery::Close(Target& target) {
  if (!target.stream) return;
  target.position = 0;
  if (std::fclose(target.stream) != 0 && !target.failed) {
    target.failed = true;
    host_->FileError(PathOf(target), errno);
  }
  target.stream = nullptr;
}

void NamedRecovery::Conclude(Target& target) {
  if (target.concluded) return;
  target.concluded = true;
  Close(target);
  const ListedFile& file = listing_.files[static_cast<std::size_t>(&target - targets_.data())];
  const std::string path = PathOf(target);
  if (target.created && file.mtime) {
    std::error_code ignored;  // a file without its date is still the file
    std::filesystem::last_write_time(path,
                                     std::chrono::file_clock::from_sys(std::chrono::sys_seconds(
                                         std::chrono::seconds(*file.mtime))),
                                     ignored);
  }
  NamedFileResult result;
  result.path = path;
  result.volumePath = PathText(file.path);
  result.size = file.size;
  result.mtime = file.mtime;
  result.runs = std::move(target.runs);
  result.unreadableBytes = target.unreadable;
  result.complete = target.delivered == target.toDeliver && target.toDeliver == file.size;
  result.written = target.created && !target.failed;
  result.olderSession = file.olderSession;
  result.deleted = file.deleted;
  if (!target.created) return;
  if (file.olderSession != 0) ++older_;
  if (file.deleted) ++deleted_;
  if (target.failed) {
    if (failed_.empty() || failed_.back() != path) failed_.push_back(path);
  } else if (result.complete && result.unreadableBytes == 0) {
    ++whole_;
  } else {
    damaged_.push_back(path);
  }
  if (observer_) observer_->NamedFileWritten(result);
}

const NamedRecovery::Target* NamedRecovery::TargetHolding(uint64_t sector) const {
  auto after = std::upper_bound(spans_.begin(), spans_.end(), sector,
                                [](uint64_t s, const SectorSpan& span) { return s < span.first; });
  if (after == spans_.begin()) return nullptr;
  const SectorSpan& span = *std::prev(after);
  return sector <= span.last ? &targets_[span.target] : nullptr;
}

bool NamedRecovery::HidesHeader(uint64_t sector, FileKind kind) {
  const Target* holding = TargetHolding(sector);
  if (!holding) return false;
  Target& target = targets_[static_cast<std::size_t>(holding - targets_.data())];
  // Whether the file is of a kind the run recovers is told by its first sector; a file of
  // another kind (an archive, a disc image) still has what it holds carved.
  if (sector == target.firstSector) {
    target.hides = kind != kNoHeader;
  }
  return target.hides && kind != kNoHeader;
}

void NamedRecovery::Finish() {
  if (finished_) return;
  finished_ = true;
  for (Target& target : targets_) {
    // Empty files have no sector to wait for; the rest were cut short by a stop.
    if (target.toDeliver == 0 && !target.failed) Open(target);
    if (target.created) Conclude(target);
  }
}

}  // namespace orlenta
