// SPDX-License-Identifier: GPL-3.0-or-later
#include "dfxml_report.h"

#include <libxml/xmlversion.h>
#include <openssl/crypto.h>
#include <sys/utsname.h>

#include <cerrno>

namespace orlenta {
namespace {

constexpr const char* kDfxmlNamespace =
    "http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML";
// Where DFXML keeps what its core elements have no place for.
constexpr const char* kExtensionNamespace =
    "http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML#extensions";

std::string Number(uint64_t value) {
  return std::to_string(value);
}

std::string Compiler() {
#if defined(__clang__)
  return std::string("clang ") + __clang_version__;
#elif defined(__GNUC__)
  return std::string("GCC ") + __VERSION__;
#else
  return "unknown";
#endif
}

}  // namespace

std::string IsoTime(std::time_t when) {
  std::tm utc{};
  gmtime_r(&when, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

DfxmlReport::~DfxmlReport() {
  xml_.reset();
  if (file_) std::fclose(file_);
}

bool DfxmlReport::Begin(const std::string& reportPath, const ReportSource& source,
                        const std::string& commandLine, std::time_t start) {
  // Never over an existing file: the path may well name the image being carved, or an
  // earlier run's report.
  file_ = std::fopen(reportPath.c_str(), "wbx");
  if (!file_) {
    error_ = errno;
    return false;
  }
  layout_ = source.layout;
  start_ = start;
  xml_ = std::make_unique<XmlWriter>(file_);
  xml_->Start("dfxml");
  xml_->Attribute("xmlns", kDfxmlNamespace);
  xml_->Attribute("xmlns:dc", "http://purl.org/dc/elements/1.1/");
  xml_->Attribute("xmlns:dfxmlext", kExtensionNamespace);
  xml_->Attribute("version", "1.2.0");
  xml_->Start("metadata");
  xml_->Element("dc:type", "Carve Report");
  xml_->End();
  WriteCreator(commandLine);
  WriteSource(source);
  xml_->Flush();
  std::fflush(file_);
  return true;
}

void DfxmlReport::WriteCreator(const std::string& commandLine) {
  xml_->Start("creator");
  xml_->Attribute("version", "1.0");
  xml_->Element("program", "orlenta-carve");
  xml_->Element("version", ORLENTA_VERSION);
  xml_->Start("build_environment");
  xml_->Element("compiler", Compiler() + " (" ORLENTA_BUILD_TYPE ")");
  xml_->Start("library");
  xml_->Attribute("name", "libxml2");
  xml_->Attribute("version", LIBXML_DOTTED_VERSION);
  xml_->End();
  xml_->Start("library");
  xml_->Attribute("name", "OpenSSL");
  xml_->Attribute("version", OpenSSL_version(OPENSSL_VERSION_STRING));
  xml_->End();
  xml_->End();
  xml_->Start("execution_environment");
  struct utsname system {};
  if (::uname(&system) == 0) {
    xml_->Element("os_sysname", system.sysname);
    xml_->Element("os_release", system.release);
    xml_->Element("arch", system.machine);
  }
  xml_->Element("command_line", commandLine);
  xml_->Element("start_time", IsoTime(start_));
  xml_->End();
  xml_->End();
}

void DfxmlReport::WriteSource(const ReportSource& source) {
  xml_->Start("source");
  xml_->Element("image_filename", source.path);
  // A cue sheet's track is read from the data file it names; the byte runs point into that.
  if (source.layout.dataPath != source.path) {
    xml_->Element("image_filename", source.layout.dataPath);
  }
  xml_->Element("dfxmlext:image_size", Number(source.imageBytes));
  xml_->Element("dfxmlext:sector_size", Number(source.layout.sectorSize));
  xml_->Element("dfxmlext:sector_count", Number(source.layout.sectorCount));
  if (source.layout.rawMode != RawMode::kNone) {
    xml_->Start("dfxmlext:raw_mode");
    xml_->Attribute("bytes_per_raw_sector", Number(source.layout.stride));
    xml_->Attribute("data_offset", Number(source.layout.dataOffset));
    xml_->Text(RawModeName(source.layout.rawMode));
    xml_->End();
  }
  xml_->End();
}

void DfxmlReport::FileStarted(const std::string& path, FileKind, uint64_t firstSector) {
  path_ = path;
  firstSector_ = firstSector;
  bytes_ = 0;
  hash_.Reset();
}

void DfxmlReport::BytesWritten(std::span<const uint8_t> bytes) {
  hash_.Update(bytes);
  bytes_ += bytes.size();
}

void DfxmlReport::FileEnded(bool written) {
  if (!xml_) return;
  if (written) {
    WriteFileObject();
  } else {
    ++filesNotWritten_;
  }
  // Each file's entry reaches the disk when the file ends, so a run that dies (killed, the
  // power gone) leaves a report of every file it finished.
  xml_->Flush();
  std::fflush(file_);
}

void DfxmlReport::WriteFileObject() {
  xml_->Start("fileobject");
  xml_->Element("filename", path_);
  xml_->Element("filesize", Number(bytes_));
  xml_->Start("byte_runs");
  WriteByteRuns(bytes_ / layout_.sectorSize);
  xml_->End();
  xml_->Start("hashdigest");
  xml_->Attribute("type", "sha256");
  xml_->Text(hash_.HexDigest());
  xml_->End();
  xml_->End();
}

void DfxmlReport::WriteByteRuns(uint64_t sectors) {
  // One run per stretch of the image whose bytes follow each other: the whole file in a
  // plain image, one run per sector where framing lies between the sectors' data.
  uint64_t fileOffset = 0;
  for (uint64_t s = 0; s < sectors;) {
    const uint64_t image = layout_.ImageOffset(firstSector_ + s);
    uint64_t run = 1;
    while (s + run < sectors &&
           layout_.ImageOffset(firstSector_ + s + run) == image + run * layout_.sectorSize) {
      ++run;
    }
    const uint64_t length = run * layout_.sectorSize;
    xml_->Start("byte_run");
    xml_->Attribute("file_offset", Number(fileOffset));
    xml_->Attribute("img_offset", Number(image));
    xml_->Attribute("len", Number(length));
    xml_->End();
    fileOffset += length;
    s += run;
  }
}

bool DfxmlReport::Finish(const ReportRunEnd& end) {
  if (!xml_) return false;
  xml_->Start("dfxmlext:run");
  xml_->Element("dfxmlext:start_time", IsoTime(start_));
  xml_->Element("dfxmlext:end_time", IsoTime(end.end));
  xml_->Element("dfxmlext:outcome", end.completed ? "completed" : "aborted");
  xml_->Element("dfxmlext:sectors_scanned", Number(end.sectorsScanned));
  xml_->Element("dfxmlext:sectors_unreadable", Number(end.sectorsUnreadable));
  xml_->Element("dfxmlext:files_not_written", Number(filesNotWritten_));
  xml_->End();
  bool whole = xml_->Finish();
  xml_.reset();
  if (std::ferror(file_)) whole = false;
  if (std::fclose(file_) != 0 && error_ == 0) error_ = errno;
  file_ = nullptr;
  return whole && error_ == 0;
}

}  // namespace orlenta
