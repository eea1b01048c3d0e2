// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/volume.h"

namespace orlenta {

// How a disc image frames its sectors. A raw image keeps every 2,352 bytes a CD carries per
// sector (sync, header, error correction); only part of them is the data a file was made of.
enum class RawMode {
  kNone,        // plain: the image holds only the data
  kMode1,       // 2,048 data bytes after a 16-byte sync and header
  kMode2Form1,  // 2,048 data bytes after the header and an 8-byte subheader
  kMode2Form2,  // 2,324 data bytes after the header and subheader (Video CD MPEG)
  kMode2,       // each sector's form from its own subheader: Form 1 or Form 2, as above
};

// "Mode 1", "Mode 2 Form 1", "Mode 2 Form 2", "Mode 2"; "" for kNone.
const char* RawModeName(RawMode mode);

// What holds the sectors: a file or device read as it is, an evidence container whose
// segments hold the acquired medium (compressed, with its own record of errors), or a raw
// image split into segments (.001, .002, …) that are its bytes one after another.
enum class Container { kNone, kExpertWitness, kSplitRaw };

// "Expert Witness (EWF)", "split raw image"; "" for kNone.
const char* ContainerName(Container container);

// A hash of the acquired medium as the container's maker stored it.
struct StoredHash {
  std::string algorithm;  // "md5", "sha1"
  std::string hex;        // lower-case hexadecimal digits
};

// Where the sectors of a volume lie in the file that holds them. Sector s of the volume is
// `sectorSize` bytes at ImageOffset(s) of `dataPath`. In a kMode2 image a Form 1 sector has
// only 2,048 of its 2,324 bytes there; in a container, ImageOffset is the offset in the
// acquired medium.
struct DiscTrack;

struct SectorLayout {
  std::string dataPath;     // the image itself, or the data file a cue sheet names
  uint64_t firstByte = 0;   // where the first sector (with its framing) starts in that file
  uint32_t stride = 2048;   // bytes from one sector to the next in the file
  uint32_t dataOffset = 0;  // bytes of framing before the data in each sector
  uint32_t sectorSize = 2048;
  uint64_t sectorCount = 0;
  RawMode rawMode = RawMode::kNone;
  bool mostlyForm2 = false;  // kMode2: the form of a sector whose subheader is unreadable
  Container container = Container::kNone;
  std::vector<StoredHash> storedHashes;  // of the container's medium; empty when none
  // A split raw image's segments in order, `dataPath` the first; empty for anything else.
  std::vector<std::string> segments;
  // Read as raw sectors because the user asked, though no sector sampled carries the sync
  // pattern: most likely a plain image.
  bool forcedWithoutSync = false;
  // What the user should hear of how the source is read ("" when nothing): a drive whose
  // table of contents cannot be read, read by its capacity instead.
  std::string note;
  // A disc in a drive (`dataPath` the device), read with the drive's own commands.
  bool inDrive = false;
  // A disc of several tracks (a cue sheet's, a drive's): the volume is the whole disc,
  // numbered as the disc numbers its sectors, and each data track's sectors lie where its
  // own layout says. Empty for a volume of one stretch of sectors.
  std::vector<DiscTrack> tracks;

  // The byte of `dataPath` (of the track's data file on a disc) where the data of `sector`
  // begins.
  uint64_t ImageOffset(uint64_t sector) const;
  // The data track holding `sector` on a disc; nullptr outside every data track, or when the
  // volume is not a disc.
  const DiscTrack* DataTrackAt(uint64_t sector) const;
  // True when the sectors' data follow each other without framing between them.
  bool Contiguous() const { return stride == sectorSize; }
};

// What a track of a disc holds.
enum class TrackKind { kData, kAudio };

// One track of a disc: where it lies on the disc (in the disc's own sector numbers) and
// where its sectors lie in the file or drive that holds them.
struct DiscTrack {
  int number = 0;   // 1 to 99
  int session = 1;  // 1 for the first session
  TrackKind kind = TrackKind::kData;
  uint64_t firstSector = 0;  // on the disc
  uint64_t sectorCount = 0;
  // Data: its framing, sector 0 being the track's first. Audio: 2,352-byte frames of
  // 16-bit stereo samples.
  SectorLayout layout;
  bool bigEndianAudio = false;  // audio samples stored most significant byte first
  std::string title;            // the disc's own title of the track, when it has one

  uint64_t EndSector() const { return firstSector + sectorCount; }
};

// Every track of `disc`, as the engine lists a medium's tracks.
std::vector<MediumTrack> MediumTracks(const SectorLayout& disc);

// "Track 2: Mode 1 data, sectors 150-5149 (session 1)" and the like.
std::string DescribeTrack(const DiscTrack& track);

}  // namespace orlenta
