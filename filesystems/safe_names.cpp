// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_names.h"

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

struct NamedTree::Folder {
  std::string spelling;  // as first taken
  // The folders and the files taken in it, by their folded names. A file keeps no more than
  // its folded name: a disc may list a hundred thousand of them.
  std::unordered_map<std::string, std::unique_ptr<Folder>> folders;
  std::unordered_set<std::string> files;
  // For each name wanted more than once, by its folded form, the next number to try: a
  // folder of thousands of files of one name takes them in one step each, not thousands.
  std::unordered_map<std::string, int> nextNumber;

  bool Taken(const std::string& folded) const {
    return files.contains(folded) || folders.contains(folded);
  }

  // The name `wanted` or the first free numbered form of it, taken for a file (or a new
  // folder when `folder`).
  std::string Take(const std::string& wanted, Folder** folder) {
    std::string name = wanted;
    std::string folded = Folded(name);
    if (Taken(folded)) {
      int& next = nextNumber.try_emplace(std::move(folded), 2).first->second;
      do {
        name = Numbered(wanted, next++);
        folded = Folded(name);
      } while (Taken(folded));
    }
    if (!folder) {
      files.insert(std::move(folded));
      return name;
    }
    auto made = std::make_unique<Folder>();
    made->spelling = name;
    *folder = made.get();
    folders.emplace(std::move(folded), std::move(made));
    return name;
  }
};

NamedTree::NamedTree() : root_(std::make_unique<Folder>()) {}
NamedTree::~NamedTree() = default;

std::string NamedTree::Place(const std::vector<std::string>& path, std::string_view mark) {
  std::string placed;
  Folder* folder = root_.get();
  for (std::size_t i = 0; i < path.size(); ++i) {
    const std::string name = SafeName(path[i]);
    if (!placed.empty()) placed += '/';
    if (i + 1 == path.size()) {
      placed += folder->Take(mark.empty() ? name : Suffixed(name, mark), nullptr);
      break;
    }
    const auto found = folder->folders.find(Folded(name));
    if (found != folder->folders.end()) {
      // The same folder again: the spelling it was first taken under stays.
      placed += found->second->spelling;
      folder = found->second.get();
      continue;
    }
    placed += folder->Take(name, &folder);
  }
  return placed;
}

std::string NamedTree::Place(const ListedPath& path, std::string_view mark) {
  return Place(path.Names(), mark);
}

}  // namespace orlenta
