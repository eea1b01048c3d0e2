// SPDX-License-Identifier: GPL-3.0-or-later
// orlenta-carve on a CD drive: the simulated drive (simulated_drive_preload) holding a disc
// of an audio track, a Mode 1 track and, in a second session, a Video CD style Mode 2 track.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "carve_runner.h"
#include "report_check.h"
#include "support/disc_images.h"
#include "support/raw_image.h"
#include "support/temp_dir.h"

namespace orlenta {
namespace {

constexpr uint64_t kAudioSectors = 150;
constexpr uint64_t kSpareSectors = 40;
constexpr uint64_t kFrames = 60;  // of each track of the music CD

// Sound for a disc: noise, as music is to the error correction, which lines reads up by
// their samples (a pattern repeating every few samples would line up anywhere).
std::vector<uint8_t> Noise(std::size_t bytes, uint32_t seed) {
  const std::string noise = Pattern(bytes, seed);
  return {noise.begin(), noise.end()};
}

class SimulatedDriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string photo = FileText(ORLENTA_SAMPLE_MEDIA "/photo1.jpg");
    const std::string mpeg = FileText(ORLENTA_SAMPLE_MEDIA "/clip.mpg");
    photo_.assign(photo.begin(), photo.end());
    mpeg_.assign(mpeg.begin(), mpeg.end());
    // Room after the photo for a scratch that spoils no file.
    dataSectors_ = (photo_.size() + 2047) / 2048 + kSpareSectors;
    secondStart_ = kAudioSectors + dataSectors_ + 11400;
    videoSectors_ = (mpeg_.size() + 2323) / 2324;
    // The disc as a raw image, sector N at N × 2,352; the sectors between sessions are holes.
    image_ = dir_.File("disc.raw");
    audio_ = Noise(kAudioSectors * 2352, 1);
    photo_.resize(dataSectors_ * 2048, 0);
    Place(0, audio_);
    Place(kAudioSectors, FrameRawSectors(photo_, RawMode::kMode1, kAudioSectors));
    video_ = FrameRawSectors(mpeg_, RawMode::kMode2Form2, secondStart_);
    Place(secondStart_, video_);
  }

  void Place(uint64_t sector, const std::vector<uint8_t>& raw) {
    std::fstream file(image_, std::ios::in | std::ios::out | std::ios::binary);
    if (!file) file.open(image_, std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(sector * 2352));
    file.write(reinterpret_cast<const char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
  }

  // The drive file describing the disc, with `extra` lines; without its second session
  // when `secondSession` is false.
  std::string Drive(const std::string& extra = "", bool secondSession = true) {
    const std::string path = dir_.File("sr0");
    std::ofstream drive(path);
    drive << "image " << image_ << "\n"
          << "track 1 1 audio 0 " << kAudioSectors << "\n"
          << "track 2 1 data " << kAudioSectors << " " << dataSectors_ << "\n";
    if (secondSession) drive << "track 3 2 data " << secondStart_ << " " << videoSectors_ << "\n";
    drive << "stats " << dir_.File("stats.txt") << "\n" << extra;
    return path;
  }

  // Starts a carve of `source` (under the simulated drive when `drive` is given) into
  // Out(label), with `args` before them.
  pid_t Start(const std::string& source, const std::string& label, const std::string& drive,
              std::vector<std::string> args) {
    args.insert(args.end(), {source, Out(label)});
    CarveLaunch launch;
    if (!drive.empty()) {
      launch.environment = Preloading(ORLENTA_SIMULATED_DRIVE);
      launch.environment.push_back("ORLENTA_SIMULATED_DRIVE=" + drive);
    }
    return StartCarve(Home(), args, dir_.File("stdout.txt"), launch);
  }

  // Carves `source` quietly, as Start does, and waits for it.
  int Carve(const std::string& source, const std::string& label, const std::string& drive,
            const std::vector<std::string>& more = {}) {
    std::vector<std::string> args{"--quiet"};
    args.insert(args.end(), more.begin(), more.end());
    return WaitForCarve(Start(source, label, drive, args));
  }

  // A music CD in the drive, with `music` as its three tracks of kFrames frames, and a
  // scratch over frames 30 and 31 of the second (disc sectors 90 and 91) unless `scratched`
  // is false. Returns the drive. The drive file ends with the lines `extra`.
  std::string MusicCd(const std::vector<uint8_t>& music, const std::string& extra = "",
                      bool scratched = true) {
    image_ = dir_.File("music.raw");
    Place(0, music);
    const std::string drive = dir_.File("music-drive");
    std::ofstream(drive) << "image " << image_ << "\n"
                         << "track 1 1 audio 0 60\ntrack 2 1 audio 60 60\ntrack 3 1 audio 120 60\n"
                         << (scratched ? "fail 90-91\n" : "") << "fail_ms 0\nstats "
                         << dir_.File("stats.txt") << "\n"
                         << extra;
    return drive;
  }

  std::map<std::string, uint64_t> Stats() {
    std::map<std::string, uint64_t> stats;
    std::ifstream file(dir_.File("stats.txt"));
    std::string key;
    for (uint64_t value = 0; file >> key >> value;) stats[key] = value;
    return stats;
  }

  std::string Home() const { return dir_.Path().string(); }
  std::string Out(const std::string& label) const { return dir_.File("out-" + label); }
  std::string Err() const { return FileText(dir_.File("stderr.txt")); }

  TempDir dir_;
  std::string image_;
  std::vector<uint8_t> photo_, mpeg_, video_, audio_;
  uint64_t dataSectors_ = 0, secondStart_ = 0, videoSectors_ = 0;
};

std::string Text(const std::vector<uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}

TEST_F(SimulatedDriveTest, BothSessionsAreCarvedAndTheGapBetweenThemIsNeverRead) {
  ASSERT_EQ(Carve(Drive(), "drive", Drive(), {"--exact", "--no-audio", "--speed", "4"}), 0)
      << Err();
  const auto files = CarvedFiles(Out("drive"));
  ASSERT_EQ(files.size(), 2u) << Err();
  EXPECT_EQ(files.at("1REC.jpg"), FileText(ORLENTA_SAMPLE_MEDIA "/photo1.jpg"));
  EXPECT_EQ(files.at("1REC.mpg"), Text(mpeg_));
  const std::string err = Err();
  EXPECT_NE(err.find("Track 1: audio, sectors 0-149 (session 1)"), std::string::npos) << err;
  EXPECT_NE(err.find("Track 3: Mode 2 data, sectors " + std::to_string(secondStart_)),
            std::string::npos)
      << err;
  auto stats = Stats();
  const std::string told = FileText(dir_.File("stats.txt"));
  EXPECT_GT(stats["block_reads"], 0u) << told;
  EXPECT_GT(stats["raw_reads"], 0u) << told;
  EXPECT_EQ(stats["gap_reads"], 0u) << told;
  EXPECT_EQ(stats["failed_reads"], 0u) << told;
  EXPECT_EQ(stats["speed"], 4u) << told;
}

TEST_F(SimulatedDriveTest, AVideoCdFromTheDriveGivesTheFilesOfItsImage) {
  // The same Mode 2 track as a BIN and its cue sheet, as a ripping tool writes them.
  std::ofstream(dir_.File("vcd.bin"), std::ios::binary)
      .write(reinterpret_cast<const char*>(video_.data()),
             static_cast<std::streamsize>(video_.size()));
  std::ofstream(dir_.File("vcd.cue")) << "FILE \"vcd.bin\" BINARY\n  TRACK 01 MODE2/2352\n"
                                         "    INDEX 01 00:00:00\n";
  ASSERT_EQ(Carve(dir_.File("vcd.cue"), "image", ""), 0) << Err();
  ASSERT_EQ(Carve(Drive(), "drive", Drive(), {"--no-audio"}), 0) << Err();
  // Each raw read is a command a drive may spend a revolution on: the track's sectors are
  // looked at once in the run to learn their forms (not at every open of the drive), then
  // read once, the first one and at most one more asked twice.
  EXPECT_LE(Stats()["raw_reads"], 2 * videoSectors_ + 2) << FileText(dir_.File("stats.txt"));
  const auto fromImage = CarvedFiles(Out("image"));
  auto fromDrive = CarvedFiles(Out("drive"));
  fromDrive.erase("1REC.jpg");  // the drive's disc holds a photo besides
  ASSERT_EQ(fromImage.size(), 1u);
  EXPECT_EQ(fromDrive, fromImage);
}

TEST_F(SimulatedDriveTest, ABadSectorCostsOneFailingReadOfManyAndOneByItself) {
  // The drive's 2,048-byte reads give back the sectors before a bad one, then fail at it:
  // the read that met it, the read that asks on from there to learn why it stopped short,
  // and the sector by itself. Never a read of the rest once one has stopped short.
  const uint64_t bad = kAudioSectors + dataSectors_ - kSpareSectors + 4;
  const std::string drive =
      Drive("fail " + std::to_string(bad) + "-" + std::to_string(bad) + "\nfail_ms 0\n", false);
  ASSERT_EQ(Carve(drive, "bad", drive, {"--no-audio"}), 0) << Err();
  EXPECT_NE(Err().find("Sectors unreadable: 1"), std::string::npos) << Err();
  EXPECT_EQ(Stats()["failed_reads"], 3u) << FileText(dir_.File("stats.txt"));
}

TEST_F(SimulatedDriveTest, ATableOfContentsThatCannotBeReadFallsBackToTheCapacityAndSaysSo) {
  // One session: read by capacity, each sector between sessions would be tried.
  const std::string drive = Drive("toc unreadable\nfail_ms 0\n", false);
  ASSERT_EQ(Carve(drive, "no-toc", drive, {"--no-audio"}), 0) << Err();
  EXPECT_NE(Err().find("table of contents cannot be read"), std::string::npos) << Err();
  EXPECT_EQ(CarvedFiles(Out("no-toc")).count("1REC.jpg"), 1u);
}

TEST_F(SimulatedDriveTest, EachTrackOfAScratchedMusicCdBecomesAWavWithItsDamageCounted) {
  const std::vector<uint8_t> music = Noise(3 * kFrames * 2352, 2);
  struct Case {
    const char* what;
    std::string driveLines;  // more of the drive file
    std::vector<std::string> args;
    std::string told;       // the second track's line in the summary
    const char* reads;      // the drive's reads that took the audio
    const char* notReads;   // and those that took none
    const char* countedAs;  // the report's count of the scratch
  };
  const Case cases[] = {
      {"through the error correction",
       "",
       {},
       "Track 02.wav, 2 frames could not be repaired",
       "packet_reads",
       "audio_reads",
       "frames_unrepaired"},
      {"with the drive's plain reads",
       "",
       {"--no-paranoia"},
       "Track 02.wav, 2 frames unreadable (silence)",
       "audio_reads",
       "packet_reads",
       "frames_unreadable"},
      // libcdio opens only CD-ROM devices: the plain reads step in, and the run says so.
      {"from a drive libcdio cannot open",
       "major 8\n",
       {},
       "Track 02.wav, 2 frames unreadable (silence)",
       "audio_reads",
       "packet_reads",
       "frames_unreadable"},
  };
  const std::string uncorrected =
      "Audio: read without error correction, as libcdio could not open the drive";
  int run = 0;
  for (const Case& c : cases) {
    const std::string drive = MusicCd(music, c.driveLines);
    const std::string label = "music" + std::to_string(++run);
    std::vector<std::string> args{"--report", dir_.File(label + ".xml")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ASSERT_EQ(Carve(drive, label, drive, args), 0) << c.what << Err();
    const auto files = CarvedFiles(Out(label));
    ASSERT_EQ(files.size(), 3u) << c.what;
    for (uint64_t track = 0; track < 3; ++track) {
      std::string expected(
          music.begin() + static_cast<std::ptrdiff_t>(track * kFrames * 2352),
          music.begin() + static_cast<std::ptrdiff_t>((track + 1) * kFrames * 2352));
      if (track == 1) std::fill_n(expected.begin() + 30 * 2352, 2 * 2352, '\0');
      const std::string wav = files.at("Track 0" + std::to_string(track + 1) + ".wav");
      ASSERT_EQ(wav.size(), 44 + expected.size()) << c.what;
      EXPECT_TRUE(wav.substr(44) == expected) << c.what << ", track " << track + 1;
    }
    const std::string err = Err();
    EXPECT_NE(err.find(c.told), std::string::npos) << c.what << err;
    EXPECT_EQ(err.find("Track 01.wav,"), std::string::npos) << c.what << err;
    // Said once in the run, not once per track; not when the plain reads were asked for.
    const std::size_t said = err.find(uncorrected);
    EXPECT_EQ(said != std::string::npos, !c.driveLines.empty()) << c.what << err;
    if (said != std::string::npos) {
      EXPECT_EQ(err.find(uncorrected, said + 1), std::string::npos) << c.what << err;
    }
    // The failing reads lowered the drive's speed, as the data's do.
    EXPECT_NE(err.find("Drive speed: lowered to"), std::string::npos) << c.what << err;
    auto stats = Stats();
    EXPECT_GT(stats[c.reads], 0u) << c.what;
    EXPECT_EQ(stats[c.notReads], 0u) << c.what;
    EXPECT_GT(stats["speeds"], 0u) << c.what;
    const Report report(dir_.File(label + ".xml"));
    const std::string entry = "//d:fileobject/x:audio_track[@number='2']/@";
    EXPECT_EQ(report.One(entry + c.countedAs), "2") << c.what;
    EXPECT_EQ(report.One("//d:fileobject/x:audio_track[@number='1']/@frames_unrepaired"), "0");
    EXPECT_EQ(SchemaProblems(report.Path()), "") << c.what;
  }
}

TEST_F(SimulatedDriveTest, TheErrorCorrectionKeepsTheDrivesByteOrderWhateverTheMusicSoundsLike) {
  // A drive gives its samples little-endian; guessed from the sound instead, noise (or a
  // quiet track) could come out with every sample's bytes the other way round.
  image_ = dir_.File("one-track.raw");
  const std::string drive = dir_.File("one-track-drive");
  std::ofstream(drive) << "image " << image_ << "\ntrack 1 1 audio 0 " << kFrames << "\n";
  for (uint32_t seed = 10; seed < 16; ++seed) {
    const std::vector<uint8_t> music = Noise(kFrames * 2352, seed);
    Place(0, music);
    const std::string label = "order" + std::to_string(seed);
    ASSERT_EQ(Carve(drive, label, drive), 0) << seed << Err();
    const std::string wav = CarvedFiles(Out(label)).at("Track 01.wav");
    EXPECT_TRUE(wav.substr(44) == Text(music)) << "seed " << seed;
  }
}

TEST_F(SimulatedDriveTest, EveryWavIsInTheReportWithTheDiscBytesItsSamplesCameFrom) {
  const std::vector<uint8_t> music = Noise(3 * kFrames * 2352, 3);
  const std::string drive = MusicCd(music);
  // The same tracks as a cue sheet's files, as a ripping tool writes them: one BIN of
  // little-endian samples, and its copy with each sample's bytes the other way round.
  std::vector<uint8_t> swapped = music;
  for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
  std::ofstream(dir_.File("music-be.raw"), std::ios::binary)
      .write(reinterpret_cast<const char*>(swapped.data()),
             static_cast<std::streamsize>(swapped.size()));
  const auto cue = [this](const std::string& name, const std::string& file, const char* order) {
    std::ofstream(dir_.File(name)) << "FILE \"" << file << "\" " << order << "\n"
                                   << "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                   << "  TRACK 02 AUDIO\n    INDEX 01 00:00:60\n"
                                   << "  TRACK 03 AUDIO\n    INDEX 01 00:01:45\n";
    return dir_.File(name);
  };
  struct Case {
    const char* what;
    std::string source;
    bool inDrive;
    std::vector<std::string> args;
    std::string disc;  // the bytes the report's img_offsets point into
  };
  const Case cases[] = {
      {"a drive, through the error correction", drive, true, {}, image_},
      {"a drive, with its plain reads", drive, true, {"--no-paranoia"}, image_},
      {"a drive, its rescue kept in an image", drive, true, {"--image", dir_.File("img")}, image_},
      {"a cue sheet's BIN", cue("le.cue", "music.raw", "BINARY"), false, {}, image_},
      {"a cue sheet's big-endian file",
       cue("be.cue", "music-be.raw", "MOTOROLA"),
       false,
       {},
       dir_.File("music-be.raw")},
  };
  int run = 0;
  for (const Case& c : cases) {
    const std::string label = "wav" + std::to_string(++run);
    const std::string reportPath = dir_.File(label + ".xml");
    std::vector<std::string> args{"--report", reportPath};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ASSERT_EQ(Carve(c.source, label, c.inDrive ? drive : "", args), 0) << c.what << Err();
    const auto files = CarvedFiles(Out(label));
    const Report report(reportPath);
    ASSERT_TRUE(report.Parsed()) << c.what;
    EXPECT_EQ(SchemaProblems(reportPath), "") << c.what;
    EXPECT_EQ(report.All("//d:fileobject/x:audio_track").size(), 3u) << c.what;
    const std::string disc = FileText(c.disc);
    for (int track = 1; track <= 3; ++track) {
      const std::string name = "Track 0" + std::to_string(track) + ".wav";
      const std::string object =
          "//d:fileobject[x:audio_track/@number='" + std::to_string(track) + "']";
      EXPECT_EQ(report.One(object + "/d:filename"), "out-" + label + "/" + name) << c.what;
      // The header is the program's own; every sample byte is the disc's, or silence
      // (fill) where the drive gave nothing.
      const std::string wav = files.at(name);
      EXPECT_TRUE(BytesOfRuns(report, object, disc, kBytesBeforeSamples) == wav.substr(44))
          << c.what << ", " << name;
    }
  }
}

TEST_F(SimulatedDriveTest, TheRunSaysItIsDoneOnlyOnceItsRetriesAndItsMusicAreRead) {
  // A bad sector in the photo's track, tried again by the retry passes, and two in the
  // music, whose failing reads lower the drive's speed once more (8x after the data's, then
  // 4x) as the music is read.
  const uint64_t bad = kAudioSectors + dataSectors_ - kSpareSectors + 4;
  struct Case {
    const char* what;
    std::vector<std::string> args;
    int failMs;
    const char* stopAfter;  // a line after which the run is stopped
    int status;
    std::vector<std::string> before;  // lines told before the closing words, in order
    const char* closing;
    bool music;  // the WAV written
  };
  const Case cases[] = {
      {"a plain run", {}, 0, nullptr, 0, {"lowered to 4x"}, "Process completed!", true},
      {"a rescue with retries",
       {"--image", dir_.File("img-retries"), "--retries", "2"},
       0,
       nullptr,
       0,
       {"Retry pass 1 of 2", "Retry pass 2 of 2", "lowered to 4x"},
       "Process completed!",
       true},
      // Each pass costs the bad sector's slow failing read: the stop comes inside them.
      {"a rescue stopped during its retries",
       {"--image", dir_.File("img-stopped"), "--retries", "200"},
       50,
       "Retry pass 3 of 200",
       130,
       {"Retry pass 3 of 200"},
       "Recovery process aborted!",
       false},
  };
  int run = 0;
  for (const Case& c : cases) {
    const std::string drive =
        Drive("fail 40-41\nfail " + std::to_string(bad) + "-" + std::to_string(bad) + "\nfail_ms " +
                  std::to_string(c.failMs) + "\n",
              false);
    const std::string label = "end" + std::to_string(++run);
    const pid_t pid = Start(drive, label, drive, c.args);
    if (c.stopAfter) {
      for (int wait = 0; wait < 3000 && Err().find(c.stopAfter) == std::string::npos; ++wait) {
        usleep(10000);
      }
      kill(pid, SIGINT);
    }
    ASSERT_EQ(WaitForCarveAtMost(pid, 120), c.status) << c.what << Err();
    const std::string err = Err();
    const std::size_t closing = err.find(c.closing);
    ASSERT_NE(closing, std::string::npos) << c.what << err;
    std::size_t at = 0;
    for (const std::string& line : c.before) {
      at = err.find(line, at);
      EXPECT_LT(at, closing) << c.what << ": " << line << "\n" << err;
    }
    // Told once, and the summary after it.
    EXPECT_EQ(err.find(c.closing, closing + 1), std::string::npos) << c.what << err;
    EXPECT_EQ(err.find("Process completed!") == std::string::npos, c.status != 0) << c.what << err;
    EXPECT_GT(err.find("Sectors scanned:"), closing) << c.what << err;
    EXPECT_EQ(CarvedFiles(Out(label)).count("Track 01.wav"), c.music ? 1u : 0u) << c.what;
  }
}

TEST_F(SimulatedDriveTest, ARescueThatGoesOnWritesNoTrackTwiceAndMendsTheDamagedOnes) {
  const std::vector<uint8_t> music = Noise(3 * kFrames * 2352, 4);
  // The samples of track `number`; of the second as the scratch left it with `damaged`.
  const auto samples = [&music](int number, bool damaged = false) {
    const auto from = music.begin() + static_cast<std::ptrdiff_t>((number - 1) * kFrames * 2352);
    std::string bytes(from, from + static_cast<std::ptrdiff_t>(kFrames * 2352));
    if (damaged) std::fill_n(bytes.begin() + 30 * 2352, 2 * 2352, '\0');
    return bytes;
  };
  const std::string edited = "edited since";
  struct Case {
    const char* what;
    const char* scratchNow;         // the drive's failing sectors on the second run
    std::vector<std::string> args;  // of the second run
    const char* editedFile;         // changed by the user between the runs
    // The WAV files after the second run: the track each holds ("2!" damaged), or "edited".
    std::map<std::string, std::string> wavs;
    std::string told;                     // in the summary
    std::map<int, std::string> reported;  // the report's file of each track
    const char* unrepaired;               // the report's count of track 2's
  };
  const std::map<int, std::string> all = {
      {1, "Track 01.wav"}, {2, "Track 02.wav"}, {3, "Track 03.wav"}};
  const Case cases[] = {
      {"the scratch still fails",
       "fail 90-91\n",
       {},
       nullptr,
       {{"Track 01.wav", "1"}, {"Track 02.wav", "2!"}, {"Track 03.wav", "3"}},
       "Track 01.wav, kept from an earlier run\n  Track 2: audio, sectors 60-119 (session 1), "
       "Track 02.wav, read again, no frame better, 2 frames could not be repaired",
       all,
       "2"},
      // Read again from the track's start: put down inside the scratch, the error
      // correction would never come back.
      {"the scratch grew since",
       "fail 80-91\n",
       {},
       nullptr,
       {{"Track 01.wav", "1"}, {"Track 02.wav", "2!"}, {"Track 03.wav", "3"}},
       "Track 02.wav, read again, no frame better, 2 frames could not be repaired",
       all,
       "2"},
      {"the scratch reads now",
       "",
       {},
       nullptr,
       {{"Track 01.wav", "1"}, {"Track 02.wav", "2"}, {"Track 03.wav", "3"}},
       "Track 02.wav, mended\n",
       all,
       "0"},
      {"the damaged track's file changed since",
       "",
       {},
       "Track 02.wav",
       {{"Track 01.wav", "1"},
        {"Track 02.wav", "edited"},
        {"Track 02.mended.wav", "2"},
        {"Track 03.wav", "3"}},
       "Track 02.mended.wav, mended beside the file changed since\n",
       {{1, "Track 01.wav"}, {2, "Track 02.mended.wav"}, {3, "Track 03.wav"}},
       "0"},
      {"a whole track's file changed since",
       "fail 90-91\n",
       {},
       "Track 01.wav",
       {{"Track 01.wav", "edited"}, {"Track 02.wav", "2!"}, {"Track 03.wav", "3"}},
       "Track 01.wav, changed since an earlier run wrote it, left as it is\n",
       {{2, "Track 02.wav"}, {3, "Track 03.wav"}},
       "2"},
      {"no music asked for the second time",
       "",
       {"--no-audio"},
       nullptr,
       {{"Track 01.wav", "1"}, {"Track 02.wav", "2!"}, {"Track 03.wav", "3"}},
       "Track 2: audio, sectors 60-119 (session 1), not written",
       all,
       "2"},
  };
  int run = 0;
  for (const Case& c : cases) {
    const std::string label = "goes-on" + std::to_string(++run);
    const std::string reportPath = dir_.File(label + ".xml");
    const std::vector<std::string> rescue{"--image", dir_.File(label + ".img"), "--report",
                                          reportPath};
    const std::string scratched = MusicCd(music);
    ASSERT_EQ(Carve(scratched, label, scratched, rescue), 0) << c.what << Err();
    const uint64_t firstReads = Stats()["packet_reads"];
    if (c.editedFile) std::ofstream(Out(label) + "/" + c.editedFile, std::ios::binary) << edited;
    const std::string drive = MusicCd(music, c.scratchNow, false);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--image", dir_.File(label + ".img"), "--report", reportPath});
    ASSERT_EQ(WaitForCarveAtMost(Start(drive, label, drive, args), 60), 0) << c.what << Err();
    const std::string err = Err();
    EXPECT_NE(err.find(c.told), std::string::npos) << c.what << err;
    // Only the damaged track is read again, not three: one clean track takes 15 reads, the
    // scratch's two failing frames about 700 as the error correction tries them.
    const std::string scratch = c.scratchNow;
    if (scratch != "fail 80-91\n") {
      EXPECT_LT(Stats()["packet_reads"], scratch.empty() ? 20 : firstReads * 2 / 3) << c.what;
    }
    // Each file by what it holds.
    std::map<std::string, std::string> wavs = CarvedFiles(Out(label));
    wavs.erase("rescue-record.tsv");
    for (auto& [name, bytes] : wavs) {
      std::string holds = bytes == edited ? "edited" : "other";
      for (const char* track : {"1", "2", "2!", "3"}) {
        if (bytes.size() > 44 && bytes.substr(44) == samples(track[0] - '0', track[1] == '!')) {
          holds = track;
        }
      }
      bytes = holds;
    }
    EXPECT_EQ(wavs, c.wavs) << c.what;
    // The report tells every track as its file now holds it, earlier runs' included.
    const Report report(reportPath);
    ASSERT_TRUE(report.Parsed()) << c.what;
    EXPECT_EQ(SchemaProblems(reportPath), "") << c.what;
    EXPECT_EQ(report.All("//d:fileobject/x:audio_track").size(), c.reported.size()) << c.what;
    for (const auto& [number, name] : c.reported) {
      const std::string object =
          "//d:fileobject[x:audio_track/@number='" + std::to_string(number) + "']";
      EXPECT_EQ(report.One(object + "/d:filename"), "out-" + label + "/" + name) << c.what;
      EXPECT_TRUE(BytesOfRuns(report, object, FileText(image_), kBytesBeforeSamples) ==
                  FileText(Out(label) + "/" + name).substr(44))
          << c.what << ", " << name;
    }
    EXPECT_EQ(report.One("//d:fileobject/x:audio_track[@number='2']/@frames_unrepaired"),
              c.unrepaired)
        << c.what;
  }
}

TEST_F(SimulatedDriveTest, ReadErrorsLowerTheDrivesSpeedAndTheRunSaysSo) {
  struct Case {
    const char* what;
    uint64_t badSectors;  // after the photo
    std::vector<std::string> args;
    std::optional<uint64_t> speedCalls;  // all of them lowerings; not counted with --speed
    std::vector<int> lowered;
  };
  const Case cases[] = {
      {"a clean disc", 0, {}, 0, {}},
      {"one bad sector", 1, {}, 1, {8}},
      {"a long scratch: the first failure, the ninth and the seventeenth", 27, {}, 3, {8, 4, 2}},
      {"a long scratch, from a speed asked", 27, {"--speed", "16"}, std::nullopt, {8, 4, 2}},
  };
  const uint64_t scratch = kAudioSectors + dataSectors_ - kSpareSectors + 4;
  for (const Case& c : cases) {
    const std::string failing = c.badSectors == 0
                                    ? ""
                                    : "fail " + std::to_string(scratch) + "-" +
                                          std::to_string(scratch + c.badSectors - 1) + "\n";
    const std::string drive = Drive(failing + "fail_ms 0\n", false);
    std::vector<std::string> args{"--no-audio"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ASSERT_EQ(Carve(drive, "speed", drive, args), 0) << c.what << Err();
    EXPECT_EQ(CarvedFiles(Out("speed")).count("1REC.jpg"), 1u) << c.what;
    auto stats = Stats();
    if (c.speedCalls) {
      EXPECT_EQ(stats["speeds"], *c.speedCalls) << c.what;
    }
    EXPECT_EQ(stats["speed"], c.lowered.empty() ? 0u : uint64_t(c.lowered.back())) << c.what;
    const std::string err = Err();
    std::size_t at = 0;
    for (const int speed : c.lowered) {
      at = err.find("read errors: the drive's speed is lowered to " + std::to_string(speed) + "x",
                    at);
      EXPECT_NE(at, std::string::npos) << c.what << err;
    }
    const bool summarised = !c.lowered.empty() &&
                            err.find("Drive speed: lowered to " + std::to_string(c.lowered.back()) +
                                     "x after read errors") != std::string::npos;
    EXPECT_EQ(summarised, !c.lowered.empty()) << c.what << err;
    EXPECT_EQ(err.find("Drive speed:") != std::string::npos, !c.lowered.empty()) << c.what << err;
    std::filesystem::remove_all(Out("speed"));
  }
}

}  // namespace
}  // namespace orlenta
