// SPDX-License-Identifier: GPL-3.0-or-later
#include "gnu_help.h"

#include <sstream>

namespace orlenta {
namespace {

// Where descriptions start: the names of most options fit before it.
constexpr std::size_t kDescriptionColumn = 29;

// The option's argument as the help names it: the name it was given, never the parser's own
// words for a type or its checks.
std::string ArgumentName(const CLI::Option& option) {
  const std::string full = option.get_type_name();
  const std::string name = full.substr(0, full.find(':'));
  if (name == "INT" || name == "UINT" || name == "FLOAT" || name == "NUMBER") return "N";
  if (name.empty() || name == "TEXT" || name == "ENUM" || name == "BOOLEAN") return "VALUE";
  return name;
}

}  // namespace

std::string WrapText(const std::string& text, std::size_t indent, std::size_t firstColumn,
                     std::size_t width) {
  std::string wrapped;
  std::size_t column = firstColumn;
  bool lineEmpty = true;
  std::istringstream paragraphs(text);
  std::string paragraph;
  bool firstParagraph = true;
  while (std::getline(paragraphs, paragraph)) {
    if (!firstParagraph) {
      wrapped += "\n" + std::string(indent, ' ');
      column = indent;
      lineEmpty = true;
    }
    firstParagraph = false;
    std::istringstream words(paragraph);
    std::string word;
    while (words >> word) {
      if (!lineEmpty && column + 1 + word.size() > width) {
        wrapped += "\n" + std::string(indent, ' ');
        column = indent;
        lineEmpty = true;
      }
      if (!lineEmpty) {
        wrapped += ' ';
        ++column;
      }
      wrapped += word;
      column += word.size();
      lineEmpty = false;
    }
  }
  return wrapped;
}

std::string OptionHead(const CLI::Option& option) {
  std::string head = "  ";
  const auto& shortNames = option.get_snames();
  head += shortNames.empty() ? "    " : "-" + shortNames[0] + ", ";
  const auto& longNames = option.get_lnames();
  if (!longNames.empty()) head += "--" + longNames[0];
  if (option.get_expected_max() != 0) {
    head += (longNames.empty() ? " " : "=") + ArgumentName(option);
  }
  return head;
}

GnuHelp::GnuHelp(std::vector<std::string> usages, std::string about, std::string notes)
    : usages_(std::move(usages)), about_(std::move(about)), notes_(std::move(notes)) {}

std::string GnuHelp::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode) const {
  std::string help;
  for (std::size_t i = 0; i < usages_.size(); ++i) {
    help += (i == 0 ? "Usage: " : "  or:  ") + name + " " + usages_[i] + "\n";
  }
  help += WrapText(about_, 0, 0) + "\n\n";
  for (const CLI::Option* option : app->get_options()) {
    if (option->get_positional() || option->get_group().empty()) continue;
    std::string head = OptionHead(*option);
    if (head.size() + 2 > kDescriptionColumn) {
      help += head + "\n" + std::string(kDescriptionColumn, ' ');
    } else {
      help += head + std::string(kDescriptionColumn - head.size(), ' ');
    }
    help += WrapText(option->get_description(), kDescriptionColumn, kDescriptionColumn) + "\n";
  }
  if (!notes_.empty()) help += "\n" + WrapText(notes_, 0, 0) + "\n";
  return help;
}

}  // namespace orlenta
