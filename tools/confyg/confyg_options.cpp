// SPDX-License-Identifier: GPL-3.0-or-later
#include "confyg_options.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>

#include "languages.h"

namespace orlenta {
namespace {

std::string Absolute(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

// "E=/path" as a letter and an absolute path; nullopt when it is not of that shape.
std::optional<std::pair<char, std::string>> ParseDrive(const std::string& text) {
  if (text.size() < 2 || text[1] != '=') return std::nullopt;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return std::make_pair(letter, Absolute(text.substr(2)));
}

void AddOptions(CLI::App& app, ConfygOptions& options, std::optional<std::string>& language,
                std::vector<std::string>& drives) {
  app.add_flag("--init", options.init,
               "Create the settings file with the defaults when there is none (a damaged one "
               "is completed); an existing whole file is left as it is");
  app.add_flag("--show", options.show, "Print the settings and the drives");
  app.add_option("--stem", options.edit.nameStem,
                 "Text between the number and the extension of recovered file names (at most "
                 "3 characters)");
  app.add_option("--output-folder", options.edit.outputFolder,
                 "Existing folder that recovered files go to");
  app.add_option("--open-folder", options.edit.openFolderWhenDone,
                 "Open the output folder when a recovery ends (yes/no)");
  app.add_option("--language", language,
                 "Interface language: 1 English, 2 French, 3 German, 4 Italian, 5 Spanish, "
                 "6 Romanian (or en, fr, de, it, es, ro)");
  app.add_option("--recovery", options.recovery,
                 "described: ten kinds, every file running up to the next header (the "
                 "default); exact: exact files and more kinds")
      ->transform(CLI::CheckedTransformer(
          std::map<std::string, RecoveryChoice>{
              {RecoveryChoiceWord(RecoveryChoice::kAsDescribed), RecoveryChoice::kAsDescribed},
              {RecoveryChoiceWord(RecoveryChoice::kExactAndMoreKinds),
               RecoveryChoice::kExactAndMoreKinds}},
          CLI::ignore_case));
  app.add_option("--audio", options.audio,
                 "on: each audio track of a disc or cue sheet becomes a WAV file (the "
                 "default); off: none does")
      ->check(CLI::IsMember({"on", "off"}));
  app.add_option("--speed", options.speed,
                 "An optical drive's read speed, N times a music CD's (1 to 255); 0: the "
                 "drive's own choice (the default)")
      ->type_name("N")
      ->check(CLI::Range(0, 255));
  app.add_option("--drive", drives,
                 "LETTER=PATH: drive letter B to M for a disc image or block device; "
                 "LETTER= takes the letter away (repeatable)");
}

}  // namespace

std::variant<ConfygOptions, int> ParseConfygOptions(int argc, const char* const* argv) {
  ConfygOptions options;
  std::optional<std::string> language;
  std::vector<std::string> drives;
  CLI::App app{"Edits Orlenta's settings. Without options it opens its window.", "confyg"};
  app.footer(
      "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage or a "
      "value that cannot be stored (nothing is then changed).");
  AddOptions(app, options, language, drives);
  app.set_version_flag("--version", std::string("confyg ") + ORLENTA_VERSION);
  try {
    app.parse(argc, argv);
    if (language && !(options.edit.language = ParseLanguage(*language))) {
      throw CLI::ValidationError("--language", "unknown language \"" + *language + "\"");
    }
    for (const std::string& text : drives) {
      const auto drive = ParseDrive(text);
      if (!drive) throw CLI::ValidationError("--drive", "expected LETTER=PATH, got " + text);
      options.drives.push_back(*drive);
    }
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? kConfygOk : kConfygUsage;
  }
  if (options.edit.outputFolder) *options.edit.outputFolder = Absolute(*options.edit.outputFolder);
  return options;
}

}  // namespace orlenta
