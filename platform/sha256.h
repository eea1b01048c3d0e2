// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

struct evp_md_ctx_st;
struct evp_md_st;

namespace orlenta {

// A digest fed piece by piece, as a file is written: `algorithm` is OpenSSL's name of it
// ("SHA256", "SHA1", "MD5").
class MessageDigest {
 public:
  explicit MessageDigest(const char* algorithm);
  ~MessageDigest();
  MessageDigest(const MessageDigest&) = delete;
  MessageDigest& operator=(const MessageDigest&) = delete;

  // Starts a new digest.
  void Reset();
  void Update(std::span<const uint8_t> bytes);
  // The digest of everything since Reset, in lower-case hex digits; Reset before reuse.
  std::string HexDigest();

 private:
  evp_md_st* md_;
  evp_md_ctx_st* context_;
};

class Sha256 : public MessageDigest {
 public:
  Sha256() : MessageDigest("SHA256") {}
};

// SHA-256 and the other digests a lab asks for, fed together. Each is named as DFXML names
// it: "sha256", "sha1", "md5".
class Digests {
 public:
  // SHA-256 always, first; then those of `others` that are not SHA-256, in their order.
  explicit Digests(const std::vector<std::string>& others = {});
  void Reset();
  void Update(std::span<const uint8_t> bytes);
  // Each digest by name, SHA-256 first; Reset before reuse.
  std::vector<std::pair<std::string, std::string>> HexDigests();

 private:
  std::vector<std::pair<std::string, std::unique_ptr<MessageDigest>>> digests_;
};

// Digests by name, as Digests gives them.
using NamedDigests = std::vector<std::pair<std::string, std::string>>;

// Whether `name` ("md5", "sha1", "sha256") is a digest Digests takes.
bool IsDigestName(const std::string& name);

}  // namespace orlenta
