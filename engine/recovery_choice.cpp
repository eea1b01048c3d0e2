// SPDX-License-Identifier: GPL-3.0-or-later
#include "recovery_choice.h"

#include "options_file.h"

namespace orlenta {
namespace {

constexpr const char* kKey = "recovery";
constexpr const char* kNamesKey = "names";

}  // namespace

std::string OptionsPathBeside(const std::string& settingsPath) {
  const std::size_t slash = settingsPath.rfind('/');
  return (slash == std::string::npos ? std::string() : settingsPath.substr(0, slash + 1)) +
         "options";
}

const char* RecoveryChoiceWord(RecoveryChoice choice) {
  return choice == RecoveryChoice::kExactAndMoreKinds ? "exact" : "described";
}

RecoveryChoice LoadRecoveryChoice(const std::string& path) {
  return LoadOption(path, kKey) == RecoveryChoiceWord(RecoveryChoice::kExactAndMoreKinds)
             ? RecoveryChoice::kExactAndMoreKinds
             : RecoveryChoice::kAsDescribed;
}

bool NamesChosen(const std::string& path) {
  return LoadOption(path, kNamesKey) == "on";
}

bool SaveNamesChoice(const std::string& path, bool names) {
  return SaveOption(path, kNamesKey, names ? "on" : "off");
}

bool SaveRecoveryChoice(const std::string& path, RecoveryChoice choice) {
  return SaveOption(path, kKey, RecoveryChoiceWord(choice));
}

}  // namespace orlenta
