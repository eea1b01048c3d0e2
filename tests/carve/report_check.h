// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orlenta {

// A parsed DFXML report and XPath queries over it, with the DFXML names bound to the
// prefixes d (core) and x (extensions).
class Report {
 public:
  explicit Report(const std::string& path);
  bool Parsed() const { return doc_ != nullptr; }
  const std::string& Path() const { return path_; }

  // The text of every node `xpath` selects (attributes included).
  std::vector<std::string> All(const std::string& xpath) const;
  // The text of the one node `xpath` selects; "<N nodes>" when it selects N ≠ 1.
  std::string One(const std::string& xpath) const;

 private:
  struct ContextFree {
    void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
  };
  std::string path_;
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc_;
  std::unique_ptr<xmlXPathContext, ContextFree> context_;
};

// What `xmllint --schema` says of the report at `path` against the DFXML schema; "" when it
// is valid.
std::string SchemaProblems(const std::string& path);

// The SHA-256 of the file at `path` as sha256sum gives it; "" when it cannot be run.
std::string Sha256Sum(const std::string& path);
// The digest `tool` (md5sum, sha1sum, sha256sum) gives of the file at `path`.
std::string DigestSum(const std::string& tool, const std::string& path);

// The bytes of a WAV file before its samples.
inline constexpr uint64_t kBytesBeforeSamples = 44;

// The bytes the byte runs of fileobject `object` (an XPath) stand for, taken from `image`
// (img_offset; each byte pair swapped back in a run marked byte_swapped) or filled (fill). The
// runs must follow each other from file offset `from`: gtest failures where they do not.
std::string BytesOfRuns(const Report& report, const std::string& object, const std::string& image,
                        uint64_t from = 0);

// Checks what a lab checks of a report, as gtest failures: every name (its escapes turned
// back into bytes, relative to the report's folder) is a file on disk, and the files named
// are exactly those of `folders`; each file's size and SHA-256 are its own; its byte runs,
// taken in order from `image` (img_offset) or filled (fill), give back its bytes (a WAV
// file's after its header); its MD5
// and SHA-1, where the report has them, are its own too.
void ExpectReportChecksOut(const Report& report, const std::vector<std::string>& folders,
                           const std::string& image);

}  // namespace orlenta
