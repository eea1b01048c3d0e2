// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace orlenta {

inline constexpr std::size_t kHelpWidth = 80;

// `text` broken into lines of at most `width` columns at its spaces, every line but the
// first indented by `indent` spaces (the first starts where the caller's text left off,
// `firstColumn`); a word longer than a line keeps a line of its own. "\n" in `text` starts
// a new line.
std::string WrapText(const std::string& text, std::size_t indent, std::size_t firstColumn,
                     std::size_t width = kHelpWidth);

// --help as GNU programs give it: the usage lines, what the program does, each option with
// its argument ("-o, --output-root=ROOT") and its description wrapped to 80 columns, then
// the closing notes. Only the option's own description is shown: no type, no checks, no
// defaults from the parser. Options in the group "" are not shown.
class GnuHelp final : public CLI::FormatterBase {
 public:
  // `usages`: the words after the program's name, one form each ("[OPTION]... SOURCE").
  GnuHelp(std::vector<std::string> usages, std::string about, std::string notes);
  std::string make_help(const CLI::App* app, std::string name,
                        CLI::AppFormatMode mode) const override;

 private:
  std::vector<std::string> usages_;
  std::string about_;
  std::string notes_;
};

// The option's names and argument as its help line starts: "  -o, --output-root=ROOT".
std::string OptionHead(const CLI::Option& option);

}  // namespace orlenta
