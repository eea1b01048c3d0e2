// SPDX-License-Identifier: GPL-3.0-or-later
#include "listing_merge.h"

#include <algorithm>

namespace orlenta {

std::string ListingMerge::FoldedPath(const ListedPath& path) {
  std::string folded = PathText(path);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

void ListingMerge::CutAtVolumeEnd(ListedFile& file) {
  bool cut = false;
  for (FileExtent& extent : file.extents) {
    if (extent.offset >= volumeBytes_) {
      extent.length = 0;
      cut = true;
    } else if (extent.length > volumeBytes_ - extent.offset) {
      extent.length = volumeBytes_ - extent.offset;
      cut = true;
    }
  }
  if (!cut) return;
  std::erase_if(file.extents, [](const FileExtent& extent) { return extent.length == 0; });
  file.suspect = true;
  listing_.problems.push_back(PathText(file.path) +
                              ": its data runs past the end of the volume; cut");
}

void ListingMerge::AddLink(ListedLink link) {
  // An older session's link a newer one notes already is the same link.
  if (!links_.insert(FoldedPath(link.path)).second && session_ != 0) return;
  listing_.links.push_back(std::move(link));
}

uint64_t ListingMerge::DataHash(const ListedFile& file) {
  return file.extents.front().offset * 1000003u ^ file.size;
}

bool ListingMerge::SameData(const ListedFile& a, const ListedFile& b) {
  return !a.extents.empty() && !b.extents.empty() &&
         a.extents.front().offset == b.extents.front().offset && a.size == b.size;
}

std::optional<uint32_t> ListingMerge::FindSame(const ListedFile& file) const {
  if (!file.extents.empty()) {
    return byData_.Find(DataHash(file),
                        [&](uint32_t index) { return SameData(listing_.files[index], file); });
  }
  const std::string folded = FoldedPath(file.path);
  return emptyByPath_.Find(FoldedHash(folded), [&](uint32_t index) {
    const ListedFile& listed = listing_.files[index];
    return listed.extents.empty() && FoldedPath(listed.path) == folded;
  });
}

void ListingMerge::Remember(uint32_t index) {
  const ListedFile& file = listing_.files[index];
  if (!file.extents.empty()) {
    byData_.Add(index, DataHash(file),
                [&](uint32_t other) { return DataHash(listing_.files[other]); });
  } else {
    emptyByPath_.Add(index, FoldedHash(FoldedPath(file.path)), [&](uint32_t other) {
      return FoldedHash(FoldedPath(listing_.files[other].path));
    });
  }
}

void ListingMerge::Add(ListedFile file, int copy) {
  // A copy without Rock Ridge shows a link as an empty file.
  if (file.extents.empty() && (skipEmpty_ || links_.contains(FoldedPath(file.path)))) return;
  CutAtVolumeEnd(file);
  file.olderSession = session_;
  // An empty file has no data to know it by; its copies share its path, in any case.
  const std::optional<uint32_t> same = FindSame(file);
  if (same) {
    // A newer session lists this data already, under the name it has now.
    if (sessionOf_[*same] != session_) return;
    if (copyOf_[*same] != copy) {
      ListedFile& kept = listing_.files[*same];
      if (file.nameSource > kept.nameSource) {
        file.suspect = file.suspect || kept.suspect;
        kept = std::move(file);
      }
      return;
    }
  }
  const auto index = static_cast<uint32_t>(listing_.files.size());
  listing_.files.push_back(std::move(file));
  copyOf_.push_back(copy);
  sessionOf_.push_back(session_);
  // Of several files of one key in one copy (hard links), the first stands for them.
  if (!same) Remember(index);
}

void ListingMerge::AddIfUnlisted(ListedFile file) {
  CutAtVolumeEnd(file);
  if (file.extents.empty() || FindSame(file)) return;
  file.olderSession = session_;
  const auto index = static_cast<uint32_t>(listing_.files.size());
  listing_.files.push_back(std::move(file));
  copyOf_.push_back(-1);
  sessionOf_.push_back(session_);
  Remember(index);
}

void ListingMerge::MarkOverlaps() {
  struct Span {
    uint64_t begin;
    uint64_t end;
    std::size_t file;
  };
  std::vector<Span> spans;
  for (std::size_t i = 0; i < listing_.files.size(); ++i) {
    for (const FileExtent& extent : listing_.files[i].extents) {
      spans.push_back({extent.offset, extent.offset + extent.length, i});
    }
  }
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.begin < b.begin; });
  auto sameData = [&](std::size_t a, std::size_t b) {
    const ListedFile& x = listing_.files[a];
    const ListedFile& y = listing_.files[b];
    return x.size == y.size && x.extents.size() == y.extents.size() &&
           std::equal(x.extents.begin(), x.extents.end(), y.extents.begin(),
                      [](const FileExtent& p, const FileExtent& q) {
                        return p.offset == q.offset && p.length == q.length;
                      });
  };
  std::size_t reach = 0;  // the span reaching furthest so far
  for (std::size_t i = 1; i < spans.size(); ++i) {
    const Span& widest = spans[reach];
    if (spans[i].begin < widest.end && spans[i].file != widest.file &&
        !sameData(spans[i].file, widest.file)) {
      listing_.files[spans[i].file].suspect = true;
      listing_.files[widest.file].suspect = true;
    }
    if (spans[i].end > widest.end) reach = i;
  }
}

}  // namespace orlenta
