// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace orlenta {

// A set of numbers (of files in a listing, say) found again by the key each stands for,
// which lives elsewhere: open addressing over one array, at most 16 bytes a number, where a
// hash map would cost a node and a copy of the key for each of a disc's many files.
class IndexTable {
 public:
  // The number whose key hashes to `hash` and for which `same(number)` is true, if any.
  template <class Same>
  std::optional<uint32_t> Find(uint64_t hash, Same same) const {
    if (slots_.empty()) return std::nullopt;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = Spread(hash) & mask; slots_[at] != 0; at = (at + 1) & mask) {
      if (same(slots_[at] - 1)) return slots_[at] - 1;
    }
    return std::nullopt;
  }

  // Adds `number`, whose key hashes to `hash`; `hashOf(n)` gives the hash of a number added
  // before, for when the table grows.
  template <class HashOf>
  void Add(uint32_t number, uint64_t hash, HashOf hashOf) {
    if ((count_ + 1) * 2 > slots_.size()) {
      std::vector<uint32_t> old(std::max<std::size_t>(kLeastSlots, slots_.size() * 2), 0);
      old.swap(slots_);
      for (const uint32_t slot : old) {
        if (slot != 0) Put(slot, hashOf(slot - 1));
      }
    }
    Put(number + 1, hash);
    ++count_;
  }

  std::size_t size() const { return count_; }

 private:
  static constexpr std::size_t kLeastSlots = 64;

  static uint64_t Spread(uint64_t hash) { return (hash ^ (hash >> 31)) * 0x9E3779B97F4A7C15u >> 7; }

  void Put(uint32_t slot, uint64_t hash) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = Spread(hash) & mask;
    while (slots_[at] != 0) at = (at + 1) & mask;
    slots_[at] = slot;
  }

  std::vector<uint32_t> slots_;  // a number + 1, or 0 when free
  std::size_t count_ = 0;
};

// A hash of `text`'s bytes, ASCII letters folded to lower case, mixed with `seed`.
inline uint64_t FoldedHash(std::string_view text, uint64_t seed = 0) {
  uint64_t hash = 14695981039346656037u ^ seed;
  for (const char c : text) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    hash = (hash ^ static_cast<unsigned char>(lower)) * 1099511628211u;
  }
  return hash;
}

}  // namespace orlenta
