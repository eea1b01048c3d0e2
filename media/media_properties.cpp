// SPDX-License-Identifier: GPL-3.0-or-later
#include "media_properties.h"

#include <cstdio>
#include <memory>

#include "engine/recovery_run.h"

namespace orlenta {

const LocalizedText CapacityText = {
    "",
    "Capacity %d KB",
    "Capacité %d KB",
    "Kapazität %d KB",
    "Capienza %d KB",
    "Capacidad %d KB",
    "Capacitate %d KB",
};

const LocalizedText SectorCountText = {
    "",
    "Number of sectors %d ",
    "Nombre de secteurs %d ",
    "Zahl der Sektoren %d ",
    "Numero di settori %d ",
    "Número de sectores %d ",
    "Numarul de sectoare %d ",
};

const LocalizedText BytesPerSectorText = {
    "",
    "Bytes per sector %d ",
    "Bytes par secteur %d ",
    "Bytes pro Sektor %d ",
    "Byte per il settore %d ",
    "Octetos por sector %d ",
    "Bytes per sector %d ",
};

const LocalizedText AudioCdText = {
    "",
    "Audio CD, %d tracks",
    "CD audio, %d pistes",
    "Audio-CD, %d Titel",
    "CD audio, %d tracce",
    "CD de audio, %d pistas",
    "CD audio, %d piese",
};

const LocalizedText AudioTracksText = {
    "",
    "Audio tracks %d",
    "Pistes audio %d",
    "Audiotitel %d",
    "Tracce audio %d",
    "Pistas de audio %d",
    "Piese audio %d",
};

const LocalizedText AudioLengthText = {
    "", "Length %s", "Durée %s", "Länge %s", "Durata %s", "Duración %s", "Durata %s",
};

namespace {

// "M:SS" of `sectors` of a music CD, 75 to the second.
std::string PlayingTime(uint64_t sectors) {
  const uint64_t seconds = sectors / 75;
  char text[32];
  std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                static_cast<unsigned long long>(seconds % 60));
  return text;
}

}  // namespace

MediaFigures QueryMediaFigures(VolumeSource& volumes, char driveLetter) {
  const std::unique_ptr<Volume> volume = volumes.Open(driveLetter);
  if (!volume) return {};
  return {volume->SectorCount(), volume->SectorSize(), volume->Tracks()};
}

std::vector<std::string> MediaPropertyLines(const MediaFigures& figures, int language) {
  if (figures.CapacityKb() == 0) return {std::string(PickText(NotReadyText, language))};
  uint64_t audioTracks = 0, audioSectors = 0;
  for (const MediumTrack& track : figures.tracks) {
    if (!track.audio) continue;
    ++audioTracks;
    audioSectors += track.sectorCount;
  }
  const std::string length =
      FormatText(PickText(AudioLengthText, language), PlayingTime(audioSectors));
  if (audioTracks > 0 && audioTracks == figures.tracks.size()) {
    return {FormatText(PickText(AudioCdText, language), std::to_string(audioTracks)), length};
  }
  // The figures are written out in full: a 32-bit "%d" would wrap on a medium of 2 TB.
  std::vector<std::string> lines = {
      FormatText(PickText(CapacityText, language), std::to_string(figures.CapacityKb())),
      FormatText(PickText(SectorCountText, language), std::to_string(figures.sectorCount)),
      FormatText(PickText(BytesPerSectorText, language), std::to_string(figures.bytesPerSector)),
  };
  if (audioTracks > 0) {
    lines.push_back(FormatText(PickText(AudioTracksText, language), std::to_string(audioTracks)));
    lines.push_back(length);
  }
  return lines;
}

}  // namespace orlenta
