#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The three programs answer --version with one version, and the window program answers --help
# and --version without a display and without touching the settings; an unknown option is
# refused with status 2.
#
#   command_line_test.sh BIN_DIR VERSION
set -uo pipefail
bin=$1 version=$2
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

leftovers=$(find "$work/home" -mindepth 1 | head -n 3)
[[ -z $leftovers ]] || fail "asking for help or the version wrote: $leftovers"

[[ $failures -eq 0 ]] || exit 1
echo "command lines OK"
