// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_rescue.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace orlenta {
namespace {

namespace fs = std::filesystem;

// Runs kept of one drive in one folder, at most; past it, no image is kept.
constexpr int kMostRuns = 999;

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

std::string WholeText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

DriveRescue::~DriveRescue() = default;

RescuePlan DriveRescue::PlanNumbered(int number) const {
  std::string set = (fs::path(folder_) / "rescue-").string() + letter_;
  if (number > 1) set += "-" + std::to_string(number);
  RescuePlan plan;
  plan.image = set + ".img";
  plan.mapfile = plan.image + ".map";
  plan.folder = folder_;
  plan.record = set + ".tsv";
  plan.stem = stem_;
  plan.commandLine = "orlenta";
  return plan;
}

bool DriveRescue::Look(char letter, const std::string& path, const std::string& folder,
                       const std::string& stem, const Describe& describe) {
  rescue_.reset();
  notes_.clear();
  stoppedUnread_.reset();
  latest_ = 0;
  letter_ = letter;
  path_ = path;
  folder_ = folder;
  stem_ = stem;
  // An image file is its own image already; a disc in a drive is kept.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) return false;
  layout_ = describe(path);
  if (!layout_ || !SectorsAreSourceBytes(*layout_, path)) return false;
  for (int number = 1; number <= kMostRuns; ++number) {
    const RescuePlan plan = PlanNumbered(number);
    if (Exists(plan.image) || Exists(plan.mapfile) || Exists(plan.record)) latest_ = number;
  }
  if (latest_ == 0) return true;
  // The last run kept is gone on with only when it was stopped before it had tried every
  // sector, and when it is the image of a disc of this one's size.
  const RescuePlan plan = PlanNumbered(latest_);
  std::error_code error;
  const uint64_t bytes = layout_->sectorCount * layout_->sectorSize;
  if (fs::file_size(plan.image, error) != bytes || error) return true;
  const std::optional<std::vector<SectorState>> states =
      ParseRescueMapfile(WholeText(plan.mapfile), layout_->sectorCount, layout_->sectorSize);
  if (!states) return true;
  const auto untried = std::count(states->begin(), states->end(), SectorState::kSkipped);
  const auto bad = std::count(states->begin(), states->end(), SectorState::kBad);
  if (untried > 0) stoppedUnread_ = static_cast<uint64_t>(untried + bad);
  return true;
}

bool DriveRescue::Begin(bool goOn) {
  const int number = goOn && stoppedUnread_ ? latest_ : latest_ + 1;
  if (number > kMostRuns) {
    Problem(folder_ + ": holds " + std::to_string(kMostRuns) + " images of this drive already");
    return false;
  }
  RescueMessages& messages = *this;
  auto rescue = std::make_unique<ImageRescue>(PlanNumbered(number), messages);
  if (!rescue->TakesSource(*layout_, path_) || !rescue->OpenRecord() ||
      !rescue->Open(*layout_, drives_)) {
    return false;
  }
  rescue_ = std::move(rescue);
  return true;
}

uint64_t DriveRescue::End(bool stopped) {
  if (!rescue_) return 0;
  rescue_->TakeInScan(stopped);
  rescue_->Keep();
  const uint64_t unread = rescue_->SectorsUnread();
  rescue_.reset();
  return unread;
}

std::unique_ptr<Volume> DriveRescue::Open(char driveLetter) {
  return rescue_ ? rescue_->Volumes().Open(driveLetter) : drives_.Open(driveLetter);
}

void DriveRescue::Problem(const std::string& what) {
  notes_.push_back({Note::What::kProblem, what});
}

void DriveRescue::FilesTaken(Taken how, const std::vector<std::string>& paths) {
  const Note::What what = how == Taken::kAdded ? Note::What::kAdded : Note::What::kMended;
  for (const std::string& path : paths) notes_.push_back({what, path});
}

}  // namespace orlenta
