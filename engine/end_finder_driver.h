// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "formats/format_family.h"

namespace orlenta {

// Feeds one file's bytes to its end finder as the carver writes them, sector after sector.
// A structure that straddles two sectors is joined in a carry of at most kMaxFinderNeed
// bytes; payloads the finder skips are never looked at. Memory stays flat whatever the size
// of the file.
class EndFinderDriver {
 public:
  enum class State { kFollowing, kEnded, kBroken };

  explicit EndFinderDriver(std::unique_ptr<EndFinder> finder);

  // The next bytes of the file, straight after those fed before (the first call gets the
  // header sector). Returns where the structure stands once they have been taken in.
  State Feed(std::span<const uint8_t> bytes);

  // The volume ended after the bytes fed so far: the finder gets one last look, at what is
  // left from where it asked (perhaps nothing), and may still tell the end.
  State FinishAtVolumeEnd();

  State Current() const { return state_; }
  // The length of the file in bytes; meaningful once kEnded.
  uint64_t EndLength() const { return endLength_; }
  // Whether the finder was sure of that end (see FinderStep::certain); once kEnded.
  bool EndCertain() const { return endCertain_; }

 private:
  // Hands `bytes` (the file's bytes from `at`) to the finder and checks what it answers.
  void Ask(uint64_t at, std::span<const uint8_t> bytes);
  // One request answered from the bytes at hand; false when the request must wait.
  bool Serve(std::span<const uint8_t> bytes, uint64_t begin, uint64_t end);
  // The file's bytes [from, to), the first of them from the carry, the rest from `bytes`
  // (the file's bytes from `begin`).
  std::span<const uint8_t> Join(std::span<const uint8_t> bytes, uint64_t begin, uint64_t from,
                                uint64_t to);
  // Keeps the bytes a waiting request will need from this sector and the carry before it.
  void KeepCarry(std::span<const uint8_t> bytes, uint64_t begin, uint64_t end);
  void Break() { state_ = State::kBroken; }

  std::unique_ptr<EndFinder> finder_;
  State state_ = State::kFollowing;
  FinderStep step_ = FinderStep::Scan(0);  // the finder's first look is at the header sector
  uint64_t fed_ = 0;                       // bytes of the file fed so far
  uint64_t endLength_ = 0;
  bool endCertain_ = false;
  uint64_t handedUpTo_ = 0;  // the end of the bytes the finder has been handed so far
  // The carry: file bytes [carryStart_, carryStart_ + carrySize_), always ending at fed_.
  uint64_t carryStart_ = 0;
  uint32_t carrySize_ = 0;
  std::array<uint8_t, kMaxFinderNeed> carry_{};
  std::array<uint8_t, kMaxFinderNeed> joined_{};  // a request that spans carry and sector
};

}  // namespace orlenta
