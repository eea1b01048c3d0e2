// SPDX-License-Identifier: GPL-3.0-or-later
#include "sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace orlenta {

Sha256::Sha256() : md_(EVP_MD_fetch(nullptr, "SHA256", nullptr)), context_(EVP_MD_CTX_new()) {
  if (!md_ || !context_) throw std::runtime_error("SHA-256 is not available");
  Reset();
}

Sha256::~Sha256() {
  EVP_MD_CTX_free(context_);
  EVP_MD_free(md_);
}

void Sha256::Reset() {
  EVP_DigestInit_ex(context_, md_, nullptr);
}

void Sha256::Update(std::span<const uint8_t> bytes) {
  EVP_DigestUpdate(context_, bytes.data(), bytes.size());
}

std::string Sha256::HexDigest() {
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

}  // namespace orlenta
