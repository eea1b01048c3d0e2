// SPDX-License-Identifier: GPL-3.0-or-later
// Ogg: a chain of pages, each "OggS", version 0, flags, positions, its stream's serial
// number, a sequence number, a CRC and a table of segment lengths that gives the page's
// length. Every logical stream begins with a page flagged "beginning of stream" and ends
// with one flagged "end of stream"; the file ends with the page that ends the last of them.
#include <algorithm>
#include <cstring>
#include <vector>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint32_t kPageHeaderBytes = 27;
constexpr uint8_t kBeginsStream = 0x02;
constexpr uint8_t kEndsStream = 0x04;
// More streams in one file than anyone multiplexes: a sign of damage.
constexpr std::size_t kMostStreams = 64;

bool IsPageHeader(const uint8_t* d) {
  return std::memcmp(d, "OggS", 4) == 0 && d[4] == 0 && (d[5] & ~0x07) == 0;
}

class OggEndFinder : public RecordWalk {
 public:
  OggEndFinder() : RecordWalk(ReadAt(0, kPageHeaderBytes)) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const uint8_t* d = w.At(pos);
    if (!IsPageHeader(d)) return Broken();
    const uint32_t tableBytes = d[26];
    if (step.length < kPageHeaderBytes + tableBytes)
      return ReadAt(pos, kPageHeaderBytes + tableBytes);
    uint64_t length = kPageHeaderBytes + tableBytes;
    for (uint32_t i = 0; i < tableBytes; ++i) length += d[kPageHeaderBytes + i];
    const uint32_t serial = Le32(d + 14);
    const bool known = std::find(open_.begin(), open_.end(), serial) != open_.end();
    if ((d[5] & kBeginsStream) != 0) {
      if (known || open_.size() >= kMostStreams) return Broken();
      open_.push_back(serial);
    } else if (!known) {
      return Broken();  // a page of a stream that never began here
    }
    if ((d[5] & kEndsStream) != 0) {
      open_.erase(std::find(open_.begin(), open_.end(), serial));
      if (open_.empty()) return EndAt(pos + length);
    }
    return ReadAt(pos + length, kPageHeaderBytes);
  }

  std::vector<uint32_t> open_;  // serial numbers of the streams begun and not yet ended
};

// The first page of a stream: version 0, only the "beginning of stream" flag, position and
// sequence number zero, and one packet that starts a known codec's header.
FileKind DetectOgg(const uint8_t* d, std::size_t size) {
  if (size < kPageHeaderBytes + 1 || !IsPageHeader(d) || d[5] != kBeginsStream) return kNoHeader;
  if (Le64(d + 6) != 0 || Le32(d + 18) != 0 || d[26] == 0) return kNoHeader;
  const std::size_t packet = kPageHeaderBytes + d[26];
  if (packet + 8 > size) return kNoHeader;
  const uint8_t* p = d + packet;
  const bool known = std::memcmp(p, "\x01vorbis", 7) == 0 || std::memcmp(p, "OpusHead", 8) == 0 ||
                     std::memcmp(p,
                                 "\x7F"
                                 "FLAC",
                                 5) == 0 ||
                     std::memcmp(p, "Speex   ", 8) == 0 || std::memcmp(p, "\x80theora", 7) == 0;
  return known ? kOgg : kNoHeader;
}

std::unique_ptr<EndFinder> MakeOggFinder(FileKind kind) {
  if (kind != kOgg) return nullptr;
  return std::make_unique<OggEndFinder>();
}

}  // namespace

const FormatFamily kOggFamily = {DetectOgg, MakeOggFinder};

}  // namespace orlenta
