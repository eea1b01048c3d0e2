// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orlenta {

// Puts files into an empty UDF file system made by mkudffs (which makes them empty only,
// and which this machine cannot mount): plain, sparable and virtual (VAT) partitions, and a
// metadata partition added by hand to a plain one. Written on its own, from the layout the
// format fixes, so that a reader is judged against a second reading of it, not its own.
class UdfImage {
 public:
  enum class Form { kShort, kLong, kEmbedded };
  struct FileOptions {
    Form form = Form::kShort;
    bool extended = true;             // an extended file entry, else a plain one
    bool deleted = false;             // its name marked deleted in its folder
    uint32_t runBlocks = 0;           // data in runs of this many blocks, apart (0: one run)
    bool inAllocationExtent = false;  // its runs listed in a chained block of their own
    uint64_t listedSize = 0;          // a size other than the data's (0: the data's)
    uint32_t firstBlock = 0;          // a first block other than the data's (0: the data's)
    // Its entry rewritten as a disc written in packets does: the first entry holds an older
    // version, and the block after it points to the entry of this one.
    bool rewritten = false;
  };

  // `image`: mkudffs's output (blocks of 2,048 bytes).
  explicit UdfImage(std::vector<uint8_t> image);
  ~UdfImage();

  // Moves the file set into a metadata partition (with its mirror) on the plain partition.
  // Before any Add.
  void UseMetadataPartition();

  // Adds a file at `path` ('/' between names; folders are made as needed).
  void Add(const std::string& path, const std::string& data, FileOptions options);
  void Add(const std::string& path, const std::string& data);
  // Adds a folder entry at `path` that names the root folder again.
  void AddLoop(const std::string& path);

  // Takes the file at `path` out of its folder.
  void Remove(const std::string& path);

  // Writes every folder and file; the image can be read after this. On a virtual partition
  // it may be called again after more changes, as a disc written in packets is written
  // again: files written before stay where they are, folders are written anew in new blocks,
  // and a new virtual allocation table follows them, pointing back at the one before it,
  // which stays on the disc with everything it names.
  std::vector<uint8_t> Finish();

  // Moves the packet holding the first data block of the file at `path` to a spare packet
  // (noted in every copy of the sparing table) and fills its old place with junk. After
  // Finish, on a sparable partition.
  std::vector<uint8_t> Spare(const std::string& path);

 private:
  struct Layout;
  std::unique_ptr<Layout> layout_;
};

}  // namespace orlenta
