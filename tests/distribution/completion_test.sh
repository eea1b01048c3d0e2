#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion of the three programs offers every option each program's --help lists,
# and the values each option takes, as bash asks for them (a "LETTER=PATH" or
# "--option=VALUE" word arrives split at the "=").
#
#   completion_test.sh COMPLETION_FOLDER BIN_DIR
set -uo pipefail
folder=$1 bin=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-completion.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
# shellcheck source=/dev/null
source "$folder/confyg"
# shellcheck source=/dev/null
source "$folder/orlenta-carve"
# shellcheck source=/dev/null
source "$folder/orlenta"

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
expect "--show --stem --speed" confyg --s
expect "--min-size --min-pixels" confyg --m
expect "gif,png" confyg --kinds gif,pn
expect "--report --retries --report-only" orlenta-carve --re
expect "--by-kind" orlenta-carve --by
expect "--image" orlenta-carve --im
expect "disc.iso" orlenta-carve dis
expect "folder" orlenta-carve disc.iso ""
expect "" orlenta-carve --stem ""
expect "auto plain raw" orlenta-carve --layout ""
expect "folder" orlenta-carve --layout raw disc.iso ""
expect "--more-kinds --mapfile --min-size --min-pixels" orlenta-carve --m
expect "--exact" orlenta-carve --ex
expect "folder" orlenta-carve -o ""
expect "" orlenta-carve -j ""
expect "disc.iso" orlenta-carve disc.iso -o folder disc.iso dis
expect "disc.iso" orlenta-carve --mapfile dis

expect "described exact" confyg --recovery ""
expect "exact" confyg --recovery = e
expect "en fr de it es ro" confyg --language = ""
expect "raw" orlenta-carve --layout = r
expect "auto plain raw" orlenta-carve --layout =
expect "folder" orlenta-carve --report = r.xml disc.iso ""
expect "disc.iso" confyg --drive = E = dis
expect "jpeg,png" orlenta-carve --kinds jpeg,p
expect "md5,sha1 md5,sha256" orlenta-carve --hash md5,s
expect "folder" orlenta-carve --table ""

# Every option of each program's help, long and short, is offered.
for program in orlenta orlenta-carve confyg; do
  offered_options=" $(offered "$program" -) $(offered "$program" --) "
  for option in $(env -u DISPLAY "$bin/$program" --help 2>/dev/null |
    grep -oE -- '(^|[ ,])--?[a-zA-Z][a-z-]*' | tr -d ' ,' | sort -u); do
    [[ $offered_options == *" $option "* ]] || {
      echo "FAIL: the completion of $program does not offer $option" >&2
      failures=$((failures + 1))
    }
  done
done

[[ $failures -eq 0 ]] || exit 1
echo "completion OK"
