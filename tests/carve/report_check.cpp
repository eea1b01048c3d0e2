// SPDX-License-Identifier: GPL-3.0-or-later
#include "report_check.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpathInternals.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "carve_runner.h"
#include "xml_text.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

const xmlChar* X(const char* text) {
  return reinterpret_cast<const xmlChar*>(text);
}

// The path in single quotes for the shell, whatever it holds.
std::string ShellQuoted(const std::string& path) {
  std::string quoted = "'";
  for (const char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string BytesOfRuns(const Report& report, const std::string& object, const std::string& image,
                        uint64_t from) {
  std::string bytes;
  const std::size_t runs = report.All(object + "/d:byte_runs/d:byte_run").size();
  for (std::size_t r = 1; r <= runs; ++r) {
    const std::string run = object + "/d:byte_runs/d:byte_run[" + std::to_string(r) + "]";
    EXPECT_EQ(report.One(run + "/@file_offset"), std::to_string(from + bytes.size())) << run;
    const uint64_t length = std::stoull(report.One(run + "/@len"));
    const auto fill = report.All(run + "/@fill");
    if (!fill.empty()) {
      EXPECT_TRUE(report.All(run + "/@img_offset").empty()) << run;
      bytes.append(length, static_cast<char>(std::stoi(fill[0])));
      continue;
    }
    std::string piece = image.substr(std::stoull(report.One(run + "/@img_offset")), length);
    if (report.One(run + "/@x:byte_swapped") == "1") {
      for (std::size_t i = 0; i + 1 < piece.size(); i += 2) std::swap(piece[i], piece[i + 1]);
    }
    bytes += piece;
  }
  return bytes;
}

// What `xmllint --schema` says of the report against the DFXML schema the report declares
// (1.2.0, kept beside the tests); "" when it is valid.
std::string SchemaProblems(const std::string& path) {
  const std::string command = "xmllint --noout --nonet --schema " +
                              ShellQuoted(ORLENTA_DFXML_SCHEMA) + " " + ShellQuoted(path) + " 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return "xmllint cannot be started";
  std::string said;
  char piece[4096];
  for (std::size_t got; (got = std::fread(piece, 1, sizeof piece, pipe)) > 0;)
    said.append(piece, got);
  return ::pclose(pipe) == 0 ? "" : said;
}

Report::Report(const std::string& path)
    : path_(path), doc_(xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET), xmlFreeDoc) {
  if (!doc_) return;
  context_.reset(xmlXPathNewContext(doc_.get()));
  xmlXPathRegisterNs(context_.get(), X("d"),
                     X("http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML"));
  xmlXPathRegisterNs(
      context_.get(), X("x"),
      X("http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML#extensions"));
}

std::vector<std::string> Report::All(const std::string& xpath) const {
  std::vector<std::string> texts;
  if (!context_) return texts;
  std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> found(
      xmlXPathEvalExpression(X(xpath.c_str()), context_.get()), xmlXPathFreeObject);
  if (!found || !found->nodesetval) return texts;
  for (int i = 0; i < found->nodesetval->nodeNr; ++i) {
    xmlChar* text = xmlNodeGetContent(found->nodesetval->nodeTab[i]);
    texts.emplace_back(reinterpret_cast<const char*>(text));
    xmlFree(text);
  }
  return texts;
}

std::string Report::One(const std::string& xpath) const {
  const auto texts = All(xpath);
  if (texts.size() == 1) return texts[0];
  // Appended piece by piece: GCC 12 at -O3 takes "<" + std::string for an overlapping copy.
  std::string count = "<";
  count += std::to_string(texts.size());
  count += " nodes>";
  return count;
}

std::string Sha256Sum(const std::string& path) {
  return DigestSum("sha256sum", path);
}

std::string DigestSum(const std::string& tool, const std::string& path) {
  const std::string command = tool + " " + ShellQuoted(path);
  std::string line(130, '\0');
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return "";
  const std::size_t got = std::fread(line.data(), 1, line.size(), pipe);
  ::pclose(pipe);
  line.resize(got);
  // A name with a backslash or a line break gets a backslash before its line.
  if (!line.empty() && line[0] == '\\') line.erase(0, 1);
  return line.substr(0, line.find(' '));
}

void ExpectReportChecksOut(const Report& report, const std::vector<std::string>& folders,
                           const std::string& image) {
  ASSERT_TRUE(report.Parsed()) << report.Path();
  EXPECT_EQ(SchemaProblems(report.Path()), "");
  EXPECT_EQ(report.One("/d:dfxml/d:metadata/x:filenames_relative_to"), "the folder of this report");
  const fs::path base = fs::path(report.Path()).parent_path();
  const std::string imageBytes = FileText(image);
  std::set<fs::path> named;
  const auto names = report.All("/d:dfxml/d:fileobject/d:filename");
  for (std::size_t i = 1; i <= names.size(); ++i) {
    const std::string object = "/d:dfxml/d:fileobject[" + std::to_string(i) + "]";
    const fs::path name = XmlTextBytes(names[i - 1]);
    EXPECT_TRUE(name.is_relative()) << name;
    const fs::path path = base / name;
    ASSERT_TRUE(fs::is_regular_file(path)) << names[i - 1] << " is not on disk";
    named.insert(fs::canonical(path));
    const std::string content = FileText(path.string());
    EXPECT_EQ(report.One(object + "/d:filesize"), std::to_string(content.size())) << path;
    EXPECT_EQ(report.One(object + "/d:hashdigest[@type='sha256']"), Sha256Sum(path)) << path;
    for (const auto& [type, tool] : {std::pair{"md5", "md5sum"}, std::pair{"sha1", "sha1sum"}}) {
      const std::string xpath = object + "/d:hashdigest[@type='" + type + "']";
      if (!report.All(xpath).empty()) {
        EXPECT_EQ(report.One(xpath), DigestSum(tool, path)) << path;
      }
    }
    // A WAV file's header is the program's own; its samples come from the disc.
    const uint64_t from = report.All(object + "/x:audio_track").empty() ? 0 : kBytesBeforeSamples;
    EXPECT_TRUE(BytesOfRuns(report, object, imageBytes, from) == content.substr(from)) << path;
  }
  std::set<fs::path> onDisk;
  const fs::path itself = fs::canonical(report.Path());
  for (const std::string& folder : folders) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (fs::canonical(entry.path()) != itself) onDisk.insert(fs::canonical(entry.path()));
    }
  }
  EXPECT_EQ(named, onDisk);
}

}  // namespace orlenta
