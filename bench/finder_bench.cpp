// SPDX-License-Identifier: GPL-3.0-or-later
// How fast the wider detection judges a sector, and how fast the end finders follow files
// whose structure makes them read the most: JPEG entropy data (every 0xFF matters), MP3
// frame chains, GIF sub-blocks, MPEG packs. Bytes are fed a sector at a time, as a carver
// feeds them.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/formats/format_registry.h"

namespace orlenta {
namespace {

constexpr std::size_t kSector = 2048;
constexpr std::size_t kFileBytes = std::size_t{16} << 20;

std::vector<uint8_t> Noise(std::size_t count) {
  std::mt19937 generator(17);
  std::vector<uint8_t> bytes(count);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(generator());
  return bytes;
}

void Append(std::vector<uint8_t>& to, std::initializer_list<uint8_t> bytes) {
  to.insert(to.end(), bytes);
}

// A baseline JPEG whose entropy data is noise with every 0xFF stuffed, as encoders write it.
std::vector<uint8_t> LargeJpeg() {
  std::vector<uint8_t> file = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
  file.resize(file.size() + 64, 1);
  Append(file, {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
  for (const uint8_t b : Noise(kFileBytes)) {
    file.push_back(b);
    if (b == 0xFF) file.push_back(0x00);
  }
  Append(file, {0xFF, 0xD9});
  return file;
}

// 128 kbit/s, 44.1 kHz MP3 frames of 417 bytes.
std::vector<uint8_t> LargeMp3() {
  std::vector<uint8_t> file;
  const std::vector<uint8_t> noise = Noise(417);
  while (file.size() < kFileBytes) {
    Append(file, {0xFF, 0xFB, 0x90, 0x64});
    file.insert(file.end(), noise.begin() + 4, noise.end());
  }
  return file;
}

// A GIF image of many full 255-byte sub-blocks.
std::vector<uint8_t> LargeGif() {
  std::vector<uint8_t> file = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
  Append(file, {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 8});
  const std::vector<uint8_t> noise = Noise(255);
  while (file.size() < kFileBytes) {
    file.push_back(255);
    file.insert(file.end(), noise.begin(), noise.end());
  }
  Append(file, {0, 0x3B});
  return file;
}

// MPEG-2 packs of one sector each, as on DVD video.
std::vector<uint8_t> LargeVob() {
  std::vector<uint8_t> file;
  while (file.size() < kFileBytes) {
    Append(file, {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 1, 0x89, 0xC3, 0xF8});
    const std::size_t payload = kSector - 14 - 6;
    Append(file,
           {0, 0, 1, 0xE0, static_cast<uint8_t>(payload >> 8), static_cast<uint8_t>(payload)});
    file.resize(file.size() + payload, 0x55);
  }
  Append(file, {0, 0, 1, 0xB9});
  return file;
}

void RunFinder(benchmark::State& state, FileKind kind, const std::vector<uint8_t>& file) {
  for (auto _ : state) {
    std::unique_ptr<EndFinder> finder = MakeEndFinder(kind);
    uint64_t sectorStart = 0;
    FinderStep step = finder->Next(0, {file.data(), kSector});
    // Sector by sector: a request is answered from the sector that holds its first byte
    // (Need requests here never cross a sector, bar the last one).
    while (step.kind == FinderStep::kNeed || step.kind == FinderStep::kScan) {
      sectorStart = step.offset / kSector * kSector;
      const uint64_t end = std::min<uint64_t>(
          file.size(), std::max<uint64_t>(sectorStart + kSector, step.offset + step.length));
      step = finder->Next(step.offset, {file.data() + step.offset, end - step.offset});
    }
    if (step.kind != FinderStep::kEnd || step.offset != file.size()) state.SkipWithError("no end");
    benchmark::DoNotOptimize(step);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(file.size()));
}

void BM_JpegEntropy(benchmark::State& state) {
  static const std::vector<uint8_t> file = LargeJpeg();
  RunFinder(state, kJpegOther, file);
}
void BM_Mp3Frames(benchmark::State& state) {
  static const std::vector<uint8_t> file = LargeMp3();
  RunFinder(state, kMp3Other, file);
}
void BM_GifSubBlocks(benchmark::State& state) {
  static const std::vector<uint8_t> file = LargeGif();
  RunFinder(state, kGif, file);
}
void BM_VobPacks(benchmark::State& state) {
  static const std::vector<uint8_t> file = LargeVob();
  RunFinder(state, kMpeg2, file);
}

void BM_DetectMoreKinds(benchmark::State& state) {
  std::vector<uint8_t> noise = Noise(kSector * 64 + 4096);
  std::size_t at = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DetectMoreKinds(noise.data() + at, kSector));
    at = (at + kSector) % (kSector * 64);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kSector));
}

BENCHMARK(BM_JpegEntropy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mp3Frames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifSubBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VobPacks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetectMoreKinds);

}  // namespace
}  // namespace orlenta
