// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orlenta {

// Follows the bits of one FLAC frame after its header: the subframe of every channel
// (constant, verbatim, fixed or LPC prediction with Rice-coded residuals), the zero bits up
// to a byte and the CRC-16. No sample is decoded; only the sizes of the fields are worked
// out, so the walk learns where the frame ends whatever bytes follow it. The bytes may
// come in pieces of any size; memory stays a few words.
class FlacFrameWalk {
 public:
  enum class State : uint8_t { kFollowing, kEnded, kBroken };

  // A new frame of `blockSize` samples, with the channel assignment and sample size codes
  // of its header; `streamBits` is the stream info's bits per sample (used when the frame's
  // code says so).
  void Start(uint32_t blockSize, uint8_t channelCode, uint8_t sampleSizeCode, uint8_t streamBits);

  // Takes the frame's next bytes, straight after those taken before. Returns how many
  // belong to the frame: all of them while it goes on, fewer once it has ended.
  std::size_t Take(const uint8_t* bytes, std::size_t size);

  State Current() const { return state_; }

 private:
  enum class Stage : uint8_t {
    kSubframeHeader,
    kWastedBits,
    kLpcPrecision,
    kResidualHeader,
    kRiceParameter,
    kEscapedBits,
    kRiceQuotient,
    kPadding,
    kCrc,
  };

  // Runs the stages as far as the bits at hand allow; false when more are needed.
  bool Advance();
  bool SubframeHeader();
  bool WastedBits();
  bool LpcPrecision();
  bool ResidualHeader();
  bool RiceParameter();
  bool EscapedBits();
  bool RiceQuotient();
  bool Padding();
  bool Crc();

  // The predictor's warm-up samples, then the residual or the next subframe.
  void SubframeBody();
  void NextPartition();
  void NextSubframe();
  bool Fail();

  uint64_t Read(uint32_t n);  // only after bits_ >= n
  void DrainSkip();

  State state_ = State::kBroken;
  Stage stage_ = Stage::kSubframeHeader;
  uint64_t bitsHeld_ = 0;  // the next bits, in the low `bits_` bits
  uint32_t bits_ = 0;
  uint64_t skip_ = 0;  // bits to pass over before the stage runs

  uint32_t blockSize_ = 0;
  uint8_t channels_ = 0;
  uint8_t channel_ = 0;
  std::array<uint8_t, 8> channelBits_{};
  uint8_t subframeType_ = 0;
  uint32_t wastedBits_ = 0;
  uint32_t sampleBits_ = 0;  // of the current subframe, after its wasted bits
  uint32_t order_ = 0;       // of its predictor
  uint32_t partitions_ = 0;
  uint32_t partitionSamples_ = 0;
  uint32_t partition_ = 0;
  uint32_t parameterBits_ = 0;
  uint32_t riceParameter_ = 0;
  uint32_t samplesLeft_ = 0;  // in the current partition
};

}  // namespace orlenta
