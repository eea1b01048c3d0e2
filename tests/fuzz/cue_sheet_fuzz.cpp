// SPDX-License-Identifier: GPL-3.0-or-later
// Any text read as a cue sheet beside a small raw BIN: either a refusal that says why, or a
// layout that never reaches past its data file, keeps each sector's data inside its frame,
// and reads back as exactly those bytes of the file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/cue_sheet.h"
#include "platform/raw_sectors.h"
#include "platform/raw_volume.h"

namespace {

using namespace orlenta;

constexpr int kSectors = 12;

// Twelve raw sectors: Mode 1, then Mode 2 Form 1, then Mode 2 Form 2, each byte after the
// header different, so that a sector read from the wrong place shows.
std::vector<uint8_t> RawBin() {
  std::vector<uint8_t> bin(kSectors * kRawSectorBytes);
  for (std::size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<uint8_t>(i * 7 + i / 251);
  for (int s = 0; s < kSectors; ++s) {
    uint8_t* sector = bin.data() + s * kRawSectorBytes;
    static constexpr std::array<uint8_t, kSyncBytes> kSync = {0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                              0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
    std::memcpy(sector, kSync.data(), kSync.size());
    sector[12] = 0, sector[13] = 2, sector[14] = static_cast<uint8_t>(s);
    sector[15] = s < 4 ? 1 : 2;
    const uint8_t submode = s < 8 ? 0x08 : 0x20;
    for (int copy = 0; copy < 2; ++copy) {
      sector[16 + 4 * copy] = 0, sector[17 + 4 * copy] = 0;
      sector[18 + 4 * copy] = submode, sector[19 + 4 * copy] = 0;
    }
  }
  return bin;
}

// A folder holding the BIN (disc.bin) and a file too short for one sector (short.bin), made
// once per run and removed at its end; the cue sheet is taken to be sheet.cue in it.
class BinFolder {
 public:
  BinFolder() {
    char name[] = "/tmp/orlenta-cue-fuzz-XXXXXX";
    Require(mkdtemp(name) != nullptr, "a folder for the BIN is made");
    path_ = name;
    const std::vector<uint8_t> bin = RawBin();
    std::ofstream(path_ + "/disc.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(bin.data()), static_cast<std::streamsize>(bin.size()));
    std::ofstream(path_ + "/short.bin", std::ios::binary) << "too short";
  }
  ~BinFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  BinFolder(const BinFolder&) = delete;
  BinFolder& operator=(const BinFolder&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

const std::string& Folder() {
  static const BinFolder folder;
  return folder.Path();
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void CheckLayout(const SectorLayout& layout) {
  struct stat info {};
  Require(stat(layout.dataPath.c_str(), &info) == 0 && S_ISREG(info.st_mode),
          "a layout's data file is a file");
  const std::vector<uint8_t> file = FileBytes(layout.dataPath);
  Require(layout.sectorSize == 2048 || layout.sectorSize == 2324,
          "a sector holds what its form allows");
  Require(layout.dataOffset + layout.sectorSize <= layout.stride, "the data lie in the frame");
  Require(layout.firstByte + layout.sectorCount * layout.stride <= file.size(),
          "the layout never reaches past its data file");
  const int fd = open(layout.dataPath.c_str(), O_RDONLY | O_CLOEXEC);
  Require(fd >= 0, "the data file opens");
  const auto volume = MakeRawVolume(fd, layout);
  std::vector<uint8_t> sector(layout.sectorSize);
  for (uint64_t s = 0; s < layout.sectorCount; ++s) {
    Require(volume->ReadAt(s * layout.sectorSize, sector) == layout.sectorSize,
            "every sector can be read");
    Require(std::memcmp(sector.data(), file.data() + layout.ImageOffset(s), sector.size()) == 0,
            "a sector reads as its data bytes in the file");
  }
}

// Data files are looked for beside the sheet only: a sheet naming a path elsewhere could
// reach any file of the machine running the fuzzer. A slash is let through after a digit, as
// in a track's mode ("MODE2/2352"), which names no folder that exists.
bool StaysBesideTheSheet(std::string_view text) {
  for (std::size_t at = text.find('/'); at != std::string_view::npos; at = text.find('/', at + 1)) {
    if (at == 0 || !std::isdigit(static_cast<unsigned char>(text[at - 1]))) return false;
  }
  return true;
}

void ReadTrack(const std::string& text, std::optional<int> track) {
  CueSheetError error;
  const auto layout = CueSheetLayout(Folder() + "/sheet.cue", text, track, error);
  if (layout) {
    CheckLayout(*layout);
  } else {
    Require(!error.reason.empty(), "a refusal says why");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!StaysBesideTheSheet(text)) return 0;
  if (!LooksLikeCueSheet(text)) return 0;
  ReadTrack(text, std::nullopt);
  ReadTrack(text, 2);
  return 0;
}
