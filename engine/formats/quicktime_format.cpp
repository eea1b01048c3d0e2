// SPDX-License-Identifier: GPL-3.0-or-later
// QuickTime and the MP4 family: a sequence of top-level atoms, each led by its size (32
// bits, or 64 bits after a size of 1) and a four-letter type. The file ends where the next
// bytes are no top-level atom of a file that already has its movie and media atoms. A size of 0
// means "up to the end of the file", which no structure can tell: such a file is not followed.
// HEIF pictures (HEIC, AVIF) and Canon's CR3 are built the same way; a picture has its
// item list ("meta") where a movie has its movie atom.
#include <cstring>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

bool IsType(const uint8_t* type, const char* name) {
  return std::memcmp(type, name, 4) == 0;
}

bool IsTopLevelType(const uint8_t* type) {
  static constexpr const char* kTypes[] = {
      "ftyp", "moov", "mdat", "free", "skip", "wide", "uuid", "pnot", "PICT", "pict", "meta",
      "mfra", "moof", "sidx", "ssix", "styp", "emsg", "prft", "junk", "pdin", "udta", "beam"};
  for (const char* name : kTypes) {
    if (IsType(type, name)) return true;
  }
  return false;
}

class QuickTimeEndFinder : public RecordWalk {
 public:
  // `still`: a HEIF picture, whose "meta" stands for the movie.
  explicit QuickTimeEndFinder(bool still) : RecordWalk(ReadAt(0, 8)), still_(still) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const uint8_t* d = w.At(pos);
    const uint8_t* type = d + 4;
    if (!IsTopLevelType(type) || !BelongsHere(pos, type)) return NoMoreAtoms(pos);
    uint64_t size = Be32(d);
    if (size == 1) {
      if (step.length < 16) return ReadAt(pos, 16);
      size = Be64(d + 8);
      if (size < 16) return Broken();
    } else if (size == 0) {
      return Broken();  // runs to the end of the file: the end is unknown
    } else if (size < 8) {
      return NoMoreAtoms(pos);
    }
    if (size > kLargestFile) return Broken();
    Note(type);
    return ReadAt(pos + size, 8);
  }

  // A second movie or file-type atom, or a media atom once the movie is complete, is the
  // start of the next file (fragmented movies put a media atom after each fragment).
  bool BelongsHere(uint64_t pos, const uint8_t* type) const {
    if (IsType(type, "ftyp")) return pos == 0;
    if (IsType(type, "moov")) return !sawMovie_ || still_;
    if (still_ && IsType(type, "meta")) return !sawMovie_;
    if (IsType(type, "mdat")) return !(sawMovie_ && sawMedia_) || lastWasFragment_;
    return true;
  }

  void Note(const uint8_t* type) {
    sawMovie_ = sawMovie_ || IsType(type, still_ ? "meta" : "moov");
    sawMedia_ = sawMedia_ || IsType(type, "mdat");
    lastWasFragment_ = IsType(type, "moof");
  }

  // A file needs its movie and its media before it can end: zeros where the media atom
  // should begin are an unreadable sector, not the end.
  Step NoMoreAtoms(uint64_t pos) const { return sawMovie_ && sawMedia_ ? EndAt(pos) : Broken(); }

  Step DataEnded(const Step& step) override { return NoMoreAtoms(step.offset); }

  bool sawMovie_ = false;
  bool sawMedia_ = false;
  bool lastWasFragment_ = false;
  bool still_;
};

struct Brand {
  const char* name;
  FileKind kind;
};

// Major brands and the kind of file they make. Unknown brands (pictures, other families)
// are not taken.
constexpr Brand kBrands[] = {
    {"qt  ", kQuickTimeFtyp}, {"isom", kMp4},  {"iso2", kMp4},  {"iso3", kMp4},  {"iso4", kMp4},
    {"iso5", kMp4},           {"iso6", kMp4},  {"mp41", kMp4},  {"mp42", kMp4},  {"avc1", kMp4},
    {"M4V ", kMp4},           {"M4VH", kMp4},  {"M4VP", kMp4},  {"MSNV", kMp4},  {"dash", kMp4},
    {"mmp4", kMp4},           {"f4v ", kMp4},  {"M4A ", kM4a},  {"M4B ", kM4a},  {"M4P ", kM4a},
    {"3gp4", k3gp},           {"3gp5", k3gp},  {"3gp6", k3gp},  {"3gp7", k3gp},  {"3gs7", k3gp},
    {"3ge6", k3gp},           {"3ge7", k3gp},  {"3gg6", k3gp},  {"3g2a", k3gp},  {"3g2b", k3gp},
    {"3g2c", k3gp},           {"heic", kHeic}, {"heix", kHeic}, {"heim", kHeic}, {"heis", kHeic},
    {"hevc", kHeic},          {"hevx", kHeic}, {"mif1", kHeic}, {"msf1", kHeic}, {"avif", kAvif},
    {"avis", kAvif},          {"crx ", kCr3},
};

// A file-type atom first: a small size that is a whole number of brands, and a known
// major brand.
FileKind DetectFtyp(const uint8_t* d, std::size_t size) {
  if (size < 16 || !IsType(d + 4, "ftyp")) return kNoHeader;
  const uint32_t atomSize = Be32(d);
  if (atomSize < 16 || atomSize > 1024 || atomSize % 4 != 0) return kNoHeader;
  for (const Brand& brand : kBrands) {
    if (IsType(d + 8, brand.name)) return brand.kind;
  }
  return kNoHeader;
}

std::unique_ptr<EndFinder> MakeQuickTimeFinder(FileKind kind) {
  const bool ours = kind == kQuickTimeMovieAtom || kind == kQuickTimeMediaAtom || kind == kMp4 ||
                    kind == kM4a || kind == k3gp || kind == kQuickTimeFtyp || kind == kCr3;
  const bool still = kind == kHeic || kind == kAvif;
  if (!ours && !still) return nullptr;
  return std::make_unique<QuickTimeEndFinder>(still);
}

}  // namespace

const FormatFamily kQuickTimeFamily = {DetectFtyp, MakeQuickTimeFinder};

}  // namespace orlenta
