// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch_table.h"

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "carve_options.h"
#include "printable_text.h"
#include "progress_line.h"

namespace orlenta {
namespace {

std::string Number(uint64_t value) {
  return std::to_string(value);
}

// A table of text cells, each column as wide as its widest cell: the first columns and the
// last flush left, the numbers between them flush right.
class Table {
 public:
  explicit Table(std::size_t leftColumns) : leftColumns_(leftColumns) {}
  void Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }

  std::string Text() const {
    std::vector<std::size_t> widths;
    for (const auto& row : rows_) {
      widths.resize(std::max(widths.size(), row.size()));
      for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    std::string text;
    for (const auto& row : rows_) {
      std::string line;
      for (std::size_t c = 0; c < row.size(); ++c) {
        const std::string pad(widths[c] - row[c].size(), ' ');
        if (c > 0) line += "  ";
        const bool left = c < leftColumns_ || c + 1 == row.size();
        line += left ? row[c] + pad : pad + row[c];
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      text += line + "\n";
    }
    return text;
  }

 private:
  std::size_t leftColumns_;
  std::vector<std::vector<std::string>> rows_;
};

// The kinds some source of the batch gave files of.
std::vector<int> KindsFound(const std::vector<BatchRow>& rows) {
  std::vector<int> kinds;
  for (std::size_t kind = 1; kind < kKindSlots; ++kind) {
    for (const BatchRow& row : rows) {
      if (row.summary && row.summary->filesPerKind[kind] > 0) {
        kinds.push_back(static_cast<int>(kind));
        break;
      }
    }
  }
  return kinds;
}

// Whether some source of the batch gave files back by name.
bool NamesAsked(const std::vector<BatchRow>& rows) {
  return std::any_of(rows.begin(), rows.end(),
                     [](const BatchRow& row) { return row.summary && row.summary->namesAsked; });
}

// Whether some source of the batch jumped over bad zones.
bool SectorsSkipped(const std::vector<BatchRow>& rows) {
  return std::any_of(rows.begin(), rows.end(), [](const BatchRow& row) {
    return row.summary && row.summary->sectorsSkipped > 0;
  });
}

std::vector<std::string> Cells(const BatchRow& row, const std::vector<int>& kinds, bool withNames,
                               bool withSkipped) {
  std::vector<std::string> cells{row.folder.empty() ? "-" : PrintableText(row.folder),
                                 StatusName(row.status)};
  const auto count = [&](const std::optional<uint64_t>& value) {
    return value ? Number(*value) : std::string("-");
  };
  const RunSummary* summary = row.summary ? &*row.summary : nullptr;
  if (withNames) {
    cells.push_back(count(summary ? std::optional(FilesByName(*summary)) : std::nullopt));
  }
  cells.push_back(count(summary ? std::optional(FilesRecovered(*summary)) : std::nullopt));
  for (const int kind : kinds) {
    cells.push_back(count(summary
                              ? std::optional(summary->filesPerKind[static_cast<std::size_t>(kind)])
                              : std::nullopt));
  }
  cells.push_back(count(summary ? std::optional(summary->sectorsUnreadable) : std::nullopt));
  if (withSkipped) {
    cells.push_back(count(summary ? std::optional(summary->sectorsSkipped) : std::nullopt));
  }
  cells.push_back(PrintableText(row.source));
  return cells;
}

}  // namespace

std::string StatusName(const std::optional<int>& status) {
  if (!status) return "not started";
  switch (*status) {
    case kExitCompleted:
      return "completed";
    case kExitFileErrors:
      return "file errors";
    case kExitUsage:
      return "failed";
    case kExitSignalBase + SIGINT:
      return "interrupted";
    default:
      return *status > 128 ? "signal " + Number(static_cast<uint64_t>(*status - 128))
                           : "status " + Number(static_cast<uint64_t>(*status));
  }
}

int WorstStatus(const std::vector<BatchRow>& rows) {
  int worst = kExitCompleted;
  for (const BatchRow& row : rows)
    worst = std::max(worst, row.status.value_or(kExitSignalBase + SIGINT));
  return worst;
}

std::string FormatBatchTable(const std::vector<BatchRow>& rows, double wallSeconds) {
  const std::vector<int> kinds = KindsFound(rows);
  const bool withSkipped = SectorsSkipped(rows);
  const bool withNames = NamesAsked(rows);
  Table table(2);
  std::vector<std::string> heading{"FOLDER", "STATUS"};
  if (withNames) heading.emplace_back("BY NAME");
  heading.emplace_back("FILES");
  for (const int kind : kinds) heading.emplace_back(FileKindName(kind));
  heading.emplace_back("UNREADABLE");
  if (withSkipped) heading.emplace_back("SKIPPED");
  heading.emplace_back("SOURCE");
  table.Add(heading);
  uint64_t files = 0, named = 0, unreadable = 0, skipped = 0, completed = 0;
  double bytes = 0;
  for (const BatchRow& row : rows) {
    table.Add(Cells(row, kinds, withNames, withSkipped));
    if (row.status == kExitCompleted) ++completed;
    if (!row.summary) continue;
    files += FilesRecovered(*row.summary);
    named += FilesByName(*row.summary);
    unreadable += row.summary->sectorsUnreadable;
    skipped += row.summary->sectorsSkipped;
    bytes += static_cast<double>(row.summary->sectorsScanned) * row.summary->sectorSize;
  }
  std::string text = table.Text();
  char total[240];
  std::snprintf(total, sizeof total, "%zu source%s, %llu completed; ", rows.size(),
                rows.size() == 1 ? "" : "s", static_cast<unsigned long long>(completed));
  text += total;
  text += withNames ? Number(named) + " files by name, " + Number(files) + " carved"
                    : Number(files) + " files";
  text += "; " + Number(unreadable) + " sectors unreadable";
  if (withSkipped) text += ", " + Number(skipped) + " skipped";
  std::snprintf(total, sizeof total, "; %s (%.1f MB/s)\n", FormatDuration(wallSeconds).c_str(),
                wallSeconds > 0 ? bytes / 1e6 / wallSeconds : 0.0);
  text += total;
  for (const BatchRow& row : rows) {
    if (!row.summary || !row.summary->sourceSha256) continue;
    const std::string& digest = *row.summary->sourceSha256;
    text += "SHA-256 " + (digest.empty() ? std::string("not taken (not read whole)") : digest) +
            "  " + PrintableText(row.source) + "\n";
  }
  return text;
}

}  // namespace orlenta
