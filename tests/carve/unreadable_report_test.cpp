// SPDX-License-Identifier: GPL-3.0-or-later
// A report of a run over a volume with sectors that cannot be read: the files hold zeros
// there, and the report must say so with fill runs, so that its runs still give back every
// file and its SHA-256.
#include <gtest/gtest.h>

#include <filesystem>

#include "dfxml_report.h"
#include "engine/recovery_run.h"
#include "report_check.h"
#include "source_digest.h"
#include "support/memory_volume.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/volume_bytes.h"

namespace orlenta {
namespace {

class UnreadableReportTest : public EngineTest {
 protected:
  // Carves `bytes` with `failing` sectors unreadable, with a report and the source's
  // digest; the image the runs point into is written as image.iso.
  void Carve(const std::vector<uint8_t>& bytes, const std::vector<uint64_t>& failing) {
    ASSERT_TRUE(WriteFileBytes(Image(), bytes));
    auto volume = std::make_shared<MemoryVolume>(bytes);
    for (const uint64_t sector : failing) volume->FailSector(sector);
    MemoryVolumeSource volumes;
    volumes.Assign('E', volume);
    std::filesystem::create_directories(Folder());
    RecordingHost host;
    host.outputFolder = Folder() + "/";
    SectorLayout layout;
    layout.dataPath = Image();
    layout.sectorCount = bytes.size() / 2048;
    DfxmlReport report;
    ASSERT_TRUE(report.Begin(ReportPath(), {Image(), layout, bytes.size()}, "test", 0));
    RecoveryRun run(volumes, host);
    run.SetCarveObserver(&report);
    SourceDigest digest;
    run.SetVolumeReadObserver(&digest);
    ASSERT_EQ(run.RunRecovery(), RunOutcome::kCompleted);
    ReportRunEnd end;
    end.completed = true;
    end.sourceHashAsked = true;
    end.sourceDigests = digest.Digest(bytes.size() / 2048);
    end.sourceBytesHashed = digest.BytesHashed();
    ASSERT_TRUE(report.Finish(end));
  }

  std::string Image() const { return dir_.File("image.iso"); }
  std::string Folder() const { return dir_.File("out"); }
  std::string ReportPath() const { return dir_.File("out/report.xml"); }

  TempDir dir_;
};

TEST_F(UnreadableReportTest, UnreadableSectorsAreFillRunsAndTheRunsHashBack) {
  // A JPEG from sector 2 with two unreadable sectors in its middle, a PNG from 20 with one
  // unreadable sector as its last, and unreadable sectors between the files' headers.
  std::vector<uint8_t> bytes = BuildVolume(30, {{2, kJpeg}, {20, kPng}});
  Carve(bytes, {5, 6, 10, 29});
  const Report report(ReportPath());
  ExpectReportChecksOut(report, {Folder()}, Image());
  EXPECT_EQ(report.All("//d:fileobject").size(), 2u);
  EXPECT_EQ(report.All("//d:byte_run[@fill='0']/@len"),
            (std::vector<std::string>{"4096", "2048", "2048"}));

  // The source's digest covers the zeros the run got for the sectors it could not read.
  for (const uint64_t sector : {5, 6, 10, 29}) {
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(sector * 2048), 2048, uint8_t{0});
  }
  ASSERT_TRUE(WriteFileBytes(dir_.File("as-read.iso"), bytes));
  EXPECT_EQ(report.One("//x:source_digest/d:hashdigest"), Sha256Sum(dir_.File("as-read.iso")));
}

}  // namespace
}  // namespace orlenta
