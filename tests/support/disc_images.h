// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace orlenta {

// Runs `argv` (a program found on PATH and its arguments, never through a shell) with its
// output discarded; returns its exit status, -1 when it could not be started.
int RunTool(const std::vector<std::string>& argv);

// As RunTool, with the program's standard output written to the file `stdoutPath`.
int RunToolInto(const std::vector<std::string>& argv, const std::string& stdoutPath);

// True when `program` is found on PATH.
bool HaveTool(const std::string& program);

// A folder of files to put on a disc: relative path → content. Folders are made as needed.
using DiscTree = std::map<std::string, std::string>;

// Writes `tree` under `folder`, every file with modification time `mtime`.
void WriteTree(const std::string& folder, const DiscTree& tree, int64_t mtime);

// A content of `bytes` bytes that differs at every 4-byte step, seeded by `seed`.
std::string Pattern(std::size_t bytes, uint32_t seed);

// One session written onto a disc: files added or replaced, and paths removed (by xorriso).
struct DiscSession {
  DiscTree files;
  std::vector<std::string> removed;
};

// An image of `sessions`, each with Rock Ridge and Joliet, written one after another by
// `tool`: "xorriso" appends each to the image file as to a rewritable disc; "genisoimage"
// writes each after the last (-C, -M), `gap` blocks after its end, as a CD writer does.
// Empty when a tool failed.
std::vector<uint8_t> MultisessionImage(const std::string& tool,
                                       const std::vector<DiscSession>& sessions, uint32_t gap = 0);

// An ISO 9660 image built by hand, block by block: for the directories no real tool writes
// (loops, extents past the end, hostile names, interleaved and many-part files).
class HandMadeIso {
 public:
  explicit HandMadeIso(uint32_t blocks);

  // A directory record.
  struct Record {
    Record(uint64_t extent, uint32_t size, uint8_t flags, std::string name,
           std::string systemUse = "", uint8_t unitBlocks = 0, uint8_t gapBlocks = 0)
        : extent(extent),
          size(size),
          flags(flags),
          name(std::move(name)),
          systemUse(std::move(systemUse)),
          unitBlocks(unitBlocks),
          gapBlocks(gapBlocks) {}
    uint64_t extent = 0;
    uint32_t size = 0;
    uint8_t flags = 0;  // 0x02 folder, 0x80 continued in the next record
    std::string name;   // raw; "\0" and "\1" for the folder itself and its parent
    std::string systemUse;
    uint8_t unitBlocks = 0;
    uint8_t gapBlocks = 0;
  };

  // Writes the primary volume descriptor (root folder at `rootBlock`, `rootBlocks` long)
  // and the set terminator after it.
  void Describe(uint32_t rootBlock, uint32_t rootBlocks, const std::string& label = "HANDMADE");
  // The same for a session from block `start` on, `spaceBlocks` long (from its start).
  void DescribeSession(uint32_t start, uint32_t spaceBlocks, uint32_t rootBlock,
                       uint32_t rootBlocks, const std::string& label = "HANDMADE");
  // Writes the records of a folder from `block` on, "." and ".." first.
  void Folder(uint32_t block, uint32_t blocks, uint32_t parentBlock,
              const std::vector<Record>& records);
  // Writes `bytes` from block `block` on.
  void Put(uint32_t block, const std::string& bytes);
  // Points the descriptor at a path table at `block` of `entries` (folder block, parent
  // number, name).
  struct PathEntry {
    uint32_t block;
    uint16_t parent;
    std::string name;
  };
  void PathTable(uint32_t block, const std::vector<PathEntry>& entries);

  std::vector<uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// A Rock Ridge NM entry naming a record `name`, and the SP entry the root's "." carries.
std::string RockRidgeName(const std::string& name);
std::string RockRidgeStart();

}  // namespace orlenta
