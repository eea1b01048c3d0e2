// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>

namespace orlenta {

// The bytes of a file that a finder has at hand, addressed by their offset in the file.
// Every read goes through Holds first: the bytes come from a damaged disc and lengths in
// them may say anything.
class ByteWindow {
 public:
  ByteWindow(uint64_t at, std::span<const uint8_t> bytes) : at_(at), bytes_(bytes) {}

  uint64_t Begin() const { return at_; }
  uint64_t End() const { return at_ + bytes_.size(); }

  // True when the n bytes at `offset` are all in the window.
  bool Holds(uint64_t offset, uint64_t n) const {
    return offset >= at_ && offset - at_ <= bytes_.size() && n <= bytes_.size() - (offset - at_);
  }
  // The byte at `offset`; only after Holds(offset, n) for the bytes read from it.
  const uint8_t* At(uint64_t offset) const { return bytes_.data() + (offset - at_); }

 private:
  uint64_t at_;
  std::span<const uint8_t> bytes_;
};

inline uint16_t Be16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
inline uint32_t Be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
inline uint64_t Be64(const uint8_t* p) {
  return uint64_t{Be32(p)} << 32 | Be32(p + 4);
}
inline uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[1] << 8 | p[0]);
}
inline uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}
inline uint64_t Le64(const uint8_t* p) {
  return uint64_t{Le32(p + 4)} << 32 | Le32(p);
}

// Files larger than this are taken for damage: it keeps every sum of offsets and lengths
// far from overflowing.
inline constexpr uint64_t kLargestFile = uint64_t{1} << 48;

}  // namespace orlenta
