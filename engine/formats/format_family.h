// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace orlenta {

// What an end finder asks for next, or what it found. Offsets count from the first byte of
// the recovered file (the first byte of its header sector).
struct FinderStep {
  enum Kind : uint8_t {
    kNeed,    // call again once the `length` bytes at `offset` have arrived
    kScan,    // call again with whatever bytes have arrived from `offset` on (at least one)
    kEnd,     // the file ends here: `offset` is its length in bytes
    kBroken,  // the structure cannot be followed from here (damaged, truncated, not this format)
  };
  Kind kind = kBroken;
  uint64_t offset = 0;
  uint32_t length = 0;  // kNeed only; never more than kMaxFinderNeed
  // kEnd only: the structure says for sure that the file ends here. False when the end is
  // the likeliest place the bytes stop belonging to the file, but nothing in them tells it
  // (a stream without its end code, data after an end marker that nothing points at).
  bool certain = true;

  static FinderStep Need(uint64_t at, uint32_t n) { return {kNeed, at, n}; }
  static FinderStep Scan(uint64_t at) { return {kScan, at, 0}; }
  static FinderStep End(uint64_t fileLength) { return {kEnd, fileLength, 0}; }
  static FinderStep LikelyEnd(uint64_t fileLength) { return {kEnd, fileLength, 0, false}; }
  static FinderStep Broken() { return {kBroken, 0, 0}; }
};

// The most a finder may ask for at once: structure headers only, never payloads.
inline constexpr uint32_t kMaxFinderNeed = 4096;

// Follows one file's own structure, as its bytes arrive in order, to learn where it ends.
// Finders never see a byte twice and keep no copy of the file: memory stays flat.
class EndFinder {
 public:
  virtual ~EndFinder() = default;

  // `bytes` are the file's bytes from offset `at`: for a kNeed request at least the bytes
  // asked for, for a kScan request at least one byte (a driver may pass more than asked,
  // up to what it has at hand). The first call is Next(0, <the whole header sector>).
  // A kEnd never lies beyond at + bytes.size(), and never before the header's first byte;
  // a request never points before `at`.
  virtual FinderStep Next(uint64_t at, std::span<const uint8_t> bytes) = 0;
};

}  // namespace orlenta
