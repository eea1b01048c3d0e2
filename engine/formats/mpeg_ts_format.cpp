// SPDX-License-Identifier: GPL-3.0-or-later
// MPEG transport streams: packets of 188 bytes, each starting with the sync byte 0x47; the
// camcorders' M2TS puts a 4-byte time stamp before each, 192 bytes in all. Nothing in a
// stream tells where it ends: it ends where the packets stop, or before a packet on a
// sector's start that begins another stream (its first table, counted from zero, where the
// stream's own last copy of that table did not count up to it). Such an end is never more
// than likely.
#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint8_t kSync = 0x47;
constexpr uint32_t kPacketBytes = 188;
constexpr uint32_t kStampBytes = 4;
constexpr uint64_t kSectorBytes = 2048;

// The program association table, and the service description table that some muxers
// write before it.
constexpr uint16_t kPatPid = 0x0000;
constexpr uint16_t kSdtPid = 0x0011;

uint16_t Pid(const uint8_t* packet) {
  return static_cast<uint16_t>((packet[1] & 0x1F) << 8 | packet[2]);
}

// A packet that starts a stream: a table's first packet, no error, counter at zero.
bool StartsStream(const uint8_t* packet) {
  const uint16_t pid = Pid(packet);
  const bool unitStart = (packet[1] & 0x40) != 0;
  const bool noError = (packet[1] & 0x80) == 0;
  const bool payload = (packet[3] & 0x10) != 0;
  return packet[0] == kSync && unitStart && noError && payload && (packet[3] & 0x0F) == 0 &&
         (pid == kPatPid || pid == kSdtPid);
}

class TransportStreamEndFinder : public RecordWalk {
 public:
  explicit TransportStreamEndFinder(uint32_t stamp)
      : RecordWalk(ReadAt(0, stamp + kPacketBytes)), stamp_(stamp) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const uint8_t* packet = w.At(pos) + stamp_;
    if (packet[0] != kSync) return pos == 0 ? Broken() : LikelyEndAt(pos);
    if (pos != 0 && pos % kSectorBytes == 0 && StartsStream(packet) && !CountsOn(packet)) {
      return LikelyEndAt(pos);
    }
    NoteCounter(packet);
    return ReadAt(pos + stamp_ + kPacketBytes, stamp_ + 4);
  }

  Step DataEnded(const Step& step) override { return LikelyEndAt(step.offset); }

  // Muxers repeat their tables all through a stream, the counter going round from 15 to 0:
  // a table at 0 straight after its copy at 15 is the same stream going on.
  static constexpr int kNotSeen = -1;
  int& LastCounter(const uint8_t* packet) { return lastCounter_[Pid(packet) == kPatPid ? 0 : 1]; }
  bool CountsOn(const uint8_t* packet) { return LastCounter(packet) == 15; }
  void NoteCounter(const uint8_t* packet) {
    const uint16_t pid = Pid(packet);
    if (pid == kPatPid || pid == kSdtPid) LastCounter(packet) = packet[3] & 0x0F;
  }

  uint32_t stamp_;
  int lastCounter_[2] = {kNotSeen, kNotSeen};  // the association and description tables
};

// Every packet the sector holds in step, the first one starting a stream.
FileKind DetectTransportStream(const uint8_t* d, std::size_t size) {
  for (const uint32_t stamp : {0u, kStampBytes}) {
    const uint32_t stride = stamp + kPacketBytes;
    if (size < 4 * stride || !StartsStream(d + stamp)) continue;
    bool inStep = true;
    for (std::size_t at = stamp; at + stride <= size && inStep; at += stride) {
      inStep = d[at] == kSync;
    }
    if (inStep) return stamp == 0 ? kMpegTs : kM2ts;
  }
  return kNoHeader;
}

std::unique_ptr<EndFinder> MakeTransportStreamFinder(FileKind kind) {
  if (kind == kMpegTs) return std::make_unique<TransportStreamEndFinder>(0);
  if (kind == kM2ts) return std::make_unique<TransportStreamEndFinder>(kStampBytes);
  return nullptr;
}

}  // namespace

const FormatFamily kMpegTsFamily = {DetectTransportStream, MakeTransportStreamFinder};

}  // namespace orlenta
