// SPDX-License-Identifier: GPL-3.0-or-later
// make_bench_image OUTPUT SIZE_MIB SAMPLE_FILE...
//
// Writes a disc image of exactly SIZE_MIB MiB for timing the carver: the sample files in
// turn, over and over, each starting on a 2,048-byte sector boundary, with a run of 0 to 64
// junk sectors before each. The same arguments always give the same image, so timings of
// different builds compare.
#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file_kind.h"

namespace {

constexpr std::size_t kSectorBytes = 2048;
constexpr uint64_t kMebibyte = uint64_t{1} << 20;
constexpr uint64_t kLargestImageMiB = uint64_t{1} << 20;  // 1 TiB: beyond that, a typo
constexpr uint64_t kMostJunkSectors = 64;
constexpr std::size_t kWriteBlockBytes = std::size_t{8} << 20;

constexpr int kExitUsage = 2;
constexpr int kExitFailed = 1;

// splitmix64: fast, fixed seed, and its stream never settles on zero.
class JunkGenerator {
 public:
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // One sector of junk the carver must read as no header, else it would start a file of
  // its own and the image would not be what it claims.
  const uint8_t* NextSector() {
    for (std::size_t i = 0; i < kSectorBytes; i += 8) {
      const uint64_t word = Next();
      std::memcpy(sector_.data() + i, &word, 8);
    }
    sector_[0] = 0x55;  // no header begins with 0x55, RIFF included
    while (orlenta::DetectFileKindIn(sector_.data()) != orlenta::kNoHeader) {
      sector_[4] ^= 0xFF;  // a QuickTime atom name at offset 4 ignores the first byte
    }
    return sector_.data();
  }

 private:
  uint64_t state_ = 0x0123456789ABCDEFull;
  // DetectFileKindIn looks a little past one sector; the bytes beyond it stay zero.
  std::array<uint8_t, std::max(kSectorBytes, orlenta::kDetectionDepth)> sector_{};
};

struct Sample {
  std::string path;
  std::vector<uint8_t> bytes;  // padded with zeros to whole sectors
};

// Collects output in large blocks so that the image is written with few system calls.
class ImageWriter {
 public:
  ImageWriter(std::FILE* file, uint64_t size) : file_(file), left_(size) {
    block_.reserve(kWriteBlockBytes);
  }

  bool Full() const { return left_ == 0; }

  // Appends what still fits; the image ends exactly at its size, mid-file if need be.
  bool Put(const uint8_t* bytes, std::size_t length) {
    const auto take = static_cast<std::size_t>(std::min<uint64_t>(length, left_));
    block_.insert(block_.end(), bytes, bytes + take);
    left_ -= take;
    return block_.size() < kWriteBlockBytes || Flush();
  }

  bool Flush() {
    const bool written = std::fwrite(block_.data(), 1, block_.size(), file_) == block_.size();
    block_.clear();
    return written;
  }

 private:
  std::FILE* file_;
  uint64_t left_;
  std::vector<uint8_t> block_;
};

int Usage(const char* problem) {
  std::fprintf(stderr,
               "make_bench_image: %s\n"
               "usage: make_bench_image OUTPUT SIZE_MIB SAMPLE_FILE...\n",
               problem);
  return kExitUsage;
}

std::optional<uint64_t> ParseMiB(std::string_view text) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value == 0 || value > kLargestImageMiB) return std::nullopt;
  return value;
}

// Reads a whole sample; nullopt, with the reason told, when it cannot be used.
std::optional<Sample> LoadSample(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    std::fprintf(stderr, "make_bench_image: %s: not a readable file\n", path.c_str());
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  Sample sample{path, {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}};
  if (!in.is_open() || in.bad()) {
    std::fprintf(stderr, "make_bench_image: %s: cannot be read\n", path.c_str());
    return std::nullopt;
  }
  if (sample.bytes.empty()) {
    std::fprintf(stderr, "make_bench_image: %s: is empty\n", path.c_str());
    return std::nullopt;
  }
  sample.bytes.resize((sample.bytes.size() + kSectorBytes - 1) / kSectorBytes * kSectorBytes);
  return sample;
}

// A sample that starts with no header the carver knows is still written, but it will end
// up inside the file before it rather than as a file of its own.
void WarnWithoutHeader(const Sample& sample) {
  std::vector<uint8_t> head(orlenta::kDetectionDepth, 0);
  std::memcpy(head.data(), sample.bytes.data(), std::min(head.size(), sample.bytes.size()));
  if (orlenta::DetectFileKindIn(head.data()) != orlenta::kNoHeader) return;
  std::fprintf(stderr, "make_bench_image: note: %s starts with no known header\n",
               sample.path.c_str());
}

struct Counts {
  uint64_t samples = 0;
  uint64_t junkSectors = 0;
};

bool WriteImage(ImageWriter& image, const std::vector<Sample>& samples, Counts& counts) {
  JunkGenerator junk;
  for (std::size_t next = 0; !image.Full(); next = (next + 1) % samples.size()) {
    const uint64_t junkSectors = junk.Next() % (kMostJunkSectors + 1);
    for (uint64_t i = 0; i < junkSectors && !image.Full(); ++i) {
      if (!image.Put(junk.NextSector(), kSectorBytes)) return false;
      ++counts.junkSectors;
    }
    if (image.Full()) break;
    const std::vector<uint8_t>& bytes = samples[next].bytes;
    if (!image.Put(bytes.data(), bytes.size())) return false;
    ++counts.samples;
  }
  return image.Flush();
}

int Fail(const std::string& output, const char* what, int errnum) {
  std::fprintf(stderr, "make_bench_image: %s: %s (%s)\n", output.c_str(), what,
               std::strerror(errnum));
  std::remove(output.c_str());  // a partial image would time the wrong thing
  return kExitFailed;
}

// Every sample, or nullopt once one cannot be used (the reason already told).
std::optional<std::vector<Sample>> LoadSamples(const std::string& output, int count, char** paths) {
  std::vector<Sample> samples;
  for (int i = 0; i < count; ++i) {
    std::error_code error;
    if (std::filesystem::equivalent(output, paths[i], error)) {
      Usage("OUTPUT is one of the sample files");
      return std::nullopt;
    }
    std::optional<Sample> sample = LoadSample(paths[i]);
    if (!sample) return std::nullopt;
    WarnWithoutHeader(*sample);
    samples.push_back(std::move(*sample));
  }
  return samples;
}

int CreateImage(const std::string& output, uint64_t mebibytes, const std::vector<Sample>& samples) {
  // Only a plain file is written, and so only a plain file is removed after a failure:
  // never a device or anything else that happens to sit at OUTPUT.
  std::error_code error;
  const auto status = std::filesystem::status(output, error);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    return Usage("OUTPUT exists and is not a regular file");
  }
  std::FILE* file = std::fopen(output.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "make_bench_image: %s: cannot be created (%s)\n", output.c_str(),
                 std::strerror(errno));
    return kExitFailed;
  }
  ImageWriter image(file, mebibytes * kMebibyte);
  Counts counts;
  if (!WriteImage(image, samples, counts)) {
    const int writeErrno = errno;
    std::fclose(file);
    return Fail(output, "cannot be written", writeErrno);
  }
  if (std::fclose(file) != 0) return Fail(output, "cannot be written", errno);
  std::printf("%s: %llu MiB, %llu sample files, %llu junk sectors\n", output.c_str(),
              static_cast<unsigned long long>(mebibytes),
              static_cast<unsigned long long>(counts.samples),
              static_cast<unsigned long long>(counts.junkSectors));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage("missing arguments");
  const std::string output = argv[1];
  const std::optional<uint64_t> mebibytes = ParseMiB(argv[2]);
  if (!mebibytes) return Usage("SIZE_MIB must be a whole number from 1 to 1048576");
  const std::optional<std::vector<Sample>> samples = LoadSamples(output, argc - 3, argv + 3);
  if (!samples) return kExitUsage;
  return CreateImage(output, *mebibytes, *samples);
}
