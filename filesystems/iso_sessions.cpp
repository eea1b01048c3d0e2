// SPDX-License-Identifier: GPL-3.0-or-later
#include "iso_sessions.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "iso_record.h"

namespace orlenta {
namespace {

constexpr uint64_t kDescriptorsAt = 16;
constexpr uint64_t kMaxDescriptors = 256;
// A CD holds 99 sessions at most; a probe costs one block read.
constexpr std::size_t kMaxSessions = 99;
constexpr std::size_t kMaxProbes = 1024;
// A rewritable disc (or an image file) written in sessions begins its first one here,
// keeping blocks 0 to 31 for a copy of the last session's descriptors.
constexpr uint64_t kFirstAppendedSession = 32;
// The blocks a CD leaves after its first session and after each later one (lead-out,
// lead-in and the pregap of the next track).
constexpr uint64_t kFirstSessionGap = 11400;
constexpr uint64_t kLaterSessionGap = 6900;

bool IsDescriptor(const BlockReader::Block& block) {
  return std::memcmp(block.data() + 1, "CD001", 5) == 0;
}

bool IsJolietEscape(const BlockReader::Block& block) {
  return block[88] == 0x25 && block[89] == 0x2F &&
         (block[90] == 0x40 || block[90] == 0x43 || block[90] == 0x45);
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

IsoTree TreeOf(const BlockReader::Block& descriptor, bool joliet) {
  const auto bytes = std::span(descriptor);
  IsoTree tree;
  tree.joliet = joliet;
  if (const auto root = ParseIsoRecord(bytes.subspan(156, 34))) {
    tree.rootExtent = root->extent;
    tree.rootSize = root->size;
  }
  tree.pathTableSize = Le32(bytes, 132);
  tree.pathTableBlock = Le32(bytes, 140);
  return tree;
}

// The block that tells one session from another: its root, which every session writes anew.
uint64_t RootOf(const IsoSession& session) {
  return session.primary ? session.primary->rootExtent : session.joliet->rootExtent;
}

// The descriptor set of the session beginning at `start`, when one is there. A session
// whose root lies before its own descriptors is not one (a disc image stored as a file).
std::optional<IsoSession> ReadSession(BlockReader& blocks, uint64_t start) {
  IsoSession session;
  session.start = start;
  std::string jolietLabel;
  for (uint64_t i = 0; i < kMaxDescriptors; ++i) {
    const BlockReader::Block* block = blocks.Read(start + kDescriptorsAt + i);
    if (!block) {
      if (i == 0) return std::nullopt;
      continue;
    }
    if (!IsDescriptor(*block) || (*block)[0] == 255) break;
    if ((*block)[0] == 1 && !session.primary) {
      session.primary = TreeOf(*block, false);
      session.spaceBlocks = Le32(std::span(*block), 80);
      session.label = Trimmed(std::string(reinterpret_cast<const char*>(block->data() + 40), 32));
    } else if ((*block)[0] == 2 && !session.joliet && IsJolietEscape(*block)) {
      session.joliet = TreeOf(*block, true);
      if (!session.primary) session.spaceBlocks = Le32(std::span(*block), 80);
      jolietLabel = Trimmed(Utf16BeToUtf8(std::span(*block).subspan(40, 32)));
    }
  }
  if (!session.primary && !session.joliet) return std::nullopt;
  if (session.label.empty()) session.label = jolietLabel;
  const uint64_t root = RootOf(session);
  if (root <= start + kDescriptorsAt || root >= blocks.BlockCount()) return std::nullopt;
  return session;
}

uint64_t RoundedUp(uint64_t block, uint64_t step) {
  return (block + step - 1) / step * step;
}

// Where a session after `session` may begin. Its size counts from the disc's start in some
// writers and from the session's own start in others; both ends are tried.
std::vector<uint64_t> NextStarts(const IsoSession& session) {
  std::vector<uint64_t> ends{session.start + session.spaceBlocks};
  if (session.spaceBlocks > session.start) ends.push_back(session.spaceBlocks);
  const uint64_t gap = session.start == 0 ? kFirstSessionGap : kLaterSessionGap;
  std::vector<uint64_t> starts;
  for (const uint64_t end : ends) {
    starts.insert(starts.end(), {end, RoundedUp(end, 16), RoundedUp(end, 32), end + gap});
  }
  return starts;
}

}  // namespace

std::vector<IsoSession> FindIsoSessions(BlockReader& blocks,
                                        std::span<const uint64_t> trackStarts) {
  std::vector<uint64_t> toProbe(trackStarts.rbegin(), trackStarts.rend());
  toProbe.insert(toProbe.end(), {kFirstAppendedSession, 0});
  std::set<uint64_t> probed;
  std::vector<IsoSession> found;
  while (!toProbe.empty() && probed.size() < kMaxProbes && found.size() < kMaxSessions * 2) {
    const uint64_t start = toProbe.back();
    toProbe.pop_back();
    if (start >= blocks.BlockCount() || !probed.insert(start).second) continue;
    std::optional<IsoSession> session = ReadSession(blocks, start);
    if (!session) continue;
    for (const uint64_t next : NextStarts(*session)) {
      if (next > start) toProbe.push_back(next);
    }
    found.push_back(std::move(*session));
  }
  // One session per root: a copy of the last one's descriptors at the disc's start adds
  // nothing, unless the session's own are lost.
  std::stable_sort(found.begin(), found.end(),
                   [](const IsoSession& a, const IsoSession& b) { return RootOf(a) < RootOf(b); });
  std::vector<IsoSession> sessions;
  for (IsoSession& session : found) {
    if (!sessions.empty() && RootOf(sessions.back()) == RootOf(session)) {
      if (!sessions.back().joliet && session.joliet) sessions.back() = std::move(session);
      continue;
    }
    sessions.push_back(std::move(session));
  }
  // Beyond a CD's count, the newest are kept.
  if (sessions.size() > kMaxSessions) {
    sessions.erase(sessions.begin(), sessions.end() - kMaxSessions);
  }
  for (std::size_t i = 0; i < sessions.size(); ++i)
    sessions[i].number = static_cast<uint32_t>(i + 1);
  return sessions;
}

}  // namespace orlenta
