// SPDX-License-Identifier: GPL-3.0-or-later
#include "report_table.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

#include "carve_options.h"
#include "xml_text.h"

namespace orlenta {
namespace {

namespace fs = std::filesystem;

const xmlChar* X(const char* text) {
  return reinterpret_cast<const xmlChar*>(text);
}

// A report read as far as it goes, with XPath over it: d for DFXML, x for our extensions.
class ReportXml {
 public:
  explicit ReportXml(const std::string& path)
      : doc_(xmlReadFile(path.c_str(), nullptr,
                         XML_PARSE_NONET | XML_PARSE_RECOVER | XML_PARSE_NOERROR |
                             XML_PARSE_NOWARNING | XML_PARSE_HUGE),
             xmlFreeDoc),
        context_(doc_ ? xmlXPathNewContext(doc_.get()) : nullptr, xmlXPathFreeContext) {
    if (!context_) return;
    xmlXPathRegisterNs(context_.get(), X("d"),
                       X("http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML"));
    xmlXPathRegisterNs(
        context_.get(), X("x"),
        X("http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML#extensions"));
  }

  std::vector<std::string> All(const char* xpath) const {
    std::vector<std::string> texts;
    if (!context_) return texts;
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> found(
        xmlXPathEvalExpression(X(xpath), context_.get()), xmlXPathFreeObject);
    if (!found || !found->nodesetval) return texts;
    for (int i = 0; i < found->nodesetval->nodeNr; ++i) {
      xmlChar* text = xmlNodeGetContent(found->nodesetval->nodeTab[i]);
      texts.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
      xmlFree(text);
    }
    return texts;
  }
  std::optional<std::string> First(const char* xpath) const {
    auto texts = All(xpath);
    if (texts.empty()) return std::nullopt;
    return texts[0];
  }
  uint64_t Number(const char* xpath) const {
    const auto text = First(xpath);
    return text ? std::strtoull(text->c_str(), nullptr, 10) : 0;
  }

 private:
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc_;
  std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context_;
};

// "2024-07-14T18:30:00Z" as seconds since the epoch; 0 when it is not such a time.
double SecondsOf(const std::optional<std::string>& text) {
  std::tm utc{};
  if (!text || !strptime(text->c_str(), "%Y-%m-%dT%H:%M:%SZ", &utc)) return 0;
  return static_cast<double>(timegm(&utc));
}

// The kind a report entry names; by its file's extension for reports that name none.
int KindOf(const std::string& name, const std::string& file) {
  for (int kind = 1; kind <= kAllKindCount; ++kind) {
    if (name == FileKindName(kind)) return kind;
  }
  const std::string extension = fs::path(file).extension().string();
  for (int kind = 1; kind <= kAllKindCount; ++kind) {
    if (!extension.empty() && extension == FileKindExtension(kind)) return kind;
  }
  return kNoHeader;
}

RunSummary SummaryOf(const ReportXml& report) {
  RunSummary summary;
  const auto names = report.All("/d:dfxml/d:fileobject/d:filename");
  const auto kinds = report.All("/d:dfxml/d:fileobject/x:kind");
  for (std::size_t i = 0; i < names.size(); ++i) {
    const int kind = KindOf(i < kinds.size() ? kinds[i] : "", XmlTextBytes(names[i]));
    ++summary.filesPerKind[static_cast<std::size_t>(kind)];
  }
  summary.sectorsTotal = report.Number("/d:dfxml/x:source/x:sector_count");
  summary.sectorSize = static_cast<uint32_t>(report.Number("/d:dfxml/x:source/x:sector_size"));
  summary.sectorsScanned = report.Number("/d:dfxml/x:run/x:sectors_scanned");
  summary.sectorsUnreadable = report.Number("/d:dfxml/x:run/x:sectors_unreadable");
  summary.sectorsSkipped = report.Number("/d:dfxml/x:run/x:sectors_skipped");
  if (!report.All("/d:dfxml/x:run/x:source_digest").empty()) {
    summary.sourceSha256 =
        report.First("/d:dfxml/x:run/x:source_digest/d:hashdigest[@type='sha256']").value_or("");
  }
  return summary;
}

// The exit status the run ended with, as far as its report tells.
int StatusOf(const ReportXml& report) {
  const auto outcome = report.First("/d:dfxml/x:run/x:outcome");
  if (outcome == "completed") {
    return report.Number("/d:dfxml/x:run/x:files_not_written") > 0 ? kExitFileErrors
                                                                   : kExitCompleted;
  }
  // Stopped, or killed before it could finish its report.
  return kExitSignalBase + SIGINT;
}

}  // namespace

std::optional<ReportedRun> ReadReportedRun(const std::string& path, const std::string& root) {
  const ReportXml report(path);
  if (report.First("/d:dfxml/d:creator/d:program") != "orlenta-carve") return std::nullopt;
  ReportedRun run;
  std::error_code ignored;
  const fs::path folder = fs::path(path).parent_path();
  run.row.folder = fs::relative(folder, root, ignored).string();
  if (run.row.folder.empty()) run.row.folder = folder.string();
  run.row.source = XmlTextBytes(report.First("/d:dfxml/d:source/d:image_filename").value_or(""));
  run.row.status = StatusOf(report);
  run.row.summary = SummaryOf(report);
  run.start = SecondsOf(report.First("/d:dfxml/d:creator/d:execution_environment/d:start_time"));
  run.end = SecondsOf(report.First("/d:dfxml/x:run/x:end_time"));
  if (run.end < run.start) run.end = run.start;
  run.row.summary->elapsedSeconds = run.end - run.start;
  return run;
}

int PrintReportTable(const std::string& root, std::FILE* out, std::FILE* err) {
  std::error_code error;
  std::vector<ReportedRun> runs;
  for (fs::recursive_directory_iterator entry(root, error), end; !error && entry != end;
       entry.increment(error)) {
    if (!entry->is_regular_file(error) || entry->path().extension() != ".xml") continue;
    if (auto run = ReadReportedRun(entry->path().string(), root)) runs.push_back(std::move(*run));
  }
  if (error) {
    std::fprintf(err, "orlenta-carve: %s: %s\n", root.c_str(), error.message().c_str());
    return kExitUsage;
  }
  if (runs.empty()) {
    std::fprintf(err, "orlenta-carve: %s: no report of orlenta-carve in it\n", root.c_str());
    return kExitUsage;
  }
  std::sort(runs.begin(), runs.end(),
            [](const ReportedRun& a, const ReportedRun& b) { return a.row.folder < b.row.folder; });
  std::vector<BatchRow> rows;
  double first = runs[0].start, last = runs[0].end;
  for (const ReportedRun& run : runs) {
    rows.push_back(run.row);
    first = std::min(first, run.start);
    last = std::max(last, run.end);
  }
  std::fputs(FormatBatchTable(rows, last - first).c_str(), out);
  return WorstStatus(rows);
}

}  // namespace orlenta
