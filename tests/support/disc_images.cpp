// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_images.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "temp_dir.h"

extern char** environ;

namespace orlenta {

int RunTool(const std::vector<std::string>& argv) {
  return RunToolInto(argv, "/dev/null");
}

int RunToolInto(const std::vector<std::string>& argv, const std::string& stdoutPath) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveTool(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  for (std::size_t at = 0; at <= folders.size();) {
    const std::size_t end = std::min(folders.find(':', at), folders.size());
    if (::access((folders.substr(at, end - at) + "/" + program).c_str(), X_OK) == 0) return true;
    at = end + 1;
  }
  return false;
}

void WriteTree(const std::string& folder, const DiscTree& tree, int64_t mtime) {
  namespace fs = std::filesystem;
  for (const auto& [path, content] : tree) {
    const fs::path file = fs::path(folder) / path;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    const auto when =
        std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(mtime)));
    fs::last_write_time(file, when);
  }
}

std::string Pattern(std::size_t bytes, uint32_t seed) {
  std::string text(bytes, '\0');
  uint32_t value = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < bytes; ++i) {
    if (i % 4 == 0) value = value * 1664525u + 1013904223u;
    text[i] = static_cast<char>(value >> (8 * (i % 4)));
  }
  return text;
}

namespace {

constexpr int64_t kSessionTime = 1089806400;

bool AppendSession(const std::string& image, const std::string& folder,
                   const DiscSession& session) {
  std::vector<std::string> argv{"xorriso", "-dev", image, "-volid", "SESSIONS", "-joliet", "on"};
  for (const std::string& path : session.removed) argv.insert(argv.end(), {"-rm", path, "--"});
  argv.insert(argv.end(), {"-map", folder, "/", "-commit"});
  return RunTool(argv) == 0;
}

bool WriteSessionAfter(const std::string& image, const std::string& folder, uint32_t gap,
                       uint64_t& lastStart) {
  const std::string next = image + ".next";
  std::vector<std::string> argv{"genisoimage",    "-R",    "-J", "-V", "SESSIONS",
                                "-input-charset", "utf-8", "-o", next};
  std::vector<uint8_t> bytes = ReadFileBytes(image);
  const uint64_t start = bytes.empty() ? 0 : bytes.size() / 2048 + gap;
  if (!bytes.empty()) {
    argv.insert(argv.end(),
                {"-C", std::to_string(lastStart) + "," + std::to_string(start), "-M", image});
  }
  argv.push_back(folder);
  if (RunTool(argv) != 0) return false;
  const std::vector<uint8_t> session = ReadFileBytes(next);
  bytes.resize(start * 2048, 0);
  bytes.insert(bytes.end(), session.begin(), session.end());
  lastStart = start;
  return WriteFileBytes(image, bytes);
}

}  // namespace

std::vector<uint8_t> MultisessionImage(const std::string& tool,
                                       const std::vector<DiscSession>& sessions, uint32_t gap) {
  const TempDir dir;
  const std::string image = dir.File("disc.iso");
  uint64_t lastStart = 0;
  bool written = true;
  for (std::size_t i = 0; i < sessions.size() && written; ++i) {
    const std::string folder = dir.File("session" + std::to_string(i));
    std::filesystem::create_directories(folder);
    WriteTree(folder, sessions[i].files, kSessionTime);
    written = tool == "xorriso"
                  ? AppendSession(image, folder, sessions[i])
                  : sessions[i].removed.empty() && WriteSessionAfter(image, folder, gap, lastStart);
  }
  return written ? ReadFileBytes(image) : std::vector<uint8_t>{};
}

namespace {

void BothEndian32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    bytes[at + 7 - i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

std::string RecordBytes(const HandMadeIso::Record& record) {
  std::string name = record.name;
  std::size_t length = 33 + name.size() + (name.size() % 2 == 0 ? 1 : 0) + record.systemUse.size();
  std::vector<uint8_t> bytes(length, 0);
  bytes[0] = static_cast<uint8_t>(length);
  BothEndian32(bytes, 2, static_cast<uint32_t>(record.extent));
  BothEndian32(bytes, 10, record.size);
  bytes[18] = 104, bytes[19] = 7, bytes[20] = 14, bytes[21] = 12;  // 2004-07-14 12:00
  bytes[25] = record.flags;
  bytes[26] = record.unitBlocks;
  bytes[27] = record.gapBlocks;
  bytes[28] = 1, bytes[31] = 1;
  bytes[32] = static_cast<uint8_t>(name.size());
  std::memcpy(bytes.data() + 33, name.data(), name.size());
  std::memcpy(bytes.data() + length - record.systemUse.size(), record.systemUse.data(),
              record.systemUse.size());
  return {bytes.begin(), bytes.end()};
}

}  // namespace

HandMadeIso::HandMadeIso(uint32_t blocks) : bytes_(std::size_t{blocks} * 2048, 0) {}

void HandMadeIso::Describe(uint32_t rootBlock, uint32_t rootBlocks, const std::string& label) {
  DescribeSession(0, static_cast<uint32_t>(bytes_.size() / 2048), rootBlock, rootBlocks, label);
}

void HandMadeIso::DescribeSession(uint32_t start, uint32_t spaceBlocks, uint32_t rootBlock,
                                  uint32_t rootBlocks, const std::string& label) {
  const std::size_t at = (std::size_t{start} + 16) * 2048;
  uint8_t* pvd = bytes_.data() + at;
  pvd[0] = 1;
  std::memcpy(pvd + 1, "CD001", 5);
  pvd[6] = 1;
  std::memset(pvd + 40, ' ', 32);
  std::memcpy(pvd + 40, label.data(), std::min<std::size_t>(label.size(), 32));
  BothEndian32(bytes_, at + 80, spaceBlocks);
  pvd[128] = 0x00, pvd[129] = 0x08, pvd[130] = 0x08, pvd[131] = 0x00;
  const std::string root = RecordBytes({rootBlock, rootBlocks * 2048, 0x02, std::string(1, '\0')});
  std::memcpy(pvd + 156, root.data(), 34);
  uint8_t* end = pvd + 2048;
  end[0] = 255;
  std::memcpy(end + 1, "CD001", 5);
  end[6] = 1;
}

void HandMadeIso::Folder(uint32_t block, uint32_t blocks, uint32_t parentBlock,
                         const std::vector<Record>& records) {
  std::vector<Record> all{{block, blocks * 2048, 0x02, std::string(1, '\0')},
                          {parentBlock, 2048, 0x02, std::string(1, '\1')}};
  if (!records.empty() && records.front().name == std::string(1, '\0')) all.clear();
  all.insert(all.end(), records.begin(), records.end());
  std::size_t at = std::size_t{block} * 2048;
  for (const Record& record : all) {
    const std::string bytes = RecordBytes(record);
    if (at % 2048 + bytes.size() > 2048) at = (at / 2048 + 1) * 2048;
    if (at + bytes.size() > std::size_t{block + blocks} * 2048) break;
    std::memcpy(bytes_.data() + at, bytes.data(), bytes.size());
    at += bytes.size();
  }
}

void HandMadeIso::Put(uint32_t block, const std::string& bytes) {
  std::memcpy(bytes_.data() + std::size_t{block} * 2048, bytes.data(),
              std::min(bytes.size(), bytes_.size() - std::size_t{block} * 2048));
}

void HandMadeIso::PathTable(uint32_t block, const std::vector<PathEntry>& entries) {
  std::string table;
  for (const PathEntry& entry : entries) {
    const std::string name = entry.name.empty() ? std::string(1, '\0') : entry.name;
    table += static_cast<char>(name.size());
    table += '\0';
    for (int i = 0; i < 4; ++i) table += static_cast<char>(entry.block >> (8 * i));
    table += static_cast<char>(entry.parent & 0xFF);
    table += static_cast<char>(entry.parent >> 8);
    table += name;
    if (name.size() % 2 != 0) table += '\0';
  }
  Put(block, table);
  uint8_t* pvd = bytes_.data() + 16 * 2048;
  BothEndian32(bytes_, 16 * 2048 + 132, static_cast<uint32_t>(table.size()));
  for (int i = 0; i < 4; ++i) pvd[140 + i] = static_cast<uint8_t>(block >> (8 * i));
}

std::string RockRidgeName(const std::string& name) {
  std::string entry = "NM";
  entry += static_cast<char>(5 + name.size());
  entry += '\1';
  entry += '\0';
  return entry + name;
}

std::string RockRidgeStart() {
  return std::string("SP\7\1\xBE\xEF\0", 7);
}

}  // namespace orlenta
