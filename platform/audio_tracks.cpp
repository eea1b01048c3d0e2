// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio_tracks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "file_copy.h"
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

// Adds frame `frame`, which holds `state`, to what `result` tells of the track.
void Tally(AudioTrackResult& result, uint64_t frame, FrameState state) {
  if (state == FrameState::kUnread) {
    ++result.framesUnread;
  } else if (state != FrameState::kRead) {
    ++result.framesUnrepaired;
  }
  AddFrame(result.frames, frame, state);
}

// How good what a frame holds is: nothing read, silence from the error correction, samples
// with errors left in them, samples read clean.
int Rank(FrameState state) {
  switch (state) {
    case FrameState::kUnread:
      return 0;
    case FrameState::kSilence:
      return 1;
    case FrameState::kUnrepaired:
      return 2;
    case FrameState::kRead:
      return 3;
  }
  return 0;
}

// What each frame of a track holds, by frame, from its stretches.
std::vector<FrameState> EachFrame(const std::vector<FrameStretch>& frames) {
  std::vector<FrameState> states;
  for (const FrameStretch& stretch : frames) {
    states.resize(std::max<uint64_t>(states.size(), stretch.first + stretch.count));
    std::fill_n(states.begin() + static_cast<std::ptrdiff_t>(stretch.first), stretch.count,
                stretch.state);
  }
  return states;
}

// Reads `count` frames from the track's frame `at` into `batch`, and what each holds into
// `states`: when they cannot be read together, frame by frame, so that one bad frame costs
// only its own 1/75 s; a frame no read gives back is silence.
void ReadFrames(const AudioFrameReader& read, uint64_t at, uint32_t count,
                std::vector<uint8_t>& batch, std::vector<FrameState>& states) {
  batch.assign(std::size_t{count} * kAudioFrameBytes, 0);
  states.assign(count, FrameState::kRead);
  if (read(at, count, batch, states)) return;
  for (uint32_t i = 0; i < count; ++i) {
    const std::span<uint8_t> frame(batch.data() + std::size_t{i} * kAudioFrameBytes,
                                   kAudioFrameBytes);
    if (!read(at + i, 1, frame, std::span(states).subspan(i, 1))) {
      std::fill(frame.begin(), frame.end(), uint8_t{0});
      states[i] = FrameState::kUnread;
    }
  }
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

// Writes `bytes` at `offset` of the file open as `fd`, going on after short writes; 0, or
// the errno of the write that failed.
int WriteAt(int fd, uint64_t offset, std::span<const uint8_t> bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t wrote =
        ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return wrote < 0 ? errno : EIO;
    done += static_cast<std::size_t>(wrote);
  }
  return 0;
}

// Puts `frames` (the track's frame, with its samples) into a copy of the WAV file at `path`
// made beside it, and renames the copy over it. 0, or the errno of what failed, the file
// untouched and no copy left.
int ReplaceFrames(const std::string& path,
                  const std::map<uint64_t, std::pair<FrameState, std::vector<uint8_t>>>& frames) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path target = fs::canonical(path, error);
  if (error) return error.value();
  struct stat info {};
  const OpenFile from(target.string());
  if (from.fd < 0 || ::fstat(from.fd, &info) != 0) return errno;
  const fs::path copy = target.string() + ".mending-" + std::to_string(::getpid());
  const int to =
      ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777);
  if (to < 0) return errno;
  const auto size = static_cast<uint64_t>(info.st_size);
  errno = 0;
  int failed = CopyInKernel(from.fd, 0, to, 0, size) == size ? 0 : (errno != 0 ? errno : EIO);
  for (auto frame = frames.begin(); failed == 0 && frame != frames.end(); ++frame) {
    failed = WriteAt(to, AudioTrackResult::FileOffset(frame->first), frame->second.second);
  }
  if (failed == 0 && ::fsync(to) != 0) failed = errno;
  if (::close(to) != 0 && failed == 0) failed = errno;
  if (failed == 0 && ::rename(copy.c_str(), target.c_str()) != 0) failed = errno;
  if (failed != 0) fs::remove(copy, error);
  return failed;
}

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
  return WriteAudioTrackAs(folder, AudioTrackFileName(number, title), frames, read);
}

AudioTrackResult WriteAudioTrackAs(const std::string& folder, const std::string& name,
                                   uint64_t frames, const AudioFrameReader& read) {
  AudioTrackResult result;
  std::unique_ptr<std::FILE, FileCloser> file(CreateTrackFile(folder, name, result.path));
  if (!file) {
    result.errnum = errno != 0 ? errno : EEXIST;
    result.path.clear();
    return result;
  }
  const std::array<uint8_t, kWavHeaderBytes> header = WavHeader(frames * kAudioFrameBytes);
  bool written = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size();
  std::vector<uint8_t> batch;
  std::vector<FrameState> states;
  for (uint64_t at = 0; at < frames && written; at += kFramesPerBatch) {
    const auto count = static_cast<uint32_t>(std::min<uint64_t>(kFramesPerBatch, frames - at));
    ReadFrames(read, at, count, batch, states);
    for (uint32_t i = 0; i < count; ++i) Tally(result, at + i, states[i]);
    written = std::fwrite(batch.data(), 1, batch.size(), file.get()) == batch.size();
  }
  if (!written) result.errnum = errno != 0 ? errno : EIO;
  if (std::fclose(file.release()) != 0 && result.errnum == 0) result.errnum = errno;
  return result;
}

AudioTrackResult MendAudioTrack(const AudioTrackResult& earlier, const AudioFrameReader& read) {
  std::vector<FrameState> states = EachFrame(earlier.frames);
  // The frames that read better now, by the track's frame, with their samples.
  std::map<uint64_t, std::pair<FrameState, std::vector<uint8_t>>> better;
  std::vector<uint8_t> batch;
  std::vector<FrameState> now;
  // From the track's first frame on, as the track was read when it was written: the error
  // correction, put down inside a stretch it cannot read, may never come back from it.
  uint64_t end = 0;
  for (const FrameStretch& stretch : earlier.frames) {
    if (stretch.state != FrameState::kRead) end = stretch.first + stretch.count;
  }
  for (uint64_t at = 0; at < end; at += kFramesPerBatch) {
    const auto count = static_cast<uint32_t>(std::min<uint64_t>(kFramesPerBatch, end - at));
    ReadFrames(read, at, count, batch, now);
    for (uint32_t i = 0; i < count; ++i) {
      if (Rank(now[i]) <= Rank(states[at + i])) continue;
      const auto samples = batch.begin() + static_cast<std::ptrdiff_t>(i * kAudioFrameBytes);
      better[at + i] = {now[i], {samples, samples + kAudioFrameBytes}};
    }
  }
  AudioTrackResult result = earlier;
  if (better.empty()) return result;
  if (const int error = ReplaceFrames(earlier.path, better); error != 0) {
    result.errnum = error;
    return result;
  }
  for (const auto& [frame, taken] : better) states[frame] = taken.first;
  result.frames.clear();
  result.framesUnread = result.framesUnrepaired = 0;
  for (uint64_t frame = 0; frame < states.size(); ++frame) Tally(result, frame, states[frame]);
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
