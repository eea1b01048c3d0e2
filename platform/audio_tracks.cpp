// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio_tracks.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "read_fully.h"

namespace orlenta {
namespace {

constexpr uint32_t kFramesPerBatch = 75;  // one second of sound
constexpr std::size_t kWavHeaderBytes = 44;

// Adds frame `frame`, which holds `state`, to the end of `frames`.
void AddFrame(std::vector<FrameStretch>& frames, uint64_t frame, FrameState state) {
  if (!frames.empty() && frames.back().state == state &&
      frames.back().first + frames.back().count == frame) {
    ++frames.back().count;
  } else {
    frames.push_back({frame, 1, state});
  }
}

// The header of a PCM WAV file holding `dataBytes` bytes of CD audio. A track too
// long for the format's 32-bit sizes (over 6 hours) is given the largest.
std::array<uint8_t, kWavHeaderBytes> WavHeader(uint64_t dataBytes) {
  const uint64_t data = std::min<uint64_t>(dataBytes, 0xFFFFFFFFu - 36);
  std::array<uint8_t, kWavHeaderBytes> header{};
  std::size_t at = 0;
  const auto text = [&](const char* word) {
    for (int i = 0; i < 4; ++i) header[at++] = static_cast<uint8_t>(word[i]);
  };
  const auto number = [&](uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) header[at++] = static_cast<uint8_t>(value >> (8 * i));
  };
  text("RIFF");
  number(36 + data, 4);
  text("WAVE");
  text("fmt ");
  number(16, 4);
  number(1, 2);  // PCM
  number(2, 2);  // stereo
  number(44100, 4);
  number(44100 * 4, 4);
  number(4, 2);
  number(16, 2);
  text("data");
  number(data, 4);
  return header;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Creates a new file for the track in `folder`; nullptr when no name is free or it cannot
// be created (errno says why).
std::FILE* CreateTrackFile(const std::string& folder, const std::string& name, std::string& path) {
  const std::size_t dot = name.rfind('.');
  for (int attempt = 1; attempt < 1000; ++attempt) {
    const std::string candidate =
        attempt == 1
            ? name
            : name.substr(0, dot) + " (" + std::to_string(attempt) + ")" + name.substr(dot);
    path = folder + (folder.empty() || folder.back() == '/' ? "" : "/") + candidate;
    if (std::FILE* file = std::fopen(path.c_str(), "wbx")) return file;
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

// A data file open for reading as long as a reader of it lives.
struct OpenFile {
  explicit OpenFile(const std::string& path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~OpenFile() {
    if (fd >= 0) ::close(fd);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int fd;
};

}  // namespace

uint64_t AudioTrackResult::FileOffset(uint64_t frame) {
  return kWavHeaderBytes + frame * kAudioFrameBytes;
}

std::string AudioTrackFileName(int number, const std::string& title) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "Track %02d", number);
  std::string name = prefix;
  if (!title.empty()) {
    std::string clean;
    for (const char c : title.substr(0, 100)) {
      const auto byte = static_cast<unsigned char>(c);
      clean += byte < 0x20 || byte == 0x7F || c == '/' || c == '\\' ? '_' : c;
    }
    if (clean != "." && clean != "..") name += " - " + clean;
  }
  return name + ".wav";
}

AudioTrackResult WriteAudioTrack(const std::string& folder, int number, const std::string& title,
                                 uint64_t frames, const AudioFrameReader& read) {
  AudioTrackResult result;
  std::unique_ptr<std::FILE, FileCloser> file(
      CreateTrackFile(folder, AudioTrackFileName(number, title), result.path));
  if (!file) {
    result.errnum = errno != 0 ? errno : EEXIST;
    result.path.clear();
    return result;
  }
  const std::array<uint8_t, kWavHeaderBytes> header = WavHeader(frames * kAudioFrameBytes);
  bool written = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size();
  std::vector<uint8_t> batch;
  std::vector<FrameState> states;
  std::vector<bool> unread;
  for (uint64_t at = 0; at < frames && written; at += kFramesPerBatch) {
    const auto count = static_cast<uint32_t>(std::min<uint64_t>(kFramesPerBatch, frames - at));
    batch.assign(std::size_t{count} * kAudioFrameBytes, 0);
    states.assign(count, FrameState::kRead);
    unread.assign(count, false);
    if (!read(at, count, batch, states)) {
      // Frame by frame, so that one bad frame costs only its own 1/75 s.
      for (uint32_t i = 0; i < count; ++i) {
        const std::span<uint8_t> frame(batch.data() + std::size_t{i} * kAudioFrameBytes,
                                       kAudioFrameBytes);
        if (!read(at + i, 1, frame, std::span(states).subspan(i, 1))) {
          std::fill(frame.begin(), frame.end(), uint8_t{0});
          states[i] = FrameState::kSilence;
          unread[i] = true;
        }
      }
    }
    for (uint32_t i = 0; i < count; ++i) {
      if (unread[i]) {
        ++result.framesUnread;
      } else if (states[i] != FrameState::kRead) {
        ++result.framesUnrepaired;
      }
      AddFrame(result.frames, at + i, states[i]);
    }
    written = std::fwrite(batch.data(), 1, batch.size(), file.get()) == batch.size();
  }
  if (!written) result.errnum = errno != 0 ? errno : EIO;
  if (std::fclose(file.release()) != 0 && result.errnum == 0) result.errnum = errno;
  return result;
}

AudioFrameReader ImageAudioReader(const DiscTrack& track) {
  const auto file = std::make_shared<OpenFile>(track.layout.dataPath);
  const uint64_t firstByte = track.layout.firstByte;
  const bool swap = track.bigEndianAudio;
  return [file, firstByte, swap](uint64_t first, uint32_t count, std::span<uint8_t> into,
                                 std::span<FrameState>) {
    if (file->fd < 0) return false;
    const std::size_t bytes = std::size_t{count} * kAudioFrameBytes;
    if (ReadFully(file->fd, firstByte + first * kAudioFrameBytes, into.first(bytes)) != bytes) {
      return false;
    }
    if (swap) {
      for (std::size_t i = 0; i + 1 < bytes; i += 2) std::swap(into[i], into[i + 1]);
    }
    return true;
  };
}

}  // namespace orlenta
