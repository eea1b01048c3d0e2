#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The three programs answer --version with one version, and the window program answers --help
# and --version without a display and without touching the settings; an unknown option is
# refused with status 2. orlenta-carve and confyg speak as GNU programs do: help that starts
# with the usage and fits 80 columns, every error after the program's name, and a manual
# page that tells of every option the help lists.
#
#   command_line_test.sh BIN_DIR VERSION MAN_DIR
set -uo pipefail
bin=$1 version=$2 man=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-command-line.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Runs a program as a new user on a machine without a display: fresh home, no settings.
run_headless() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" \
    XDG_CONFIG_HOME="$work/home/config" "$@" >"$work/out" 2>"$work/err"
}

mkdir -p "$work/home"
for program in orlenta orlenta-carve confyg; do
  run_headless "$bin/$program" --version
  status=$?
  [[ $status -eq 0 ]] || fail "$program --version exited $status: $(cat "$work/err")"
  [[ $(cat "$work/out") == "$program $version" ]] ||
    fail "$program --version printed '$(cat "$work/out")', not '$program $version'"
done

run_headless "$bin/orlenta" --help
status=$?
[[ $status -eq 0 ]] || fail "orlenta --help exited $status: $(cat "$work/err")"
grep -q -- "--version" "$work/out" || fail "orlenta --help does not list --version"

run_headless "$bin/orlenta" --no-such-option
status=$?
[[ $status -eq 2 ]] || fail "orlenta --no-such-option exited $status, not 2"
grep -q "no-such-option" "$work/err" || fail "orlenta does not name the unknown option"

run_headless "$bin/orlenta" stray-argument
status=$?
[[ $status -eq 2 ]] || fail "orlenta stray-argument exited $status, not 2"

for program in orlenta-carve confyg; do
  run_headless "$bin/$program" --help
  [[ $(head -n 1 "$work/out") == "Usage: $program "* ]] || fail "$program --help starts with '$(head -n 1 "$work/out")'"
  too_wide=$(awk 'length > 80' "$work/out" | head -n 1)
  [[ -z $too_wide ]] || fail "$program --help is wider than 80 columns: $too_wide"
  notation=$(grep -E 'TEXT|REQUIRED|ENUM|Excludes|:INT|->| in \[' "$work/out" | head -n 1)
  [[ -z $notation ]] || fail "$program --help shows the parser's notation: $notation"
  # Every option of the help is in the manual page.
  page=$(MANWIDTH=200 man -l "$man/man1/$program.1" 2>/dev/null)
  for option in $(grep -oE -- '--[a-z][a-z-]+' "$work/out" | sort -u); do
    grep -q -- "$option" <<<"$page" || fail "the manual page of $program lacks $option"
  done
  [[ $(grep -c "Usage:" "$work/out") -eq 1 ]] || fail "$program --help has more than one Usage:"
  run_headless "$bin/$program" -V
  [[ $(cat "$work/out") == "$program $version" ]] || fail "$program -V printed '$(cat "$work/out")'"
done

# Each refusal: status 2, what was wrong after the program's name, and where help is.
while IFS='|' read -r program expected args; do
  read -r -a words <<<"$args"
  run_headless "$bin/$program" "${words[@]}"
  status=$?
  [[ $status -eq 2 ]] || fail "$program $args exited $status, not 2"
  [[ $(head -n 1 "$work/err") == "$program: $expected" ]] ||
    fail "$program $args said '$(head -n 1 "$work/err")', not '$program: $expected'"
  stray=$(grep -v -e "^$program: " -e "^Try '$program --help' for more information.\$" "$work/err")
  [[ -z $stray ]] || fail "$program $args printed a line without its name: $stray"
done <<'EOF_CASES'
orlenta-carve|unrecognized option '--bogus'|--bogus
orlenta-carve|unrecognized option '--bogus'|disc.iso --bogus
orlenta-carve|--jobs: '0' is not a whole number from 1 to 64|a.iso -o root -j 0
confyg|unrecognized option '--bogus'|--bogus
confyg|--recovery: 'bogus' is not one of: described, exact|--recovery bogus
confyg|--language: 'xx' is not a language of Orlenta|--language xx
confyg|--open-folder: 'maybe' is neither yes nor no|--open-folder maybe
EOF_CASES

leftovers=$(find "$work/home" -mindepth 1 | head -n 3)
[[ -z $leftovers ]] || fail "asking for help or the version wrote: $leftovers"

[[ $failures -eq 0 ]] || exit 1
echo "command lines OK"
