// SPDX-License-Identifier: GPL-3.0-or-later
// How fast DetectFileKind() judges one 2,048-byte sector. The scan calls it once for every
// sector of the volume, so its cost per sector bounds how fast a run can go however fast
// the medium reads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>

#include "engine/file_kind.h"
#include "engine/sector_buffer.h"

namespace orlenta {
namespace {

constexpr int64_t kImageSectorBytes = 2048;

// Fills SectorBuffer, past the sector too since the RIFF searches read beyond it, with
// fixed pseudo-random bytes that hold no "AVI" and no "WAVE" anywhere, so that a RIFF
// sector has to be searched to the end.
void FillWithJunk() {
  std::mt19937_64 generator(0x0A11CE5EEDull);
  for (uint8_t& byte : SectorBuffer) byte = static_cast<uint8_t>(generator());
  for (std::size_t i = 0; i + 1 < SectorBuffer.size(); ++i) {
    if (SectorBuffer[i] == 'A' && SectorBuffer[i + 1] == 'V') SectorBuffer[i + 1] = 'v';
    if (SectorBuffer[i] == 'W' && SectorBuffer[i + 1] == 'A') SectorBuffer[i + 1] = 'a';
  }
  SectorBuffer[0] = 0x55;  // no test accepts 0x55 as a first byte
}

void Put(std::size_t offset, const char* text) {
  std::memcpy(SectorBuffer.data() + offset, text, std::strlen(text));
}

void PutRiff(const char* form) {
  Put(0, "RIFF");
  std::fill_n(SectorBuffer.begin() + 4, 4, uint8_t{0x10});
  Put(8, form);
}

// Times DetectFileKind() on whatever SectorBuffer holds, after checking that the sector is
// read as `expected`: a benchmark of the wrong path would be worse than none.
void TimeDetection(benchmark::State& state, FileKind expected) {
  if (DetectFileKind() != expected) {
    state.SkipWithError("the prepared sector is not detected as intended");
    return;
  }
  for (auto _ : state) {
    benchmark::ClobberMemory();  // SectorBuffer could change between sectors in a real run
    benchmark::DoNotOptimize(DetectFileKind());
  }
  state.SetBytesProcessed(state.iterations() * kImageSectorBytes);
}

// The common case: a sector in the middle of a file.
void BM_NoHeader(benchmark::State& state) {
  FillWithJunk();
  TimeDetection(state, kNoHeader);
}

// JPEG is tested last, so this pays for every test before it.
void BM_Jpeg(benchmark::State& state) {
  FillWithJunk();
  Put(0, "\xFF\xD8\xFF\xE0");
  TimeDetection(state, kJpeg);
}

// "AVI" is searched for first and is absent, so all 2,408 positions are tried before the
// "WAVE" search finds its form at offset 8.
void BM_RiffWave(benchmark::State& state) {
  FillWithJunk();
  PutRiff("WAVE");
  TimeDetection(state, kWave);
}

void BM_RiffAvi(benchmark::State& state) {
  FillWithJunk();
  PutRiff("AVI ");
  TimeDetection(state, kAvi);
}

// The true worst case: a RIFF form that is neither (WebP, say) runs both searches to the
// end and is then no header at all.
void BM_RiffOther(benchmark::State& state) {
  FillWithJunk();
  PutRiff("WEBP");
  TimeDetection(state, kNoHeader);
}

BENCHMARK(BM_NoHeader);
BENCHMARK(BM_Jpeg);
BENCHMARK(BM_RiffWave);
BENCHMARK(BM_RiffAvi);
BENCHMARK(BM_RiffOther);

}  // namespace
}  // namespace orlenta
