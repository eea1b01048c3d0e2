// SPDX-License-Identifier: GPL-3.0-or-later
#include "iso9660_reader.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "iso_record.h"
#include "listing_merge.h"

namespace orlenta {
namespace {

constexpr uint64_t kFirstDescriptor = 16;
constexpr uint64_t kMaxDescriptors = 256;
constexpr uint32_t kMaxPathTableBytes = 8u << 20;
constexpr uint32_t kModeTypeMask = 0170000;
constexpr uint32_t kModeRegular = 0100000;
constexpr uint32_t kModeLink = 0120000;
constexpr uint32_t kModeDirectory = 0040000;

using Path = std::vector<std::string>;

// One copy of the directories: a descriptor's root and path table.
struct Tree {
  uint64_t rootExtent = 0;
  uint32_t rootSize = 0;
  bool joliet = false;
  uint32_t pathTableBlock = 0;
  uint32_t pathTableSize = 0;
};

struct PendingDirectory {
  uint64_t extent = 0;
  uint32_t size = 0;
  Path path;
};

bool IsDescriptor(const BlockReader::Block& block) {
  return std::memcmp(block.data() + 1, "CD001", 5) == 0;
}

bool IsJolietEscape(const BlockReader::Block& block) {
  return block[88] == 0x25 && block[89] == 0x2F &&
         (block[90] == 0x40 || block[90] == 0x43 || block[90] == 0x45);
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

class IsoWalk {
 public:
  IsoWalk(BlockReader& blocks, const DirectoryLimits& limits, FileListing& listing)
      : blocks_(blocks), limits_(limits), listing_(listing), merge_(listing) {
    merge_.SetVolumeBytes(blocks.LogicalBytes());
  }

  void ReadTree(const Tree& tree, int copy) {
    tree_ = &tree;
    copy_ = copy;
    rockRidgeSkip_ = tree.joliet ? std::nullopt : RootRockRidgeSkip(tree);
    visited_.clear();
    Walk({tree.rootExtent, tree.rootSize, {}});
    ReadPathTable(tree);
  }

  void Finish() { merge_.MarkOverlaps(); }

 private:
  std::optional<uint32_t> RootRockRidgeSkip(const Tree& tree) {
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
      if (!visited_.try_emplace(directory.extent, directory.path).second) continue;
      ReadDirectory(directory, pending);
    }
  }

  bool OverEntries() {
    if (entries_ <= limits_.maxEntries) return false;
    if (!toldEntries_)
      listing_.problems.push_back("too many directory entries; the rest is not read");
    toldEntries_ = true;
    return true;
  }

  void ReadDirectory(const PendingDirectory& directory, std::vector<PendingDirectory>& pending) {
    uint64_t blockCount =
        (uint64_t{directory.size} + BlockReader::kBlockBytes - 1) / BlockReader::kBlockBytes;
    if (blockCount > limits_.maxDirectoryBlocks) {
      listing_.problems.push_back(PathText(directory.path) + ": directory too large, cut");
      blockCount = limits_.maxDirectoryBlocks;
    }
    for (uint64_t i = 0; i < blockCount && !OverEntries(); ++i) {
      const BlockReader::Block* read = blocks_.Read(directory.extent + i);
      if (!read) {
        listing_.problems.push_back(PathText(directory.path) +
                                    ": a directory sector cannot be read");
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
      merge_.AddLink({Joined(directory.path, name), rock.linkTarget.value_or("")});
    } else if (type == 0 || type == kModeRegular) {
      TakeFilePart(record, rock, directory, std::move(name), source);
    }
  }

  void TakeDirectory(const IsoRecord& record, const RockRidgeEntry& rock,
                     const PendingDirectory& directory, std::string name,
                     std::vector<PendingDirectory>& pending) {
    Path path = Joined(directory.path, std::move(name));
    if (path.size() > limits_.maxDepth) {
      listing_.problems.push_back(PathText(path) + ": folders nested too deep; not read");
      return;
    }
    if (!rock.childLink) {
      pending.push_back({record.extent, record.size, std::move(path)});
      return;
    }
    if (const auto size = DirectorySizeAt(*rock.childLink)) {
      pending.push_back({*rock.childLink, *size, std::move(path)});
    }
  }

  // A file in several parts lists each in a record of its own, the last without the flag.
  void TakeFilePart(const IsoRecord& record, const RockRidgeEntry& rock,
                    const PendingDirectory& directory, std::string name, NameSource source) {
    if (parts_ && parts_->path.back() != name) FinishParts();
    if (!parts_) {
      parts_ = ListedFile{};
      parts_->path = Joined(directory.path, std::move(name));
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
        listing_.problems.push_back(PathText(file.path) + ": too many parts; cut");
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
  void ReadPathTable(const Tree& tree) {
    const std::vector<uint8_t> table = ReadBytes(tree.pathTableBlock, tree.pathTableSize);
    // Entry 1 is the root; index 0 stands for no entry. A folder whose parent cannot be
    // placed has no path, nor have its own folders.
    std::vector<std::optional<Path>> paths{std::nullopt};
    std::vector<PendingDirectory> unreached;
    for (std::size_t at = 0; at + 8 <= table.size() && !OverEntries();) {
      const uint8_t nameLength = table[at];
      if (nameLength == 0 || at + 8 + nameLength > table.size()) break;
      const uint64_t extent = uint64_t{Le32(table, at + 2)} + table[at + 1];
      const uint16_t parent = Le16(table, at + 6);
      const std::span<const uint8_t> raw(table.data() + at + 8, nameLength);
      at += 8 + nameLength + (nameLength % 2);
      ++entries_;
      std::optional<Path> path;
      if (const auto found = visited_.find(extent); found != visited_.end()) {
        path = found->second;
      } else if (paths.size() == 1) {
        path = Path{};
      } else if (parent >= 1 && parent < paths.size() && paths[parent]) {
        path = Joined(*paths[parent], PathTableName(raw, tree));
        if (path->size() <= limits_.maxDepth) unreached.push_back({extent, 0, *path});
      }
      paths.push_back(std::move(path));
    }
    for (PendingDirectory& directory : unreached) {
      if (visited_.contains(directory.extent)) continue;
      const auto size = DirectorySizeAt(directory.extent);
      if (!size) continue;
      directory.size = *size;
      Walk(std::move(directory));
    }
  }

  std::string PathTableName(std::span<const uint8_t> raw, const Tree& tree) const {
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

  static Path Joined(const Path& path, std::string name) {
    Path joined = path;
    joined.push_back(std::move(name));
    return joined;
  }

  BlockReader& blocks_;
  const DirectoryLimits& limits_;
  FileListing& listing_;
  ListingMerge merge_;
  const Tree* tree_ = nullptr;
  int copy_ = 0;
  std::optional<uint32_t> rockRidgeSkip_;
  std::unordered_map<uint64_t, Path> visited_;
  std::optional<ListedFile> parts_;
  uint64_t entries_ = 0;
  bool toldEntries_ = false;
};

Tree TreeOf(const BlockReader::Block& descriptor, bool joliet) {
  const auto bytes = std::span(descriptor);
  Tree tree;
  tree.joliet = joliet;
  if (const auto root = ParseIsoRecord(bytes.subspan(156, 34))) {
    tree.rootExtent = root->extent;
    tree.rootSize = root->size;
  }
  tree.pathTableSize = Le32(bytes, 132);
  tree.pathTableBlock = Le32(bytes, 140);
  return tree;
}

}  // namespace

bool HasIso9660(BlockReader& blocks) {
  const BlockReader::Block* block = blocks.Read(kFirstDescriptor);
  return block && IsDescriptor(*block);
}

FileListing ReadIso9660(BlockReader& blocks, const DirectoryLimits& limits) {
  FileListing listing;
  listing.system = "ISO 9660";
  std::optional<Tree> primary;
  std::optional<Tree> joliet;
  std::string jolietLabel;
  for (uint64_t i = 0; i < kMaxDescriptors; ++i) {
    const BlockReader::Block* block = blocks.Read(kFirstDescriptor + i);
    if (!block) continue;
    if (!IsDescriptor(*block) || (*block)[0] == 255) break;
    if ((*block)[0] == 1 && !primary) {
      primary = TreeOf(*block, false);
      listing.label = Trimmed(std::string(reinterpret_cast<const char*>(block->data() + 40), 32));
    } else if ((*block)[0] == 2 && !joliet && IsJolietEscape(*block)) {
      joliet = TreeOf(*block, true);
      jolietLabel = Trimmed(Utf16BeToUtf8(std::span(*block).subspan(40, 32)));
    }
  }
  if (listing.label.empty()) listing.label = jolietLabel;
  if (joliet) listing.system += " + Joliet";
  IsoWalk walk(blocks, limits, listing);
  if (primary) walk.ReadTree(*primary, 1);
  if (joliet) walk.ReadTree(*joliet, 2);
  walk.Finish();
  return listing;
}

}  // namespace orlenta
