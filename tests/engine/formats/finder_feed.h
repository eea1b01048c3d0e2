// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "engine/file_kind.h"
#include "engine/formats/format_family.h"

namespace orlenta::testing {

inline constexpr std::size_t kSector = 2048;

// Runs `finder` over `data` as a carver would: the header sector first, then the rest in
// pieces of `piece` bytes, each request answered with the bytes at hand (exactly the bytes
// asked for when pieces are single bytes). When the data runs out, the finder gets what is
// left, from where the request was or from the end of the data when that comes first. Checks the
// rules of the seam on every answer and returns the last one: kEnd or kBroken.
FinderStep Feed(EndFinder& finder, std::span<const uint8_t> data, std::size_t piece);

// A fresh finder for `kind` run over `data` in pieces of `piece` bytes.
FinderStep FindEnd(FileKind kind, std::span<const uint8_t> data, std::size_t piece);

// The file's bytes as they lie on a disc: padded with zeros to a whole sector, then one more
// sector of `after` (zeros when empty).
std::vector<uint8_t> OnDisc(std::vector<uint8_t> file, const std::vector<uint8_t>& after = {});

std::vector<uint8_t> ReadSample(const std::string& name);

// A file of samples/formats and the kind it is detected as; a test parameter shown by name.
struct SampleFile {
  const char* file;
  FileKind kind;
};
void PrintTo(const SampleFile& sample, std::ostream* os);

// `count` bytes of a fixed pseudo-random sequence.
std::vector<uint8_t> RandomBytes(std::size_t count, uint32_t seed);

}  // namespace orlenta::testing
