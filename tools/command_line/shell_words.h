// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orlenta {

// `word` as a shell reads it back as one word: unchanged when it holds nothing a shell
// treats specially, else in single quotes; a word with control characters (a line break in
// a file name) in bash's $'...' form, so that it stays on one line.
std::string ShellWord(const std::string& word);

}  // namespace orlenta
