// SPDX-License-Identifier: GPL-3.0-or-later
#include "udf_reader.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "iso_record.h"
#include "udf_entry.h"
#include "udf_tables.h"
#include "udf_text.h"

namespace orlenta {
namespace {

constexpr std::size_t kIdentifierHead = 38;
constexpr uint8_t kDeleted = 0x04;
constexpr uint8_t kParent = 0x08;
constexpr uint64_t kMaxLinkBytes = 4096;
// A damaged disc may lose thousands of entries; the first ones tell the user enough.
constexpr uint64_t kMaxProblems = 1000;
// Older virtual allocation tables looked at, and what their folders may cost in reading: a
// twentieth of the volume, or this much on a small one.
constexpr uint32_t kMaxOlderTables = 64;
constexpr uint64_t kOlderTablesBytesFloor = uint64_t{16} << 20;

struct PendingFolder {
  UdfAddress at;
  FolderRef folder;
  bool deleted = false;
};

// One name a folder's data lists: a file identifier.
struct Identifier {
  std::string name;
  UdfAddress at;
  uint32_t uniqueId = 0;  // the low half of the entry's, or 0
  uint8_t characteristics = 0;
};

std::string RevisionText(uint16_t revision) {
  char text[16];
  std::snprintf(text, sizeof text, "UDF %x.%02x", revision >> 8, revision & 0xFF);
  return text;
}

// A link's target from its path components.
std::string LinkTarget(std::span<const uint8_t> data) {
  std::string target;
  for (std::size_t at = 0; at + 4 <= data.size();) {
    const uint8_t type = data[at];
    const uint8_t length = data[at + 1];
    if (at + 4 + length > data.size()) break;
    const std::string name = UdfNameToUtf8(data.subspan(at + 4, length));
    at += 4 + length;
    if (type == 1 || type == 2) {
      target.assign(1, '/');
      continue;
    }
    if (!target.empty() && target.back() != '/') target.push_back('/');
    if (type == 3) {
      target.append("..");
    } else if (type == 4) {
      target.push_back('.');
    } else {
      target.append(name);
    }
  }
  return target;
}

class UdfWalk {
 public:
  UdfWalk(UdfSpace& space, const DirectoryLimits& limits, ListingMerge& merge,
          std::vector<std::string>& problems, UdfRead& read, std::string problemPrefix = "UDF: ")
      : space_(space),
        limits_(limits),
        merge_(merge),
        problems_(problems),
        read_(read),
        problemPrefix_(std::move(problemPrefix)) {}

  void Walk(UdfAddress root) {
    std::vector<PendingFolder> pending{{root, RootFolder(), false}};
    while (!pending.empty() && !OverEntries() && !space_.Spent()) {
      PendingFolder folder = std::move(pending.back());
      pending.pop_back();
      // A folder met twice (a loop, or two entries naming one folder) is read once.
      const uint64_t key = (uint64_t{folder.at.partition} << 32) | folder.at.block;
      if (!visited_.insert(key).second) continue;
      const std::optional<UdfEntry> entry =
          ReadUdfEntry(space_, folder.at, limits_.maxExtentsPerFile);
      if (!entry || entry->type != UdfEntry::kDirectory) {
        if (!folder.deleted) Problem(FolderText(*folder.folder) + ": its entry cannot be read");
        continue;
      }
      for (const Identifier& identifier : ReadIdentifiers(*entry, folder)) {
        Take(identifier, folder, pending);
      }
    }
  }

 private:
  bool OverEntries() {
    if (read_.entries <= limits_.maxEntries) return false;
    if (!toldEntries_) Problem("too many directory entries; the rest is not read");
    toldEntries_ = true;
    return true;
  }

  std::vector<Identifier> ReadIdentifiers(const UdfEntry& entry, const PendingFolder& folder) {
    const uint64_t most = uint64_t{limits_.maxDirectoryBlocks} * BlockReader::kBlockBytes;
    if (entry.size > most) Problem(FolderText(*folder.folder) + ": directory too large, cut");
    uint32_t unreadable = 0;
    const std::vector<uint8_t> data = ReadUdfData(space_, entry, most, unreadable);
    if (unreadable != 0 && !folder.deleted) {
      Problem(FolderText(*folder.folder) + ": a directory sector cannot be read");
    }
    std::vector<Identifier> identifiers;
    const std::span<const uint8_t> bytes(data);
    // Identifiers lie on 4-byte steps; past a bad sector the next whole one is looked for.
    for (std::size_t at = 0; at + kIdentifierHead <= bytes.size();) {
      const std::span<const uint8_t> rest = bytes.subspan(at);
      if (!IsUdfDescriptor(rest, UdfTagId::kFileIdentifier, std::nullopt)) {
        at += 4;
        continue;
      }
      const uint8_t nameBytes = rest[19];
      const uint16_t useBytes = Le16(rest, 36);
      const std::size_t length = kIdentifierHead + useBytes + nameBytes;
      if (length > rest.size()) break;
      at += (length + 3) & ~std::size_t{3};
      ++read_.entries;
      if (OverEntries()) break;
      const UdfAllocation icb = ParseLongAllocation(rest.subspan(20, 16));
      identifiers.push_back({UdfNameToUtf8(rest.subspan(kIdentifierHead + useBytes, nameBytes)),
                             icb.at, Le32(rest, 20 + 12), rest[18]});
    }
    return identifiers;
  }

  void Take(const Identifier& identifier, const PendingFolder& folder,
            std::vector<PendingFolder>& pending) {
    if ((identifier.characteristics & kParent) != 0) return;
    const bool deleted = folder.deleted || (identifier.characteristics & kDeleted) != 0;
    ListedPath path(folder.folder, identifier.name);
    const std::optional<UdfEntry> entry =
        ReadUdfEntry(space_, identifier.at, limits_.maxExtentsPerFile);
    if (!entry) {
      if (!deleted) Problem(PathText(path) + ": its entry cannot be read");
      return;
    }
    // A deleted name whose entry now belongs to another file.
    if (deleted && identifier.uniqueId != 0 &&
        identifier.uniqueId != static_cast<uint32_t>(entry->uniqueId)) {
      return;
    }
    switch (entry->type) {
      case UdfEntry::kDirectory:
        if (path.size() > limits_.maxDepth) {
          Problem(PathText(path) + ": folders nested too deep; not read");
        } else {
          pending.push_back({identifier.at, FolderIn(folder.folder, identifier.name), deleted});
        }
        return;
      case UdfEntry::kLink:
        if (!deleted) TakeLink(*entry, std::move(path));
        return;
      case UdfEntry::kUnspecified:
      case UdfEntry::kFile:
      case UdfEntry::kRealTimeFile:
        TakeFile(*entry, std::move(path), deleted);
        return;
      default:
        return;  // devices, pipes, tables: no data of a file
    }
  }

  void TakeLink(const UdfEntry& entry, ListedPath path) {
    uint32_t unreadable = 0;
    const std::vector<uint8_t> data = ReadUdfData(space_, entry, kMaxLinkBytes, unreadable);
    merge_.AddLink({std::move(path), LinkTarget(data)});
  }

  void TakeFile(const UdfEntry& entry, ListedPath path, bool deleted) {
    UdfExtents placed = UdfDataExtents(space_, entry, limits_.maxExtentsPerFile);
    ListedFile file;
    file.path = std::move(path);
    file.size = entry.size;
    file.mtime = entry.mtime;
    file.nameSource = NameSource::kUdf;
    file.deleted = deleted;
    if (placed.cut) {
      uint64_t held = 0;
      for (const FileExtent& extent : placed.extents) held += extent.length;
      if (!deleted) Problem(PathText(file.path) + ": part of its data is not recorded; cut");
      // A size beyond what the disc could hold is not believed.
      if (file.size > space_.Blocks().LogicalBytes()) file.size = held;
      file.suspect = true;
    }
    file.extents = std::move(placed.extents);
    if (deleted) {
      read_.deleted.push_back(std::move(file));
    } else {
      merge_.Add(std::move(file), kCopy);
    }
  }

  static std::string FolderText(const ListedFolder& folder) {
    return folder.depth == 0 ? "/" : PathText(folder);
  }

  void Problem(const std::string& text) {
    read_.whole = false;
    if (++problemCount_ <= kMaxProblems) problems_.push_back(problemPrefix_ + text);
    if (problemCount_ == kMaxProblems + 1) problems_.push_back("UDF: more problems, not listed");
  }

  static constexpr int kCopy = -1;
  UdfSpace& space_;
  const DirectoryLimits& limits_;
  ListingMerge& merge_;
  std::vector<std::string>& problems_;
  UdfRead& read_;
  const std::string problemPrefix_;
  std::unordered_set<uint64_t> visited_;
  bool toldEntries_ = false;
  uint64_t problemCount_ = 0;
};

// The root folder the file set descriptor names.
std::optional<UdfAddress> RootOf(UdfSpace& space) {
  const UdfAllocation fileSet = space.Volume().fileSet;
  const BlockReader::Block* block = space.Read(fileSet.at);
  if (!block || !IsUdfDescriptor(*block, UdfTagId::kFileSet, fileSet.at.block)) return std::nullopt;
  return ParseLongAllocation(std::span(*block).subspan(400, 16)).at;
}

// Each virtual allocation table written before the one in use names the files as they were
// then: what a later write removed or replaced is added from it, as a file of an older
// session (the oldest table's is session 1). The merge keeps only what no newer table lists.
void ReadOlderTables(UdfSpace& space, UdfTableChain chain, const DirectoryLimits& limits,
                     ListingMerge& merge, std::vector<std::string>& problems, UdfRead& read) {
  BlockReader& blocks = space.Blocks();
  const uint64_t mostBytes =
      blocks.BytesRead() + std::max(blocks.LogicalBytes() / 20, kOlderTablesBytesFloor);
  auto overBudget = [&] { return blocks.BytesRead() > mostBytes || space.Spent(); };
  UdfTableChain counting = chain;
  uint32_t older = 0;
  while (older < kMaxOlderTables && !overBudget() && LoadOlderVirtualTable(space, counting))
    ++older;
  for (uint32_t session = older; session >= 1 && LoadOlderVirtualTable(space, chain); --session) {
    if (overBudget()) {
      problems.push_back(
          "UDF: older virtual allocation tables ask for too much reading; "
          "those before session " +
          std::to_string(session + 1) + " are not read");
      break;
    }
    merge.BeginSession(session);
    const std::optional<UdfAddress> root = RootOf(space);
    if (!root) continue;  // that write's file set is gone: nothing to add from it
    UdfWalk(space, limits, merge, problems, read, "UDF, session " + std::to_string(session) + ": ")
        .Walk(*root);
  }
  merge.BeginSession(0);
}

}  // namespace

UdfRead ReadUdf(BlockReader& blocks, const DirectoryLimits& limits, ListingMerge& merge,
                std::vector<std::string>& problems) {
  UdfRead read;
  std::optional<UdfVolume> volume = ReadUdfVolume(blocks, blocks.DataTrackStarts(), problems);
  if (!volume) return read;
  read.found = true;
  read.whole = true;
  read.label = volume->label;
  read.system = RevisionText(volume->revision);
  UdfSpace space(blocks, std::move(*volume));
  const std::size_t problemsBefore = problems.size();
  const std::optional<UdfTableChain> chain = LoadUdfTables(space, problems);
  const std::optional<UdfAddress> root = RootOf(space);
  if (!root) {
    problems.push_back("UDF: the file set descriptor cannot be read");
    read.whole = false;
    return read;
  }
  UdfWalk(space, limits, merge, problems, read).Walk(*root);
  if (chain) ReadOlderTables(space, *chain, limits, merge, problems, read);
  if (space.Spent())
    problems.push_back("UDF: its entries ask for too much reading; the rest is not read");
  read.whole = read.whole && problems.size() == problemsBefore;
  return read;
}

}  // namespace orlenta
