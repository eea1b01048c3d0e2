// SPDX-License-Identifier: GPL-3.0-or-later
#include "sha256.h"

#include <openssl/evp.h>

#include <algorithm>
#include <stdexcept>

namespace orlenta {

MessageDigest::MessageDigest(const char* algorithm)
    : md_(EVP_MD_fetch(nullptr, algorithm, nullptr)), context_(EVP_MD_CTX_new()) {
  if (!md_ || !context_) throw std::runtime_error(std::string(algorithm) + " is not available");
  Reset();
}

MessageDigest::~MessageDigest() {
  EVP_MD_CTX_free(context_);
  EVP_MD_free(md_);
}

void MessageDigest::Reset() {
  EVP_DigestInit_ex(context_, md_, nullptr);
}

void MessageDigest::Update(std::span<const uint8_t> bytes) {
  EVP_DigestUpdate(context_, bytes.data(), bytes.size());
}

std::string MessageDigest::HexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(context_, digest, &length);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0xF];
  }
  return hex;
}

namespace {

// OpenSSL's name of a digest DFXML calls `name`; nullptr when there is none.
const char* AlgorithmOf(const std::string& name) {
  if (name == "sha256") return "SHA256";
  if (name == "sha1") return "SHA1";
  if (name == "md5") return "MD5";
  return nullptr;
}

}  // namespace

bool IsDigestName(const std::string& name) {
  return AlgorithmOf(name) != nullptr;
}

Digests::Digests(const std::vector<std::string>& others) {
  digests_.emplace_back("sha256", std::make_unique<Sha256>());
  for (const std::string& name : others) {
    const bool taken = std::any_of(digests_.begin(), digests_.end(),
                                   [&name](const auto& digest) { return digest.first == name; });
    if (!taken && AlgorithmOf(name)) {
      digests_.emplace_back(name, std::make_unique<MessageDigest>(AlgorithmOf(name)));
    }
  }
}

void Digests::Reset() {
  for (auto& digest : digests_) digest.second->Reset();
}

void Digests::Update(std::span<const uint8_t> bytes) {
  for (auto& digest : digests_) digest.second->Update(bytes);
}

std::vector<std::pair<std::string, std::string>> Digests::HexDigests() {
  std::vector<std::pair<std::string, std::string>> hex;
  for (auto& digest : digests_) hex.emplace_back(digest.first, digest.second->HexDigest());
  return hex;
}

}  // namespace orlenta
