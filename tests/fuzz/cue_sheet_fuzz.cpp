// SPDX-License-Identifier: GPL-3.0-or-later
// Any text read as a cue sheet beside a small raw BIN: either a refusal that says why, or a
// layout over a regular file that never reaches past it, and whose every sector reads as
// data bytes of its own frame, never longer than its form allows, however the reads cut it.
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
#include "layout_check.h"
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

// The BIN's sectors without sync and header, as a MODE2/2336 track keeps them.
std::vector<uint8_t> BareBin(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> bare;
  for (std::size_t at = 0; at < raw.size(); at += kRawSectorBytes) {
    bare.insert(bare.end(), raw.begin() + static_cast<std::ptrdiff_t>(at + kHeaderBytes),
                raw.begin() + static_cast<std::ptrdiff_t>(at + kRawSectorBytes));
  }
  return bare;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// A folder holding the BIN (disc.bin), its sectors without sync and header (bare.bin), a file
// too short for one sector (short.bin), and what a data file must not be: a folder
// (folder.bin) and a FIFO nothing writes into (pipe.bin). Made once per run and removed at
// its end; the cue sheet is taken to be sheet.cue in it.
class BinFolder {
 public:
  BinFolder() {
    char name[] = "/tmp/orlenta-cue-fuzz-XXXXXX";
    Require(mkdtemp(name) != nullptr, "a folder for the BIN is made");
    path_ = name;
    const std::vector<uint8_t> bin = RawBin();
    WriteFile(path_ + "/disc.bin", bin);
    WriteFile(path_ + "/bare.bin", BareBin(bin));
    std::ofstream(path_ + "/short.bin", std::ios::binary) << "too short";
    Require(mkdir((path_ + "/folder.bin").c_str(), 0700) == 0, "a folder is made");
    Require(mkfifo((path_ + "/pipe.bin").c_str(), 0600) == 0, "a FIFO is made");
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
  const int fd = open(layout.dataPath.c_str(), O_RDONLY | O_CLOEXEC);
  const int again = open(layout.dataPath.c_str(), O_RDONLY | O_CLOEXEC);
  Require(fd >= 0 && again >= 0, "the data file opens");
  const auto fresh = MakeRawVolume(fd, layout);
  const auto reread = MakeRawVolume(again, layout);
  CheckLayoutReads(*fresh, *reread, layout, file, 3000);
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
