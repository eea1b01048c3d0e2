// SPDX-License-Identifier: GPL-3.0-or-later
#include "flac_frame_walk.h"

#include <algorithm>
#include <bit>

namespace orlenta {
namespace {

// Bits per sample by the frame header's sample size code; 0 for the reserved code, and
// for code 0, which defers to the stream info.
constexpr std::array<uint8_t, 8> kSampleBits = {0, 8, 12, 0, 16, 20, 24, 32};

// Subframe types: constant, verbatim, fixed prediction of order 0 to 4, LPC of order 1 to 32.
constexpr uint8_t kConstant = 0;
constexpr uint8_t kVerbatim = 1;
constexpr uint8_t kFixedFirst = 8;
constexpr uint8_t kFixedLast = 12;
constexpr uint8_t kLpcFirst = 32;

}  // namespace

void FlacFrameWalk::Start(uint32_t blockSize, uint8_t channelCode, uint8_t sampleSizeCode,
                          uint8_t streamBits) {
  *this = FlacFrameWalk();
  const uint8_t bits = sampleSizeCode == 0 ? streamBits : kSampleBits[sampleSizeCode & 7];
  if (blockSize == 0 || bits == 0 || channelCode > 10) return;  // broken
  state_ = State::kFollowing;
  blockSize_ = blockSize;
  channels_ = channelCode <= 7 ? channelCode + 1 : 2;
  channelBits_.fill(bits);
  // Stereo decorrelation: the side channel (left minus right) takes one bit more.
  if (channelCode == 8 || channelCode == 10) channelBits_[1] = bits + 1;
  if (channelCode == 9) channelBits_[0] = bits + 1;
}

std::size_t FlacFrameWalk::Take(const uint8_t* bytes, std::size_t size) {
  std::size_t used = 0;
  while (Advance()) {
    if (used == size) return size;
    if (bits_ == 0 && skip_ >= 8) {
      // Whole bytes passed over unread: verbatim samples, residuals of a known size.
      const std::size_t whole = std::min<uint64_t>(skip_ / 8, size - used);
      used += whole;
      skip_ -= uint64_t{whole} * 8;
      continue;
    }
    while (bits_ <= 56 && used < size) {
      bitsHeld_ = bitsHeld_ << 8 | bytes[used++];
      bits_ += 8;
    }
  }
  // Bytes taken into the bits at hand after the frame's last byte are not the frame's.
  return state_ == State::kEnded ? used - bits_ / 8 : used;
}

bool FlacFrameWalk::Advance() {
  while (state_ == State::kFollowing) {
    DrainSkip();
    if (skip_ > 0) return true;
    bool movedOn = false;
    switch (stage_) {
      case Stage::kSubframeHeader:
        movedOn = SubframeHeader();
        break;
      case Stage::kWastedBits:
        movedOn = WastedBits();
        break;
      case Stage::kLpcPrecision:
        movedOn = LpcPrecision();
        break;
      case Stage::kResidualHeader:
        movedOn = ResidualHeader();
        break;
      case Stage::kRiceParameter:
        movedOn = RiceParameter();
        break;
      case Stage::kEscapedBits:
        movedOn = EscapedBits();
        break;
      case Stage::kRiceQuotient:
        movedOn = RiceQuotient();
        break;
      case Stage::kPadding:
        movedOn = Padding();
        break;
      case Stage::kCrc:
        movedOn = Crc();
        break;
    }
    if (!movedOn) return true;
  }
  return false;
}

bool FlacFrameWalk::SubframeHeader() {
  if (bits_ < 8) return false;
  const auto header = static_cast<uint8_t>(Read(8));
  subframeType_ = header >> 1 & 0x3F;
  const bool known = subframeType_ <= kVerbatim ||
                     (subframeType_ >= kFixedFirst && subframeType_ <= kFixedLast) ||
                     subframeType_ >= kLpcFirst;
  if ((header & 0x80) != 0 || !known) return Fail();
  wastedBits_ = 0;
  if ((header & 1) != 0) {
    stage_ = Stage::kWastedBits;
    return true;
  }
  sampleBits_ = channelBits_[channel_];
  SubframeBody();
  return true;
}

// The count of low bits every sample of the subframe lacks, in unary: k - 1 zeros, a one.
bool FlacFrameWalk::WastedBits() {
  if (bits_ == 0) return false;
  const int zeros = std::countl_zero(bitsHeld_ << (64 - bits_));
  const uint32_t seen = std::min<uint32_t>(static_cast<uint32_t>(zeros), bits_);
  wastedBits_ += seen;
  bits_ -= seen;
  if (wastedBits_ + 1 >= channelBits_[channel_]) return Fail();
  if (bits_ == 0) return false;
  --bits_;  // the one
  sampleBits_ = channelBits_[channel_] - (wastedBits_ + 1);
  SubframeBody();
  return true;
}

void FlacFrameWalk::SubframeBody() {
  if (subframeType_ == kConstant) {
    skip_ = sampleBits_;
    NextSubframe();
    return;
  }
  if (subframeType_ == kVerbatim) {
    skip_ = uint64_t{sampleBits_} * blockSize_;
    NextSubframe();
    return;
  }
  const bool fixed = subframeType_ <= kFixedLast;
  order_ = fixed ? subframeType_ - kFixedFirst : subframeType_ - kLpcFirst + 1u;
  if (order_ > blockSize_) {
    Fail();
    return;
  }
  skip_ = uint64_t{order_} * sampleBits_;  // the warm-up samples
  stage_ = fixed ? Stage::kResidualHeader : Stage::kLpcPrecision;
}

// The precision of the LPC coefficients (4 bits, all ones reserved) and the shift (5 bits).
bool FlacFrameWalk::LpcPrecision() {
  if (bits_ < 9) return false;
  const auto precision = static_cast<uint32_t>(Read(4)) + 1;
  Read(5);
  if (precision == 16) return Fail();
  skip_ = uint64_t{order_} * precision;  // the coefficients
  stage_ = Stage::kResidualHeader;
  return true;
}

// The coding method (4- or 5-bit Rice parameters) and the partition order.
bool FlacFrameWalk::ResidualHeader() {
  if (bits_ < 6) return false;
  const auto method = static_cast<uint32_t>(Read(2));
  const auto partitionOrder = static_cast<uint32_t>(Read(4));
  partitionSamples_ = blockSize_ >> partitionOrder;
  if (method > 1 || partitionSamples_ < order_ || partitionSamples_ == 0) return Fail();
  parameterBits_ = method == 0 ? 4 : 5;
  partitions_ = 1u << partitionOrder;
  partition_ = 0;
  stage_ = Stage::kRiceParameter;
  return true;
}

bool FlacFrameWalk::RiceParameter() {
  if (bits_ < parameterBits_) return false;
  const auto parameter = static_cast<uint32_t>(Read(parameterBits_));
  samplesLeft_ = partitionSamples_ - (partition_ == 0 ? order_ : 0);
  if (parameter == (1u << parameterBits_) - 1) {
    stage_ = Stage::kEscapedBits;  // the residuals are stored plain
    return true;
  }
  riceParameter_ = parameter;
  if (samplesLeft_ == 0) {
    NextPartition();
  } else {
    stage_ = Stage::kRiceQuotient;
  }
  return true;
}

bool FlacFrameWalk::EscapedBits() {
  if (bits_ < 5) return false;
  skip_ = Read(5) * samplesLeft_;
  NextPartition();
  return true;
}

// One residual: its quotient in unary (zeros, then a one), then the parameter's low bits.
bool FlacFrameWalk::RiceQuotient() {
  if (bits_ == 0) return false;
  const int zeros = std::countl_zero(bitsHeld_ << (64 - bits_));
  if (static_cast<uint32_t>(zeros) >= bits_) {
    bits_ = 0;
    return false;
  }
  bits_ -= static_cast<uint32_t>(zeros) + 1;
  skip_ = riceParameter_;
  if (--samplesLeft_ == 0) NextPartition();
  return true;
}

void FlacFrameWalk::NextPartition() {
  if (++partition_ == partitions_) {
    NextSubframe();
  } else {
    stage_ = Stage::kRiceParameter;
  }
}

void FlacFrameWalk::NextSubframe() {
  stage_ = ++channel_ == channels_ ? Stage::kPadding : Stage::kSubframeHeader;
}

// Zero bits up to the next byte. Bytes come in whole, so the bits at hand that are not a
// whole byte are the rest of the current one.
bool FlacFrameWalk::Padding() {
  if (Read(bits_ % 8) != 0) return Fail();
  stage_ = Stage::kCrc;
  return true;
}

bool FlacFrameWalk::Crc() {
  if (bits_ < 16) return false;
  Read(16);  // checked by the caller over the frame's bytes
  state_ = State::kEnded;
  return true;
}

bool FlacFrameWalk::Fail() {
  state_ = State::kBroken;
  return true;
}

uint64_t FlacFrameWalk::Read(uint32_t n) {
  if (n == 0) return 0;
  bits_ -= n;
  return bitsHeld_ >> bits_ & (~uint64_t{0} >> (64 - n));
}

void FlacFrameWalk::DrainSkip() {
  const auto dropped = static_cast<uint32_t>(std::min<uint64_t>(skip_, bits_));
  bits_ -= dropped;
  skip_ -= dropped;
}

}  // namespace orlenta
