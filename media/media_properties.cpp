// SPDX-License-Identifier: GPL-3.0-or-later
#include "media_properties.h"

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

MediaFigures QueryMediaFigures(VolumeSource& volumes, char driveLetter) {
  const std::unique_ptr<Volume> volume = volumes.Open(driveLetter);
  if (!volume) return {};
  return {volume->SectorCount(), volume->SectorSize()};
}

std::vector<std::string> MediaPropertyLines(const MediaFigures& figures, int language) {
  if (figures.CapacityKb() == 0) return {std::string(PickText(NotReadyText, language))};
  // The figures are written out in full: a 32-bit "%d" would wrap on a medium of 2 TB.
  return {
      FormatText(PickText(CapacityText, language), std::to_string(figures.CapacityKb())),
      FormatText(PickText(SectorCountText, language), std::to_string(figures.sectorCount)),
      FormatText(PickText(BytesPerSectorText, language), std::to_string(figures.bytesPerSector)),
  };
}

}  // namespace orlenta
