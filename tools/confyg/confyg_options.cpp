// SPDX-License-Identifier: GPL-3.0-or-later
#include "confyg_options.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>

#include "engine/filter_words.h"
#include "gnu_help.h"
#include "languages.h"
#include "option_checks.h"
#include "parse_errors.h"

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

// An option whose value is on or off, stored as the word given.
template <typename Target>
void AddOnOff(CLI::App& app, const std::string& name, Target& target, const std::string& help) {
  app.add_option(name, target, help)->type_name("on|off")->check(OneOf({"on", "off"}));
}

void AddOptions(CLI::App& app, ConfygOptions& options, std::optional<std::string>& language,
                std::vector<std::string>& drives) {
  app.add_flag("--init", options.init,
               "create the settings file with the defaults when there is none (a damaged one "
               "is completed); an existing whole file is left as it is");
  app.add_flag("--show", options.show, "print the settings and the drives");
  app.add_option("--stem", options.edit.nameStem,
                 "put STEM between the number and the extension of recovered file names (at "
                 "most 3 bytes as stored: a letter such as é takes 2)")
      ->type_name("STEM");
  app.add_option("--output-folder", options.edit.outputFolder,
                 "send recovered files to FOLDER, which must exist")
      ->type_name("FOLDER");
  app.add_option("--open-folder", options.edit.openFolderWhenDone,
                 "open the output folder when a recovery ends: yes or no")
      ->type_name("yes|no")
      ->transform(Lowered())
      ->check([](const std::string& word) -> std::string {
        // The parser's other words for yes and no are taken too.
        for (const char* known : {"yes", "no", "true", "false", "on", "off", "1", "0"}) {
          if (word == known) return "";
        }
        return "'" + word + "' is neither yes nor no";
      });
  app.add_option("--language", language,
                 "speak LANGUAGE: en (or 1) English, fr (2) French, de (3) German, it (4) "
                 "Italian, es (5) Spanish, ro (6) Romanian")
      ->type_name("LANGUAGE");
  const std::string described = RecoveryChoiceWord(RecoveryChoice::kAsDescribed);
  const std::string exact = RecoveryChoiceWord(RecoveryChoice::kExactAndMoreKinds);
  app.add_option_function<std::string>(
         "--recovery",
         [&options, exact](const std::string& word) {
           options.recovery =
               word == exact ? RecoveryChoice::kExactAndMoreKinds : RecoveryChoice::kAsDescribed;
         },
         "recover as described (ten kinds, every file running up to the next header; the "
         "default) or exact (exact files and more kinds)")
      ->type_name("HOW")
      ->transform(Lowered())
      ->check(OneOf({described, exact}));
  AddOnOff(app, "--names", options.names,
           "give files back under their own names where the disc's folders can still be "
           "read, carving the rest beside them (on), or carve every file (off, the "
           "default)");
  AddOnOff(app, "--audio", options.audio,
           "write each audio track of a disc or cue sheet as a WAV file (on, the "
           "default), or none (off)");
  AddOnOff(app, "--paranoia", options.paranoia,
           "read a drive's audio tracks through the error correction, which reads each "
           "stretch again until the reads agree (on, the default), or with the drive's "
           "plain reads (off)");
  app.add_option("--speed", options.speed,
                 "ask an optical drive to read at N times a music CD's speed (1 to 255); 0 "
                 "leaves it to the drive (the default)")
      ->type_name("N")
      ->check(CLI::Range(0, 255));
  app.add_option("--kinds", options.kinds,
                 "let the window write only files of the kinds in LIST, separated by commas, "
                 "in any case (jpeg, png, gif, mp3, ...: as orlenta-carve --kinds); an empty "
                 "LIST writes every kind (the default)")
      ->type_name("LIST")
      ->check([](const std::string& list) { return list.empty() ? "" : KindsProblem(list); });
  app.add_option("--min-size", options.minSize,
                 "let the window keep only files of at least BYTES bytes (k, M, G: times "
                 "1,024 each); 0 keeps every file (the default)")
      ->type_name("BYTES")
      ->check(ByteCountProblem);
  app.add_option("--min-pixels", options.minPixels,
                 "let the window write only pictures at least W pixels wide and H high, where "
                 "their header tells; 0x0 writes every picture (the default)")
      ->type_name("WxH")
      ->check(PixelCountProblem);
  AddOnOff(app, "--by-kind", options.byKind,
           "let the window put each file in a folder of its kind inside the output folder "
           "(on: jpg/1REC.jpg, as orlenta-carve --by-kind), or all in the output folder "
           "(off, the default)");
  app.add_option("--drive", drives,
                 "give drive letter B to M to a disc image or block device (LETTER=PATH), or "
                 "take it away (LETTER=); may be given again")
      ->type_name("LETTER=PATH");
}

}  // namespace

std::variant<ConfygOptions, int> ParseConfygOptions(int argc, const char* const* argv) {
  ConfygOptions options;
  std::optional<std::string> language;
  std::vector<std::string> drives;
  CLI::App app{"", "confyg"};
  app.formatter(std::make_shared<GnuHelp>(
      std::vector<std::string>{"[OPTION]..."},
      "Change Orlenta's settings, drive map and recovery. Without options, open the "
      "settings window.",
      "Exit status: 0 done; 1 a file could not be read or written; 2 bad usage, or a value "
      "that cannot be stored (nothing is then changed)."));
  AddOptions(app, options, language, drives);
  app.set_help_flag("-h,--help", "display this help and exit");
  app.set_version_flag("-V,--version", std::string("confyg ") + ORLENTA_VERSION,
                       "output version information and exit");
  try {
    app.parse(argc, argv);
    if (language && !(options.edit.language = ParseLanguage(*language))) {
      throw CLI::ValidationError("--language", "'" + *language + "' is not a language of Orlenta");
    }
    for (const std::string& text : drives) {
      const auto drive = ParseDrive(text);
      if (!drive) throw CLI::ValidationError("--drive", "'" + text + "' is not LETTER=PATH");
      options.drives.push_back(*drive);
    }
  } catch (const CLI::ParseError& error) {
    return FinishParseError(app, error, kConfygUsage);
  }
  if (options.edit.outputFolder) *options.edit.outputFolder = Absolute(*options.edit.outputFolder);
  return options;
}

}  // namespace orlenta
