// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "engine/recovery_choice.h"
#include "settings_edit.h"

namespace orlenta {

// What the command line asks of confyg. Without any of it, confyg opens its window.
struct ConfygOptions {
  bool init = false;  // create the settings file when missing, repair a damaged one
  bool show = false;  // print the settings
  SettingsEdit edit = {};
  // Drives to set, in the order given; an empty path takes the letter out of the map.
  std::vector<std::pair<char, std::string>> drives = {};
  // The recovery to store in the options file beside the settings, when asked.
  std::optional<RecoveryChoice> recovery = {};
  // Whether audio tracks become WAV files ("on", "off"), and an optical drive's read speed
  // (0: the drive's own choice), to store in the options file, when asked.
  std::optional<std::string> audio = {};
  std::optional<int> speed = {};
  // Whether a drive's audio is read through the error correction ("on", "off"), when asked.
  std::optional<std::string> paranoia = {};
  // Whether files come back under their own names ("on", "off"), to store beside the
  // recovery, when asked.
  std::optional<std::string> names = {};
  // The window's file filter to store in the options file, when asked: kinds ("" every
  // kind), the smallest file ("0" any) and the smallest picture ("0x0" any), as given.
  std::optional<std::string> kinds = {};
  std::optional<std::string> minSize = {};
  std::optional<std::string> minPixels = {};
  // Whether the window puts each file in a folder of its kind ("on", "off"), when asked.
  std::optional<std::string> byKind = {};

  bool RunsWithoutWindow() const {
    return init || show || !edit.Empty() || !drives.empty() || recovery || audio || speed ||
           paranoia || names || kinds || minSize || minPixels || byKind;
  }
};

// Exit statuses of confyg.
inline constexpr int kConfygOk = 0;
inline constexpr int kConfygFileError = 1;  // a file could not be read or written
inline constexpr int kConfygUsage = 2;      // bad usage or a value that cannot be stored

// The options of the command line, or the exit status to end with at once (after --help, or
// a usage error, which has then been printed). Relative folders and drive paths are made
// absolute from the current folder.
std::variant<ConfygOptions, int> ParseConfygOptions(int argc, const char* const* argv);

}  // namespace orlenta
