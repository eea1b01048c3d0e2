// SPDX-License-Identifier: GPL-3.0-or-later
#include "end_finder_driver.h"

#include <algorithm>
#include <cstring>

namespace orlenta {
namespace {

// A finder that, by a fault, keeps asking within the same bytes would never get further.
constexpr int kMaxAsksPerFeed = 1 << 14;

bool SameStep(const FinderStep& a, const FinderStep& b) {
  return a.kind == b.kind && a.offset == b.offset && a.length == b.length;
}

}  // namespace

EndFinderDriver::EndFinderDriver(std::unique_ptr<EndFinder> finder) : finder_(std::move(finder)) {
  if (!finder_) state_ = State::kBroken;
}

EndFinderDriver::State EndFinderDriver::Feed(std::span<const uint8_t> bytes) {
  if (state_ != State::kFollowing || bytes.empty()) return state_;
  const uint64_t begin = fed_;
  const uint64_t end = fed_ + bytes.size();
  for (int asks = 0; state_ == State::kFollowing; ++asks) {
    if (asks == kMaxAsksPerFeed) {
      Break();
      break;
    }
    if (!Serve(bytes, begin, end)) break;
  }
  if (state_ == State::kFollowing) KeepCarry(bytes, begin, end);
  fed_ = end;
  return state_;
}

EndFinderDriver::State EndFinderDriver::FinishAtVolumeEnd() {
  if (state_ != State::kFollowing) return state_;
  const uint64_t at = std::min(step_.offset, fed_);
  if (at < carryStart_) {
    Break();
    return state_;
  }
  const auto left = std::span<const uint8_t>(carry_).subspan(at - carryStart_, fed_ - at);
  const FinderStep last = finder_->Next(at, left);
  if (last.kind == FinderStep::kEnd && last.offset != 0 && last.offset <= at + left.size()) {
    endLength_ = last.offset;
    endCertain_ = last.certain;
    state_ = State::kEnded;
  } else {
    Break();
  }
  return state_;
}

bool EndFinderDriver::Serve(std::span<const uint8_t> bytes, uint64_t begin, uint64_t end) {
  const uint64_t at = step_.offset;
  if (at < carryStart_) {  // bytes already let go of: the finder broke its word
    Break();
    return false;
  }
  if (step_.kind == FinderStep::kScan) {
    // A scan looks again only when bytes it has not seen have come.
    if (at >= end || end <= handedUpTo_) return false;
    if (at >= begin) {
      Ask(at, bytes.subspan(at - begin));
    } else {
      const uint64_t joinedEnd = std::min(end, at + kMaxFinderNeed);
      Ask(at, Join(bytes, begin, at, joinedEnd));
    }
    return true;
  }
  const uint64_t needEnd = at + step_.length;
  if (needEnd > end) return false;
  Ask(at, at >= begin ? bytes.subspan(at - begin) : Join(bytes, begin, at, needEnd));
  return true;
}

std::span<const uint8_t> EndFinderDriver::Join(std::span<const uint8_t> bytes, uint64_t begin,
                                               uint64_t from, uint64_t to) {
  // The carry's part before this sector, then the start of this sector.
  const auto fromCarry = static_cast<std::size_t>(begin - from);
  const auto fromBytes = static_cast<std::size_t>(to - begin);
  std::memcpy(joined_.data(), carry_.data() + (from - carryStart_), fromCarry);
  std::memcpy(joined_.data() + fromCarry, bytes.data(), fromBytes);
  return std::span<const uint8_t>(joined_).first(fromCarry + fromBytes);
}

void EndFinderDriver::Ask(uint64_t at, std::span<const uint8_t> bytes) {
  const FinderStep asked = step_;
  const FinderStep next = finder_->Next(at, bytes);
  handedUpTo_ = std::max(handedUpTo_, at + bytes.size());
  switch (next.kind) {
    case FinderStep::kEnd:
      if (next.offset == 0 || next.offset > at + bytes.size()) {
        Break();
      } else {
        endLength_ = next.offset;
        endCertain_ = next.certain;
        state_ = State::kEnded;
      }
      return;
    case FinderStep::kNeed:
    case FinderStep::kScan: {
      const bool tooLong = next.kind == FinderStep::kNeed && next.length > kMaxFinderNeed;
      const bool askedAgain = next.kind == FinderStep::kNeed && SameStep(next, asked);
      // A scan that has seen as much as the carry can ever show it, and asks to look from
      // the same place again, would never get further.
      const bool stuck =
          next.kind == FinderStep::kScan && SameStep(next, asked) && bytes.size() >= kMaxFinderNeed;
      if (next.offset < at || tooLong || askedAgain || stuck) {
        Break();
      } else {
        step_ = next;
      }
      return;
    }
    default:
      Break();
  }
}

void EndFinderDriver::KeepCarry(std::span<const uint8_t> bytes, uint64_t begin, uint64_t end) {
  const uint64_t keepFrom = step_.offset;
  if (keepFrom >= end) {
    carryStart_ = end;
    carrySize_ = 0;
    return;
  }
  // A waiting request asks for kMaxFinderNeed bytes at most, and a scan looks back no
  // further: what either needs fits in the carry.
  const auto keep = static_cast<std::size_t>(end - keepFrom);
  if (keep > kMaxFinderNeed) {
    Break();
    return;
  }
  if (keepFrom >= begin) {
    std::memcpy(carry_.data(), bytes.data() + (keepFrom - begin), keep);
  } else {
    const auto oldPart = static_cast<std::size_t>(begin - keepFrom);
    std::memmove(carry_.data(), carry_.data() + (keepFrom - carryStart_), oldPart);
    std::memcpy(carry_.data() + oldPart, bytes.data(), bytes.size());
  }
  carryStart_ = keepFrom;
  carrySize_ = static_cast<uint32_t>(keep);
}

}  // namespace orlenta
