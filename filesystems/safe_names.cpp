// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_names.h"

#include <algorithm>
#include <unordered_set>

namespace orlenta {
namespace {

// The length of the UTF-8 sequence at `at`, or 0 when it is not a valid one.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  uint32_t code = 0;
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return 0;
  return length;
}

// `name` cut to at most `limit` bytes on a character boundary.
std::string CutUtf8(const std::string& name, std::size_t limit) {
  if (name.size() <= limit) return name;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

std::string Shortened(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  const bool keepExtension = dot != std::string::npos && dot > 0 && name.size() - dot <= 16;
  if (!keepExtension) return CutUtf8(name, kMaxSafeNameBytes);
  const std::string extension = name.substr(dot);
  return CutUtf8(name.substr(0, dot), kMaxSafeNameBytes - extension.size()) + extension;
}

std::string Folded(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// `name` with `suffix` before its extension.
std::string Suffixed(const std::string& name, std::string_view suffix) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name + std::string(suffix);
  return name.substr(0, dot) + std::string(suffix) + name.substr(dot);
}

// `name` with " (n)" before its extension.
std::string Numbered(const std::string& name, int n) {
  return Suffixed(name, " (" + std::to_string(n) + ")");
}

}  // namespace

std::string OlderSessionMark(uint32_t olderSession) {
  return olderSession == 0 ? "" : " (session " + std::to_string(olderSession) + ")";
}

std::string DeletedMark(bool deleted) {
  return deleted ? " (deleted)" : "";
}

std::string SafeName(std::string_view raw) {
  std::string safe;
  for (std::size_t at = 0; at < raw.size();) {
    const std::size_t length = Utf8Length(raw, at);
    const auto byte = static_cast<unsigned char>(raw[at]);
    if (length == 0 || byte < 0x20 || byte == 0x7F || byte == '/' || byte == '\\') {
      safe += '_';
      at += length == 0 ? 1 : length;
      continue;
    }
    safe.append(raw.substr(at, length));
    at += length;
  }
  if (safe.empty()) return "_";
  if (safe == "." || safe == "..") return "_" + safe;
  return Shortened(safe);
}

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

// Numbers tried for one wanted name before the next one to try is remembered: a folder of
// thousands of files of one name then takes them in one step each, while names that clash
// only a few times cost no memory.
constexpr int kTriesBeforeRemembering = 8;

}  // namespace

std::string_view PlacedNames::Name(std::size_t file) const {
  const std::size_t begin = file == 0 ? 0 : nameEnds[file - 1];
  return std::string_view(names).substr(begin, nameEnds[file] - begin);
}

std::string PlacedNames::Path(std::size_t file) const {
  return folders[folderOf[file]] + std::string(Name(file));
}

struct NamedTree::Folder {
  uint32_t number = 0;
  // The folders in it, by the folded name the disc gives them (which they may not have
  // taken, when a file took it first).
  std::unordered_map<std::string, std::unique_ptr<Folder>> folders;
  // The folded names its folders took.
  std::unordered_set<std::string> folderNames;
  // For a name wanted many times, by its folded form, the next number to try.
  std::unordered_map<std::string, int> nextNumber;
};

NamedTree::NamedTree() : root_(std::make_unique<Folder>()) {
  placed_.folders.emplace_back();
}
NamedTree::~NamedTree() = default;

void NamedTree::Reserve(std::size_t files, std::size_t nameBytes) {
  placed_.names.reserve(nameBytes);
  placed_.nameEnds.reserve(files);
  placed_.folderOf.reserve(files);
}

bool NamedTree::Taken(const Folder& folder, const std::string& folded) const {
  return folder.folderNames.contains(folded) ||
         FindFile(folder.number, folded) != placed_.nameEnds.size();
}

std::size_t NamedTree::FindFile(uint32_t folder, std::string_view folded) const {
  return files_
      .Find(FoldedHash(folded, folder),
            [&](uint32_t file) {
              return placed_.folderOf[file] == folder && SameFolded(placed_.Name(file), folded);
            })
      .value_or(placed_.nameEnds.size());
}

void NamedTree::AddFile(uint32_t folder, const std::string& name) {
  placed_.names += name;
  placed_.nameEnds.push_back(static_cast<uint32_t>(placed_.names.size()));
  placed_.folderOf.push_back(folder);
  files_.Add(static_cast<uint32_t>(placed_.nameEnds.size() - 1), FoldedHash(name, folder),
             [&](uint32_t file) { return FoldedHash(placed_.Name(file), placed_.folderOf[file]); });
}

// `wanted`, or the first free numbered form of it.
std::string NamedTree::FreeName(Folder& folder, const std::string& wanted) {
  const std::string folded = Folded(wanted);
  if (!Taken(folder, folded)) return wanted;
  auto& nextNumber = folder.nextNumber;
  const auto remembered = nextNumber.find(folded);
  int next = remembered == nextNumber.end() ? 2 : remembered->second;
  std::string name;
  int tries = 0;
  do {
    name = Numbered(wanted, next++);
    ++tries;
  } while (Taken(folder, Folded(name)));
  if (remembered != nextNumber.end()) {
    remembered->second = next;
  } else if (tries >= kTriesBeforeRemembering) {
    nextNumber.emplace(folded, next);
  }
  return name;
}

NamedTree::Folder& NamedTree::FolderOf(const std::vector<std::string>& path) {
  Folder* folder = root_.get();
  for (std::size_t i = 0; i + 1 < path.size(); ++i) {
    const std::string name = SafeName(path[i]);
    auto& child = folder->folders[Folded(name)];
    if (!child) {
      const std::string taken = FreeName(*folder, name);
      folder->folderNames.insert(Folded(taken));
      child = std::make_unique<Folder>();
      child->number = static_cast<uint32_t>(placed_.folders.size());
      placed_.folders.push_back(placed_.folders[folder->number] + taken + "/");
    }
    folder = child.get();
  }
  return *folder;
}

std::string NamedTree::Place(const std::vector<std::string>& path, std::string_view mark) {
  Folder& folder = FolderOf(path);
  const std::string name = SafeName(path.empty() ? std::string_view() : path.back());
  const std::string taken = FreeName(folder, mark.empty() ? name : Suffixed(name, mark));
  AddFile(folder.number, taken);
  return placed_.folders[folder.number] + taken;
}

std::string NamedTree::Place(const ListedPath& path, std::string_view mark) {
  return Place(path.Names(), mark);
}

PlacedNames NamedTree::TakePlaced() {
  PlacedNames placed = std::move(placed_);
  placed_ = PlacedNames{};
  placed_.folders.emplace_back();
  root_ = std::make_unique<Folder>();
  files_ = IndexTable();
  return placed;
}

}  // namespace orlenta
