#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion of orlenta-carve and confyg offers their options and the values each
# option takes, as bash asks for them (a "LETTER=PATH" word arrives split at the "=").
#
#   completion_test.sh COMPLETION_FOLDER
set -uo pipefail
folder=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-completion.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
# shellcheck source=/dev/null
source "$folder/confyg"
# shellcheck source=/dev/null
source "$folder/orlenta-carve"

# What the program's completion offers for the command line WORDS..., the last word being
# the one under the cursor.
offered() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  local function
  function=$(complete -p "$1" | sed 's/.*-F \([^ ]*\).*/\1/')
  "$function" 2>/dev/null
  echo "${COMPREPLY[*]}"
}

expect() {
  local wanted=$1
  shift
  local got
  got=$(offered "$@")
  [[ $got == "$wanted" ]] || {
    echo "FAIL: '$*' offered '$got', not '$wanted'" >&2
    failures=$((failures + 1))
  }
}

cd "$work" || exit 1
mkdir folder
touch disc.iso
expect "--language" confyg --lang
expect "en fr de it es ro" confyg --language ""
expect "yes no" confyg --open-folder ""
expect "E=" confyg --drive e
expect "disc.iso" confyg --drive E = dis
expect "E=disc.iso" confyg --drive E=dis
expect "folder" confyg --output-folder ""
expect "--show --stem" confyg --s
expect "--report" orlenta-carve --re
expect "disc.iso" orlenta-carve dis
expect "folder" orlenta-carve disc.iso ""
expect "" orlenta-carve --stem ""
expect "auto plain raw" orlenta-carve --layout ""
expect "folder" orlenta-carve --layout raw disc.iso ""
expect "--more-kinds --mapfile" orlenta-carve --m
expect "--exact" orlenta-carve --ex
expect "folder" orlenta-carve -o ""
expect "" orlenta-carve -j ""
expect "disc.iso" orlenta-carve disc.iso -o folder disc.iso dis
expect "disc.iso" orlenta-carve --mapfile dis

[[ $failures -eq 0 ]] || exit 1
echo "completion OK"
