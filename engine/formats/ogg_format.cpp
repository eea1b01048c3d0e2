// SPDX-License-Identifier: GPL-3.0-or-later
// Ogg: a chain of pages, each "OggS", version 0, flags, positions, its stream's serial
// number, a sequence number, a CRC and a table of segment lengths that gives the page's
// length. Every logical stream begins with a page flagged "beginning of stream" and ends
// with one flagged "end of stream"; the file ends after the last page of the last of them.
// Some muxers flag each of a stream's last pages: a page that carries on an ended stream's
// numbering still belongs to the file. Every page's CRC is checked.
#include <algorithm>
#include <cstring>
#include <vector>

#include "checksums.h"
#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint32_t kPageHeaderBytes = 27;
constexpr uint32_t kCrcAt = 22;
constexpr uint8_t kBeginsStream = 0x02;
constexpr uint8_t kEndsStream = 0x04;
// More streams in one file than anyone multiplexes: a sign of damage.
constexpr std::size_t kMostStreams = 64;

bool IsPageHeader(const uint8_t* d) {
  return std::memcmp(d, "OggS", 4) == 0 && d[4] == 0 && (d[5] & ~0x07) == 0;
}

// The CRC of a page header and segment table (`size` bytes), its own CRC field taken as
// zeros.
uint32_t HeaderCrc(const uint8_t* d, uint32_t size) {
  constexpr uint8_t kZeros[4] = {};
  uint32_t crc = OggCrc(0, d, kCrcAt);
  crc = OggCrc(crc, kZeros, 4);
  return OggCrc(crc, d + kCrcAt + 4, size - kCrcAt - 4);
}

class OggEndFinder : public RecordWalk {
 public:
  OggEndFinder() : RecordWalk(ReadAt(0, kPageHeaderBytes)) {}

 private:
  struct Stream {
    uint32_t serial;
    uint32_t nextSequence;
    bool ended;
  };

  Step Examine(const ByteWindow& w, const Step& step) override {
    return inBody_ ? Body(w, step.offset) : Header(w, step);
  }

  Step Header(const ByteWindow& w, const Step& step) {
    const uint64_t pos = step.offset;
    const uint8_t* d = w.At(pos);
    if (!IsPageHeader(d)) return AllEnded() ? EndAt(pos) : Broken();
    const uint32_t headerBytes = kPageHeaderBytes + d[26];
    if (step.length < headerBytes) return ReadAt(pos, headerBytes);
    uint64_t bodyBytes = 0;
    for (uint32_t i = kPageHeaderBytes; i < headerBytes; ++i) bodyBytes += d[i];
    const uint32_t serial = Le32(d + 14);
    const uint32_t sequence = Le32(d + 18);
    auto stream = std::find_if(streams_.begin(), streams_.end(),
                               [serial](const Stream& s) { return s.serial == serial; });
    const bool known = stream != streams_.end();
    if (AllEnded() && (!known || (d[5] & kBeginsStream) != 0 || sequence != stream->nextSequence)) {
      return EndAt(pos);  // what follows is not this file's
    }
    if ((d[5] & kBeginsStream) != 0) {
      if (known || streams_.size() >= kMostStreams || sequence != 0) return Broken();
      streams_.push_back({serial, 0, false});
      stream = streams_.end() - 1;
    } else if (!known || sequence != stream->nextSequence) {
      return Broken();  // a page of a stream that never began here, or one lost
    }
    stream->nextSequence = sequence + 1;
    stream->ended = stream->ended || (d[5] & kEndsStream) != 0;
    expectedCrc_ = Le32(d + kCrcAt);
    crc_ = HeaderCrc(d, headerBytes);
    pageEnd_ = pos + headerBytes + bodyBytes;
    inBody_ = true;
    return bodyBytes == 0 ? PageRead() : ScanFrom(pos + headerBytes);
  }

  // The page's packets: only their CRC matters.
  Step Body(const ByteWindow& w, uint64_t pos) {
    const uint64_t upTo = std::min(pageEnd_, w.End());
    crc_ = OggCrc(crc_, w.At(pos), static_cast<std::size_t>(upTo - pos));
    return upTo < pageEnd_ ? ScanFrom(upTo) : PageRead();
  }

  Step PageRead() {
    if (crc_ != expectedCrc_) return Broken();
    inBody_ = false;
    return ReadAt(pageEnd_, kPageHeaderBytes);
  }

  bool AllEnded() const {
    return !streams_.empty() &&
           std::all_of(streams_.begin(), streams_.end(), [](const Stream& s) { return s.ended; });
  }

  Step DataEnded(const Step& step) override {
    return !inBody_ && AllEnded() && step.offset == pageEnd_ ? EndAt(pageEnd_) : Broken();
  }

  std::vector<Stream> streams_;
  bool inBody_ = false;
  uint64_t pageEnd_ = 0;
  uint32_t crc_ = 0;
  uint32_t expectedCrc_ = 0;
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
