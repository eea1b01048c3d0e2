// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_filter.h"

#include <algorithm>
#include <cctype>

#include "picture_size.h"

namespace orlenta {
namespace {

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "jpeg" for "JPEG (other)", "mpeg" for "MPEG-2 / VOB", "gif87a" for "GIF87a".
std::string FirstWord(const std::string& name) {
  const auto end =
      std::find_if(name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) == 0; });
  return Lowered(std::string(name.begin(), end));
}

}  // namespace

bool FamilyNamesKind(const std::string& family, int kind) {
  if (family.empty()) return false;
  const std::string word = FirstWord(FileKindName(kind));
  if (family == word || "." + family == FileKindExtension(kind)) return true;
  // A version after the family's name ("gif" for GIF87a).
  const bool letters = std::all_of(family.begin(), family.end(),
                                   [](unsigned char c) { return std::isalpha(c) != 0; });
  return letters && family.size() >= 3 && word.size() > family.size() && word.starts_with(family) &&
         std::isdigit(static_cast<unsigned char>(word[family.size()])) != 0;
}

std::array<bool, kKindSlots> FileFilter::AllKinds() {
  std::array<bool, kKindSlots> all{};
  all.fill(true);
  return all;
}

std::string FileFilter::KeepFamilies(const std::vector<std::string>& families) {
  std::array<bool, kKindSlots> kept{};
  for (const std::string& given : families) {
    const std::string family = Lowered(given);
    bool named = false;
    for (int kind = 1; kind <= kAllKindCount; ++kind) {
      if (FamilyNamesKind(family, kind)) kept[kind] = named = true;
    }
    if (!named) return given.empty() ? "\"\"" : given;
  }
  kinds_ = kept;
  return "";
}

void FileFilter::KeepPicturesFrom(uint32_t width, uint32_t height) {
  minWidth_ = width;
  minHeight_ = height;
}

bool FileFilter::KeepsAtStart(FileKind kind, std::span<const uint8_t> header) const {
  if (kind <= kNoHeader || static_cast<std::size_t>(kind) >= kKindSlots || !kinds_[kind]) {
    return false;
  }
  if (minWidth_ == 0 && minHeight_ == 0) return true;
  const std::optional<PictureSize> size = PictureSizeOf(kind, header);
  return !size || (size->width >= minWidth_ && size->height >= minHeight_);
}

}  // namespace orlenta
