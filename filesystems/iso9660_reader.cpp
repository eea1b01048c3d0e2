// SPDX-License-Identifier: GPL-3.0-or-later
#include "iso9660_reader.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "iso_record.h"
#include "iso_sessions.h"
#include "listing_merge.h"

namespace orlenta {
namespace {

constexpr uint32_t kMaxPathTableBytes = 8u << 20;
constexpr uint32_t kModeTypeMask = 0170000;
constexpr uint32_t kModeRegular = 0100000;
constexpr uint32_t kModeLink = 0120000;
constexpr uint32_t kModeDirectory = 0040000;

struct PendingDirectory {
  uint64_t extent = 0;
  uint32_t size = 0;
  FolderRef folder;
};

class IsoWalk {
 public:
  IsoWalk(BlockReader& blocks, const DirectoryLimits& limits, ListingMerge& merge,
          std::vector<std::string>& problems)
      : blocks_(blocks), limits_(limits), problems_(problems), merge_(merge) {}

  uint64_t Entries() const { return entries_; }

  void ReadTree(const IsoTree& tree, int copy) {
    tree_ = &tree;
    copy_ = copy;
    rockRidgeSkip_ = tree.joliet ? std::nullopt : RootRockRidgeSkip(tree);
    visited_.clear();
    Walk({tree.rootExtent, tree.rootSize, RootFolder()});
    ReadPathTable(tree);
  }

  // What follows is read from the directories of older session number `olderSession`
  // (0: the last session).
  void BeginSession(uint32_t olderSession) {
    merge_.BeginSession(olderSession);
    problemPrefix_ = olderSession == 0 ? "" : "session " + std::to_string(olderSession) + ": ";
  }

 private:
  std::optional<uint32_t> RootRockRidgeSkip(const IsoTree& tree) {
    const BlockReader::Block* block = blocks_.Read(tree.rootExtent);
    if (!block) return std::nullopt;
    const auto self = ParseIsoRecord(*block);
    if (!self) return std::nullopt;
    return RockRidgeSkip(self->systemUse);
  }

  // Reads `start` and every folder below it not read yet in this copy.
  void Walk(PendingDirectory start) {
    std::vector<PendingDirectory> pending{std::move(start)};
    while (!pending.empty() && !OverEntries()) {
      PendingDirectory directory = std::move(pending.back());
      pending.pop_back();
      // A folder met twice (a loop, or two entries naming one folder) is read once.
      if (!visited_.try_emplace(directory.extent, directory.folder).second) continue;
      ReadDirectory(directory, pending);
    }
  }

  bool OverEntries() {
    if (entries_ <= limits_.maxEntries) return false;
    if (!toldEntries_) Problem("too many directory entries; the rest is not read");
    toldEntries_ = true;
    return true;
  }

  void ReadDirectory(const PendingDirectory& directory, std::vector<PendingDirectory>& pending) {
    uint64_t blockCount =
        (uint64_t{directory.size} + BlockReader::kBlockBytes - 1) / BlockReader::kBlockBytes;
    if (blockCount > limits_.maxDirectoryBlocks) {
      Problem(PathText(*directory.folder) + ": directory too large, cut");
      blockCount = limits_.maxDirectoryBlocks;
    }
    for (uint64_t i = 0; i < blockCount && !OverEntries(); ++i) {
      const BlockReader::Block* read = blocks_.Read(directory.extent + i);
      if (!read) {
        Problem(PathText(*directory.folder) + ": a directory sector cannot be read");
        FinishParts();
        continue;
      }
      const BlockReader::Block block = *read;  // Rock Ridge continuations read other blocks
      for (std::size_t at = 0; at < block.size() && block[at] != 0;) {
        const auto record = ParseIsoRecord(std::span(block).subspan(at));
        if (!record) break;
        ++entries_;
        TakeRecord(*record, directory, pending);
        at += block[at];
      }
    }
    FinishParts();
  }

  void TakeRecord(const IsoRecord& record, const PendingDirectory& directory,
                  std::vector<PendingDirectory>& pending) {
    if (record.IsSelf() || record.IsParent() || record.IsAssociated()) return;
    const RockRidgeEntry rock = rockRidgeSkip_
                                    ? ReadRockRidge(record.systemUse, *rockRidgeSkip_, blocks_)
                                    : RockRidgeEntry{};
    if (rock.relocated) return;  // listed where its link stands
    NameSource source = NameSource::kIso9660;
    std::string name;
    if (rock.name) {
      name = *rock.name, source = NameSource::kRockRidge;
    } else if (tree_->joliet) {
      name = WithoutVersion(Utf16BeToUtf8(std::span(
          reinterpret_cast<const uint8_t*>(record.identifier.data()), record.identifier.size()))),
      source = NameSource::kJoliet;
    } else {
      name = WithoutVersion(record.identifier);
    }
    const uint32_t type = rock.mode ? (*rock.mode & kModeTypeMask) : 0;
    if (rock.childLink || record.IsDirectory() || type == kModeDirectory) {
      TakeDirectory(record, rock, directory, std::move(name), pending);
    } else if (rock.linkTarget || type == kModeLink) {
      merge_.AddLink({{directory.folder, std::move(name)}, rock.linkTarget.value_or("")});
    } else if (type == 0 || type == kModeRegular) {
      TakeFilePart(record, rock, directory, std::move(name), source);
    }
  }

  void TakeDirectory(const IsoRecord& record, const RockRidgeEntry& rock,
                     const PendingDirectory& directory, std::string name,
                     std::vector<PendingDirectory>& pending) {
    FolderRef folder = FolderIn(directory.folder, std::move(name));
    if (folder->depth > limits_.maxDepth) {
      Problem(PathText(*folder) + ": folders nested too deep; not read");
      return;
    }
    if (!rock.childLink) {
      pending.push_back({record.extent, record.size, std::move(folder)});
      return;
    }
    if (const auto size = DirectorySizeAt(*rock.childLink)) {
      pending.push_back({*rock.childLink, *size, std::move(folder)});
    }
  }

  // A file in several parts lists each in a record of its own, the last without the flag.
  void TakeFilePart(const IsoRecord& record, const RockRidgeEntry& rock,
                    const PendingDirectory& directory, std::string name, NameSource source) {
    if (parts_ && parts_->path.back() != name) FinishParts();
    if (!parts_) {
      parts_ = ListedFile{};
      parts_->path = ListedPath(directory.folder, std::move(name));
      parts_->nameSource = source;
    }
    parts_->mtime = rock.modified ? rock.modified : record.time;
    parts_->size += record.size;
    AddExtents(record, *parts_);
    if (!record.ContinuesInNext()) FinishParts();
  }

  void AddExtents(const IsoRecord& record, ListedFile& file) {
    const uint64_t start = record.extent * BlockReader::kBlockBytes;
    if (record.unitBlocks == 0) {
      if (record.size != 0) file.extents.push_back({start, record.size});
      return;
    }
    // Interleaved: units of data with gaps between them.
    const uint64_t unit = uint64_t{record.unitBlocks} * BlockReader::kBlockBytes;
    const uint64_t step = unit + uint64_t{record.gapBlocks} * BlockReader::kBlockBytes;
    for (uint64_t done = 0, at = start; done < record.size; done += unit, at += step) {
      if (file.extents.size() >= limits_.maxExtentsPerFile) {
        Problem(PathText(file.path) + ": too many parts; cut");
        file.suspect = true;
        return;
      }
      file.extents.push_back({at, std::min<uint64_t>(unit, record.size - done)});
    }
  }

  void FinishParts() {
    if (!parts_) return;
    merge_.Add(std::move(*parts_), copy_);
    parts_.reset();
  }

  std::optional<uint32_t> DirectorySizeAt(uint64_t extent) {
    const BlockReader::Block* block = blocks_.Read(extent);
    if (!block) return std::nullopt;
    const auto self = ParseIsoRecord(*block);
    if (!self || !self->IsSelf()) return std::nullopt;
    return self->size;
  }

  // Folders the tree did not reach (their parent's directory could not be read) are read
  // from the path table, which names every folder with its parent.
  void ReadPathTable(const IsoTree& tree) {
    const std::vector<uint8_t> table = ReadBytes(tree.pathTableBlock, tree.pathTableSize);
    // Entry 1 is the root; index 0 stands for no entry. A folder whose parent cannot be
    // placed has no path, nor have its own folders.
    std::vector<FolderRef> folders{nullptr};
    std::vector<PendingDirectory> unreached;
    for (std::size_t at = 0; at + 8 <= table.size() && !OverEntries();) {
      const uint8_t nameLength = table[at];
      if (nameLength == 0 || at + 8 + nameLength > table.size()) break;
      const uint64_t extent = uint64_t{Le32(table, at + 2)} + table[at + 1];
      const uint16_t parent = Le16(table, at + 6);
      const std::span<const uint8_t> raw(table.data() + at + 8, nameLength);
      at += 8 + nameLength + (nameLength % 2);
      ++entries_;
      FolderRef folder;
      if (const auto found = visited_.find(extent); found != visited_.end()) {
        folder = found->second;
      } else if (folders.size() == 1) {
        folder = RootFolder();
      } else if (parent >= 1 && parent < folders.size() && folders[parent]) {
        folder = FolderIn(folders[parent], PathTableName(raw, tree));
        if (folder->depth <= limits_.maxDepth) unreached.push_back({extent, 0, folder});
      }
      folders.push_back(std::move(folder));
    }
    for (PendingDirectory& directory : unreached) {
      if (visited_.contains(directory.extent)) continue;
      const auto size = DirectorySizeAt(directory.extent);
      if (!size) continue;
      directory.size = *size;
      Walk(std::move(directory));
    }
  }

  std::string PathTableName(std::span<const uint8_t> raw, const IsoTree& tree) const {
    if (tree.joliet) return Utf16BeToUtf8(raw);
    return std::string(reinterpret_cast<const char*>(raw.data()), raw.size());
  }

  std::vector<uint8_t> ReadBytes(uint64_t firstBlock, uint32_t size) {
    std::vector<uint8_t> bytes;
    if (size == 0 || size > kMaxPathTableBytes || firstBlock == 0) return bytes;
    for (uint64_t done = 0; done < size; done += BlockReader::kBlockBytes) {
      const BlockReader::Block* block = blocks_.Read(firstBlock + done / BlockReader::kBlockBytes);
      // A table cut by a bad sector still names the folders before it.
      if (!block) break;
      const std::size_t take = std::min<uint64_t>(BlockReader::kBlockBytes, size - done);
      bytes.insert(bytes.end(), block->begin(), block->begin() + take);
    }
    return bytes;
  }

  void Problem(const std::string& text) { problems_.push_back(problemPrefix_ + text); }

  BlockReader& blocks_;
  const DirectoryLimits& limits_;
  std::vector<std::string>& problems_;
  ListingMerge& merge_;
  const IsoTree* tree_ = nullptr;
  int copy_ = 0;
  std::optional<uint32_t> rockRidgeSkip_;
  std::unordered_map<uint64_t, FolderRef> visited_;
  std::optional<ListedFile> parts_;
  uint64_t entries_ = 0;
  bool toldEntries_ = false;
  std::string problemPrefix_;
};

}  // namespace

bool HasIso9660(BlockReader& blocks) {
  const BlockReader::Block* block = blocks.Read(16);
  return block && std::memcmp(block->data() + 1, "CD001", 5) == 0;
}

IsoRead ReadIso9660Into(BlockReader& blocks, const DirectoryLimits& limits, ListingMerge& merge,
                        std::vector<std::string>& problems) {
  IsoRead read;
  const std::vector<IsoSession> sessions = FindIsoSessions(blocks, blocks.DataTrackStarts());
  if (sessions.empty()) return read;
  const IsoSession& last = sessions.back();
  read.found = true;
  read.label = last.label;
  read.system = last.joliet ? "ISO 9660 + Joliet" : "ISO 9660";
  if (sessions.size() > 1) read.system += ", " + std::to_string(sessions.size()) + " sessions";
  IsoWalk walk(blocks, limits, merge, problems);
  // The last session first: it names every file the disc still holds. Older sessions add
  // only what was removed or replaced after them, newest first.
  for (auto session = sessions.rbegin(); session != sessions.rend(); ++session) {
    walk.BeginSession(session == sessions.rbegin() ? 0 : session->number);
    if (session->primary) walk.ReadTree(*session->primary, 2 * session->number);
    if (session->joliet) walk.ReadTree(*session->joliet, 2 * session->number + 1);
  }
  merge.BeginSession(0);
  read.entries = walk.Entries();
  return read;
}

FileListing ReadIso9660(BlockReader& blocks, const DirectoryLimits& limits) {
  FileListing listing;
  ListingMerge merge(listing);
  merge.SetVolumeBytes(blocks.LogicalBytes());
  const IsoRead read = ReadIso9660Into(blocks, limits, merge, listing.problems);
  merge.MarkOverlaps();
  listing.label = read.label;
  listing.system = read.system;
  return listing;
}

}  // namespace orlenta
