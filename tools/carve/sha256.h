// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct evp_md_ctx_st;
struct evp_md_st;

namespace orlenta {

// A SHA-256 digest fed piece by piece, as a file is written.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  // Starts a new digest.
  void Reset();
  void Update(std::span<const uint8_t> bytes);
  // The digest of everything since Reset, as 64 lower-case hex digits; Reset before reuse.
  std::string HexDigest();

 private:
  evp_md_st* md_;
  evp_md_ctx_st* context_;
};

}  // namespace orlenta
