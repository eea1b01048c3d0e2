// SPDX-License-Identifier: GPL-3.0-or-later
#include "udf_image.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <tuple>

namespace orlenta {
namespace {

constexpr uint32_t kBlock = 2048;
constexpr uint16_t kFileEntry = 261;
constexpr uint16_t kExtendedEntry = 266;

struct Address {
  uint16_t ref = 0;
  uint32_t block = 0;
};

uint16_t Get16(const std::vector<uint8_t>& bytes, std::size_t at) {
  return static_cast<uint16_t>(bytes.at(at) | (bytes.at(at + 1) << 8));
}
uint32_t Get32(const std::vector<uint8_t>& bytes, std::size_t at) {
  return Get16(bytes, at) | (uint32_t{Get16(bytes, at + 2)} << 16);
}
void Put16(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
  bytes.at(at) = static_cast<uint8_t>(value);
  bytes.at(at + 1) = static_cast<uint8_t>(value >> 8);
}
void Put32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
  Put16(bytes, at, value & 0xFFFF);
  Put16(bytes, at + 2, value >> 16);
}
void Put64(std::vector<uint8_t>& bytes, std::size_t at, uint64_t value) {
  Put32(bytes, at, static_cast<uint32_t>(value));
  Put32(bytes, at + 4, static_cast<uint32_t>(value >> 32));
}

// The tag's checksum and CRC over the `length` bytes of the descriptor after it.
void SealTag(std::vector<uint8_t>& bytes, std::size_t at, uint16_t id, uint16_t version,
             uint32_t location, std::size_t length) {
  Put16(bytes, at, id);
  Put16(bytes, at + 2, version);
  Put16(bytes, at + 10, static_cast<uint32_t>(length));
  Put32(bytes, at + 12, location);
  uint32_t crc = 0;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= uint32_t{bytes.at(at + 16 + i)} << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1;
  }
  Put16(bytes, at + 8, crc & 0xFFFF);
  uint8_t sum = 0;
  for (std::size_t i = 0; i < 16; ++i) {
    if (i != 4) sum = static_cast<uint8_t>(sum + bytes[at + i]);
  }
  bytes[at + 4] = sum;
}

// `name` (UTF-8) as UDF stores names: 8 bits a character where each fits, else UTF-16.
std::vector<uint8_t> StoredName(const std::string& name) {
  std::vector<uint32_t> codes;
  for (std::size_t i = 0; i < name.size();) {
    const auto lead = static_cast<uint8_t>(name[i]);
    const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) code = (code << 6) | (name[i + k] & 0x3F);
    codes.push_back(code);
    i += 1 + extra;
  }
  const bool narrow = std::all_of(codes.begin(), codes.end(), [](uint32_t c) { return c < 256; });
  std::vector<uint8_t> stored{static_cast<uint8_t>(narrow ? 8 : 16)};
  for (uint32_t code : codes) {
    if (narrow) {
      stored.push_back(static_cast<uint8_t>(code));
      continue;
    }
    std::vector<uint32_t> units{code};
    if (code >= 0x10000) units = {0xD800 + ((code - 0x10000) >> 10), 0xDC00 + (code & 0x3FF)};
    for (uint32_t unit : units) stored.insert(stored.end(), {uint8_t(unit >> 8), uint8_t(unit)});
  }
  return stored;
}

}  // namespace

struct UdfImage::Layout {
  struct Node {
    std::string name;
    bool folder = false;
    bool loop = false;
    std::string data;
    FileOptions options;
    std::vector<std::unique_ptr<Node>> children;
    Address entry;
    bool written = false;  // by an earlier Finish: its entry and data stay where they are
    uint64_t id = 0;       // its unique id, in its entry and its name's identifier
  };

  std::vector<uint8_t> bytes;
  uint16_t version = 2;
  uint32_t partitionStart = 0;
  uint32_t partitionBlocks = 0;
  std::vector<uint32_t> descriptorSectors;  // the logical volume's, in every sequence
  uint16_t physicalRef = 0;
  uint16_t entryRef = 0;
  bool isVirtual = false;
  bool isMetadata = false;
  uint32_t cursor = 0;  // the next free block of the plain partition
  std::vector<uint32_t> vat;
  std::vector<uint8_t> vatHead;  // the table's header (new form) or trailer (old form)
  bool vatNewForm = true;
  uint16_t vatEntryId = kExtendedEntry;
  uint32_t lastVatBlock = 0;  // the entry of the table written last, in the plain partition
  uint32_t metaStart = 0;
  uint32_t mirrorStart = 0;
  uint32_t metaCursor = 0;
  static constexpr uint32_t kMetaBlocks = 64;
  Address root;
  Node top;
  uint64_t uniqueId = 16;
  std::map<std::string, uint32_t> firstDataSector;
  uint16_t packetBlocks = 0;
  std::vector<uint32_t> sparingTables;

  std::vector<uint8_t> Sector(uint32_t sector) const {
    return {bytes.begin() + std::ptrdiff_t{sector} * kBlock,
            bytes.begin() + std::ptrdiff_t{sector + 1} * kBlock};
  }
  void PutSector(uint32_t sector, const std::vector<uint8_t>& block) {
    if (bytes.size() < std::size_t{sector + 1} * kBlock)
      bytes.resize(std::size_t{sector + 1} * kBlock);
    std::copy(block.begin(), block.begin() + kBlock,
              bytes.begin() + std::ptrdiff_t{sector} * kBlock);
  }

  // The sectors holding `address` (two for the metadata partition: its file and its mirror).
  std::vector<uint32_t> SectorsOf(Address address) const {
    if (isVirtual && address.ref == entryRef) return {partitionStart + vat.at(address.block)};
    if (isMetadata && address.ref == entryRef) {
      return {partitionStart + metaStart + address.block,
              partitionStart + mirrorStart + address.block};
    }
    return {partitionStart + address.block};
  }
  void Write(Address address, const std::vector<uint8_t>& block) {
    for (uint32_t sector : SectorsOf(address)) PutSector(sector, block);
  }

  uint32_t AllocatePlain(uint32_t blocks) {
    const uint32_t first = cursor;
    cursor += blocks;
    if (!isVirtual && cursor > partitionBlocks) throw std::runtime_error("partition full");
    if (isVirtual) bytes.resize(std::size_t{partitionStart + cursor} * kBlock);
    return first;
  }
  Address Allocate(uint16_t ref, uint32_t blocks) {
    if (ref != entryRef || ref == physicalRef) return {ref, AllocatePlain(blocks)};
    if (isMetadata) {
      const uint32_t first = metaCursor;
      metaCursor += blocks;
      if (metaCursor > kMetaBlocks) throw std::runtime_error("metadata partition full");
      return {ref, first};
    }
    const uint32_t plain = AllocatePlain(blocks);
    const auto first = static_cast<uint32_t>(vat.size());
    for (uint32_t i = 0; i < blocks; ++i) vat.push_back(plain + i);
    return {ref, first};
  }

  void ReadVolume() {
    const std::vector<uint8_t> anchor = Sector(256);
    version = Get16(anchor, 2);
    for (const std::size_t at : {16u, 24u}) {
      const uint32_t start = Get32(anchor, at + 4);
      for (uint32_t i = 0; i < Get32(anchor, at) / kBlock; ++i) {
        const std::vector<uint8_t> block = Sector(start + i);
        const uint16_t id = Get16(block, 0);
        if (id == 5) partitionStart = Get32(block, 188), partitionBlocks = Get32(block, 192);
        if (id == 6) descriptorSectors.push_back(start + i);
        if (id == 8 || id == 0) break;
      }
    }
    const std::vector<uint8_t> lvd = Sector(descriptorSectors.at(0));
    std::size_t at = 440;
    for (uint16_t i = 0; i < Get32(lvd, 268); ++i) {
      const std::string kind(lvd.begin() + std::ptrdiff_t(at) + 5,
                             lvd.begin() + std::ptrdiff_t(at) + 28);
      if (lvd[at] == 2 && kind.starts_with("*UDF Virtual Partition"))
        isVirtual = true, entryRef = i;
      if (lvd[at] == 2 && kind.starts_with("*UDF Sparable Partition")) {
        packetBlocks = Get16(lvd, at + 40);
        for (int t = 0; t < lvd[at + 42]; ++t) sparingTables.push_back(Get32(lvd, at + 48 + 4 * t));
      }
      at += lvd[at + 1];
    }
    cursor = (partitionBlocks / 2 + 31) / 32 * 32;
    if (isVirtual) ReadVirtualTable();
    const Address fileSet{Get16(lvd, 256), Get32(lvd, 252)};
    const std::vector<uint8_t> fsd = Sector(SectorsOf(fileSet).front());
    root = {Get16(fsd, 408), Get32(fsd, 404)};
  }

  // mkudffs writes the table inside its entry, in the image's last block.
  void ReadVirtualTable() {
    const auto last = static_cast<uint32_t>(bytes.size() / kBlock - 1);
    const std::vector<uint8_t> entry = Sector(last);
    vatEntryId = Get16(entry, 0);
    const std::size_t base = vatEntryId == kExtendedEntry ? 216 : 176;
    const uint32_t length = Get32(entry, base - 4);
    const std::vector<uint8_t> data(
        entry.begin() + std::ptrdiff_t(base + Get32(entry, base - 8)),
        entry.begin() + std::ptrdiff_t(base + Get32(entry, base - 8) + length));
    vatNewForm = entry[27] == 248;
    const std::size_t head = vatNewForm ? Get16(data, 0) : 0;
    const std::size_t end = vatNewForm ? data.size() : data.size() - 36;
    vatHead = vatNewForm ? std::vector<uint8_t>(data.begin(), data.begin() + std::ptrdiff_t(head))
                         : std::vector<uint8_t>(data.begin() + std::ptrdiff_t(end), data.end());
    for (std::size_t at = head; at + 4 <= end; at += 4) vat.push_back(Get32(data, at));
    cursor = last + 1 - partitionStart;
    lastVatBlock = last - partitionStart;
  }

  // A file entry at `at` of `type` whose allocation area holds `area` in `form`.
  void WriteEntry(Address at, uint8_t type, uint64_t size, const std::vector<uint8_t>& area,
                  Form form, bool extended, uint64_t id, uint16_t strategy = 4) {
    std::vector<uint8_t> block(kBlock, 0);
    const std::size_t base = extended ? 216 : 176;
    Put16(block, 20, strategy);
    Put16(block, 24, 1);
    block[27] = type;
    Put16(block, 34, form == Form::kShort ? 0 : form == Form::kLong ? 1 : 3);
    Put32(block, 36, 0xFFFFFFFF);
    Put32(block, 40, 0xFFFFFFFF);
    Put32(block, 44, 0x14A5);
    Put16(block, 48, 1);
    Put64(block, 56, size);
    const std::size_t time = extended ? 92 : 84;
    // 2004-07-14 12:00:00 UTC
    for (const std::size_t stamp : {time - 12, time, time + 12}) {
      Put16(block, stamp, 0x1000);
      Put16(block, stamp + 2, 2004);
      block[stamp + 4] = 7, block[stamp + 5] = 14, block[stamp + 6] = 12;
    }
    if (extended) Put64(block, 64, size);
    Put64(block, extended ? 200 : 160, id);
    Put32(block, base - 4, static_cast<uint32_t>(area.size()));
    if (base + area.size() > kBlock) throw std::runtime_error("entry too large");
    std::copy(area.begin(), area.end(), block.begin() + std::ptrdiff_t(base));
    SealTag(block, 0, extended ? kExtendedEntry : kFileEntry, version, at.block,
            base + area.size() - 16);
    Write(at, block);
  }

  // Writes `data` into new blocks of partition `ref`, in runs of `runBlocks` (0: one run) with
  // a block left free between runs; returns the runs.
  std::vector<std::pair<Address, uint32_t>> WriteData(uint16_t ref, const std::string& data,
                                                      uint32_t runBlocks) {
    std::vector<std::pair<Address, uint32_t>> runs;
    for (std::size_t done = 0; done < data.size();) {
      const std::size_t left = data.size() - done;
      const std::size_t take =
          runBlocks == 0 ? left : std::min<std::size_t>(left, runBlocks * kBlock);
      const auto blocks = static_cast<uint32_t>((take + kBlock - 1) / kBlock);
      const Address first = Allocate(ref, blocks + (runBlocks == 0 ? 0 : 1));
      for (uint32_t i = 0; i < blocks; ++i) {
        std::vector<uint8_t> block(kBlock, 0);
        const std::size_t part = std::min<std::size_t>(kBlock, take - i * kBlock);
        std::memcpy(block.data(), data.data() + done + i * kBlock, part);
        Write({ref, first.block + i}, block);
      }
      runs.push_back({first, static_cast<uint32_t>(take)});
      done += take;
    }
    return runs;
  }

  static std::vector<uint8_t> Descriptors(const std::vector<std::pair<Address, uint32_t>>& runs,
                                          Form form, uint32_t continued = 0) {
    std::vector<uint8_t> area;
    for (const auto& [at, length] : runs) {
      std::vector<uint8_t> ad(form == Form::kShort ? 8 : 16, 0);
      Put32(ad, 0, length | continued);
      Put32(ad, 4, at.block);
      if (form == Form::kLong) Put16(ad, 8, at.ref);
      area.insert(area.end(), ad.begin(), ad.end());
    }
    return area;
  }

  void WriteFile(Node& node, const std::string& path) {
    const FileOptions& o = node.options;
    const uint64_t size = o.listedSize != 0 ? o.listedSize : node.data.size();
    if (o.form == Form::kEmbedded) {
      WriteEntry(node.entry, 5, size, {node.data.begin(), node.data.end()}, o.form, o.extended,
                 node.id);
      return;
    }
    const uint16_t ref = o.form == Form::kShort ? entryRef : physicalRef;
    auto runs = WriteData(ref, node.data, o.runBlocks);
    if (!runs.empty()) firstDataSector[path] = SectorsOf(runs.front().first).front();
    if (o.firstBlock != 0 && !runs.empty()) runs.front().first.block = o.firstBlock;
    std::vector<uint8_t> area = Descriptors(runs, o.form);
    if (o.rewritten) {
      WriteEntry(node.entry, 5, 3, {'o', 'l', 'd'}, Form::kEmbedded, o.extended, node.id, 4096);
      const Address newer = Allocate(entryRef, 1);
      std::vector<uint8_t> indirect(kBlock, 0);
      Put16(indirect, 20, 4096);
      Put32(indirect, 36, kBlock);
      Put32(indirect, 40, newer.block);
      Put16(indirect, 44, newer.ref);
      SealTag(indirect, 0, 259, version, node.entry.block + 1, 52 - 16);
      Write({node.entry.ref, node.entry.block + 1}, indirect);
      WriteEntry(newer, 5, size, area, o.form, o.extended, node.id, 4096);
      return;
    }
    if (o.inAllocationExtent) {
      const Address extent = Allocate(o.form == Form::kShort ? entryRef : physicalRef, 1);
      std::vector<uint8_t> block(kBlock, 0);
      Put32(block, 20, static_cast<uint32_t>(area.size()));
      std::copy(area.begin(), area.end(), block.begin() + 24);
      SealTag(block, 0, 258, version, extent.block, 24 + area.size() - 16);
      Write(extent, block);
      area = Descriptors({{extent, kBlock}}, o.form, 3u << 30);
    }
    WriteEntry(node.entry, 5, size, area, o.form, o.extended, node.id);
  }

  static std::vector<uint8_t> Identifier(uint8_t characteristics, Address icb, uint64_t id,
                                         const std::string& name) {
    const std::vector<uint8_t> stored = name.empty() ? std::vector<uint8_t>{} : StoredName(name);
    std::vector<uint8_t> fid((38 + stored.size() + 3) / 4 * 4, 0);
    Put16(fid, 16, 1);
    fid[18] = characteristics;
    fid[19] = static_cast<uint8_t>(stored.size());
    Put32(fid, 20, kBlock);
    Put32(fid, 24, icb.block);
    Put16(fid, 28, icb.ref);
    Put32(fid, 32, static_cast<uint32_t>(id));
    std::copy(stored.begin(), stored.end(), fid.begin() + 38);
    return fid;
  }

  void WriteFolder(Node& folder, Address parent, const std::string& path) {
    std::vector<std::vector<uint8_t>> fids{Identifier(0x0A, parent, 0, "")};
    for (auto& child : folder.children) {
      const std::string childPath = path.empty() ? child->name : path + "/" + child->name;
      if (child->id == 0) child->id = ++uniqueId;
      uint8_t characteristics = child->folder || child->loop ? 0x02 : 0;
      if (child->options.deleted) characteristics |= 0x04;
      fids.push_back(
          Identifier(characteristics, child->loop ? root : child->entry, child->id, child->name));
      if (child->loop) continue;
      if (child->folder) {
        WriteFolder(*child, folder.entry, childPath);
      } else if (!child->written) {
        WriteFile(*child, childPath);
      }
      child->written = true;
    }
    std::size_t total = 0;
    for (const auto& fid : fids) total += fid.size();
    const auto blocks = static_cast<uint32_t>((total + kBlock - 1) / kBlock);
    const Address first = Allocate(entryRef, blocks);
    std::vector<uint8_t> stream(std::size_t{blocks} * kBlock, 0);
    std::size_t at = 0;
    for (auto& fid : fids) {
      std::copy(fid.begin(), fid.end(), stream.begin() + std::ptrdiff_t(at));
      SealTag(stream, at, 257, version, first.block + static_cast<uint32_t>(at / kBlock),
              fid.size() - 16);
      at += fid.size();
    }
    for (uint32_t i = 0; i < blocks; ++i) {
      Write({entryRef, first.block + i}, {stream.begin() + std::ptrdiff_t{i} * kBlock,
                                          stream.begin() + std::ptrdiff_t{i + 1} * kBlock});
    }
    // A disc written in packets never writes a block twice: the folder's new entry goes to a
    // new block, which its virtual address now names.
    if (isVirtual && folder.entry.ref == entryRef) vat.at(folder.entry.block) = AllocatePlain(1);
    WriteEntry(folder.entry, 4, total,
               Descriptors({{first, static_cast<uint32_t>(total)}}, Form::kShort), Form::kShort,
               version >= 3, ++uniqueId);
  }

  void PlaceEntries(Node& node) {
    for (auto& child : node.children) {
      if (child->loop) continue;
      if (!child->written) child->entry = Allocate(entryRef, child->options.rewritten ? 2 : 1);
      PlaceEntries(*child);
    }
  }

  void WriteVirtualTable() {
    // Each table points back at the one written before it.
    Put32(vatHead, vatNewForm ? 132 : 32, lastVatBlock);
    std::vector<uint8_t> data;
    if (vatNewForm) data = vatHead;
    for (uint32_t entry : vat) {
      data.resize(data.size() + 4);
      Put32(data, data.size() - 4, entry);
    }
    if (!vatNewForm) data.insert(data.end(), vatHead.begin(), vatHead.end());
    const Address at{physicalRef, AllocatePlain(1)};
    WriteEntry(at, vatNewForm ? 248 : 0, data.size(), data, Form::kEmbedded,
               vatEntryId == kExtendedEntry, 0);
    lastVatBlock = at.block;
  }
};

UdfImage::UdfImage(std::vector<uint8_t> image) : layout_(std::make_unique<Layout>()) {
  layout_->bytes = std::move(image);
  layout_->ReadVolume();
  layout_->top.folder = true;
  layout_->top.entry = layout_->root;
}

UdfImage::~UdfImage() = default;

void UdfImage::UseMetadataPartition() {
  Layout& l = *layout_;
  l.metaStart = l.AllocatePlain(Layout::kMetaBlocks);
  l.mirrorStart = l.AllocatePlain(Layout::kMetaBlocks);
  const uint32_t fileEntry = l.AllocatePlain(2);
  std::vector<uint8_t> lvd = l.Sector(l.descriptorSectors.at(0));
  const uint32_t maps = Get32(lvd, 268);
  const uint32_t tableBytes = Get32(lvd, 264);
  l.isMetadata = true;
  l.entryRef = static_cast<uint16_t>(maps);
  // The metadata partition's map, after the plain one.
  std::vector<uint8_t> map(64, 0);
  map[0] = 2, map[1] = 64;
  std::memcpy(map.data() + 5, "*UDF Metadata Partition", 23);
  Put16(map, 28, 0x0250);
  Put16(map, 36, 1);
  Put16(map, 38, Get16(lvd, 440 + 4));
  Put32(map, 40, fileEntry);
  Put32(map, 44, fileEntry + 1);
  Put32(map, 48, 0xFFFFFFFF);
  Put32(map, 52, 32);
  Put16(map, 56, 1);
  std::copy(map.begin(), map.end(), lvd.begin() + 440 + tableBytes);
  Put32(lvd, 264, tableBytes + 64);
  Put32(lvd, 268, maps + 1);
  Put16(lvd, 216 + 24, 0x0250);
  // The file set moves into the metadata partition, at its block 0; the root to block 1.
  const std::vector<uint8_t> oldFsd = l.Sector(l.partitionStart + Get32(lvd, 252));
  Put32(lvd, 252, 0);
  Put16(lvd, 256, l.entryRef);
  for (uint32_t sector : l.descriptorSectors) {
    SealTag(lvd, 0, 6, l.version, sector, 440 + tableBytes + 64 - 16);
    l.PutSector(sector, lvd);
  }
  std::vector<uint8_t> fsd = oldFsd;
  l.root = {l.entryRef, 1};
  Put32(fsd, 404, 1);
  Put16(fsd, 408, l.entryRef);
  SealTag(fsd, 0, 256, l.version, 0, Get16(oldFsd, 10));
  l.Write({l.entryRef, 0}, fsd);
  l.metaCursor = 2;
  l.top.entry = l.root;
  for (const auto& [type, start, at] :
       {std::tuple{250, l.metaStart, fileEntry}, std::tuple{251, l.mirrorStart, fileEntry + 1}}) {
    l.WriteEntry(
        {l.physicalRef, at}, static_cast<uint8_t>(type), Layout::kMetaBlocks * kBlock,
        Layout::Descriptors({{{l.physicalRef, start}, Layout::kMetaBlocks * kBlock}}, Form::kShort),
        Form::kShort, true, 0);
  }
}

void UdfImage::Add(const std::string& path, const std::string& data, FileOptions options) {
  Layout::Node* folder = &layout_->top;
  std::size_t at = 0;
  for (std::size_t slash; (slash = path.find('/', at)) != std::string::npos; at = slash + 1) {
    const std::string name = path.substr(at, slash - at);
    auto found = std::find_if(folder->children.begin(), folder->children.end(),
                              [&](const auto& child) { return child->name == name; });
    if (found == folder->children.end()) {
      folder->children.push_back(std::make_unique<Layout::Node>());
      folder->children.back()->name = name;
      folder->children.back()->folder = true;
      found = folder->children.end() - 1;
    }
    folder = found->get();
  }
  auto node = std::make_unique<Layout::Node>();
  node->name = path.substr(at);
  node->data = data;
  node->options = options;
  folder->children.push_back(std::move(node));
}

void UdfImage::Remove(const std::string& path) {
  Layout& l = *layout_;
  Layout::Node* folder = &l.top;
  std::size_t at = 0;
  for (std::size_t slash; (slash = path.find('/', at)) != std::string::npos; at = slash + 1) {
    for (auto& child : folder->children) {
      if (child->name == path.substr(at, slash - at)) folder = child.get();
    }
  }
  std::erase_if(folder->children, [&](const auto& child) {
    if (child->name != path.substr(at)) return false;
    // Its virtual address names nothing in the next table.
    if (l.isVirtual && child->written && child->entry.ref == l.entryRef)
      l.vat.at(child->entry.block) = 0xFFFFFFFF;
    return true;
  });
}

void UdfImage::Add(const std::string& path, const std::string& data) {
  Add(path, data, FileOptions{});
}

void UdfImage::AddLoop(const std::string& path) {
  Add(path, "");
  Layout::Node* node = &layout_->top;
  for (std::size_t at = 0, slash; node; at = slash + 1) {
    slash = path.find('/', at);
    const std::string name = path.substr(at, slash == std::string::npos ? slash : slash - at);
    for (auto& child : node->children) {
      if (child->name == name) node = child.get();
    }
    if (slash == std::string::npos) break;
  }
  node->loop = true;
}

std::vector<uint8_t> UdfImage::Finish() {
  Layout& l = *layout_;
  l.PlaceEntries(l.top);
  l.WriteFolder(l.top, l.root, "");
  if (l.isVirtual) l.WriteVirtualTable();
  return l.bytes;
}

std::vector<uint8_t> UdfImage::Spare(const std::string& path) {
  Layout& l = *layout_;
  const uint32_t block = l.firstDataSector.at(path) - l.partitionStart;
  const uint32_t packet = block - block % l.packetBlocks;
  uint32_t spare = 0;
  for (const uint32_t table : l.sparingTables) {
    std::vector<uint8_t> sector = l.Sector(table);
    for (std::size_t at = 56; at + 8 <= kBlock; at += 8) {
      if (Get32(sector, at) != 0xFFFFFFFF) continue;
      Put32(sector, at, packet);
      spare = Get32(sector, at + 4);
      break;
    }
    SealTag(sector, 0, 0, Get16(sector, 2), table, Get16(sector, 10));
    l.PutSector(table, sector);
  }
  for (uint32_t i = 0; i < l.packetBlocks; ++i) {
    l.PutSector(spare + i, l.Sector(l.partitionStart + packet + i));
    l.PutSector(l.partitionStart + packet + i, std::vector<uint8_t>(kBlock, 0xE5));
  }
  return l.bytes;
}

}  // namespace orlenta
