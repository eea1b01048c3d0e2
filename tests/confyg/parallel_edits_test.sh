#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Several confyg commands editing at once each keep the others' edits: five drive letters set
# in parallel are all in the drive map, three settings changed in parallel are all in the
# settings file, and the user's comments and unknown lines of the drive map stay as written.
#
#   parallel_edits_test.sh CONFYG [TRIES]
set -uo pipefail
confyg=$1 tries=${2:-10}
work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-parallel.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

run() {
  XDG_CONFIG_HOME="$home/config" HOME="$home" "$confyg" "$@" >/dev/null 2>>"$work/errors"
}

mkdir "$work/images"
for letter in E F G H I; do : >"$work/images/$letter.iso"; done

for try in $(seq "$tries"); do
  home=$work/home$try
  map=$home/config/orlenta/drives
  mkdir -p "$(dirname "$map")"
  printf '# my discs\n\nB=/keep/b.iso\nsome note the program does not know\n' >"$map"
  for letter in E F G H I; do run --drive "$letter=$work/images/$letter.iso" & done
  run --stem ABC &
  run --open-folder yes &
  run --language ro &
  wait
  for letter in E F G H I; do
    grep -qx "$letter=$work/images/$letter.iso" "$map" || fail "try $try lost drive $letter"
  done
  head -n 4 "$map" | cmp -s - <(printf '# my discs\n\nB=/keep/b.iso\nsome note the program does not know\n') ||
    fail "try $try changed the user's lines: $(head -n 4 "$map")"
  shown=$(XDG_CONFIG_HOME="$home/config" HOME="$home" "$confyg" --show)
  grep -qx "name stem: ABC" <<<"$shown" || fail "try $try lost the stem"
  grep -qx "open folder when done: yes" <<<"$shown" || fail "try $try lost the open-folder choice"
  grep -qx "language: 6 (Română)" <<<"$shown" || fail "try $try lost the language"
done
if [[ -s $work/errors ]]; then fail "confyg complained: $(head -n 3 "$work/errors")"; fi

[[ $failures -eq 0 ]] || exit 1
echo "parallel edits OK"
