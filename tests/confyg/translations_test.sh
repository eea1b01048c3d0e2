#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every text confyg shows through tr() has a finished translation in each language file, and
# no language file holds a text the program no longer shows.
#
#   translations_test.sh LUPDATE CONFYG_SOURCE_DIR
set -uo pipefail
lupdate=$1 source=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-translations.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
for ts in "$source"/translations/*.ts; do
  copy=$work/$(basename "$ts")
  cp "$ts" "$copy"
  "$lupdate" -locations none -no-obsolete "$source"/*.cpp -ts "$copy" >"$work/log" 2>&1 || {
    echo "FAIL: lupdate failed on $ts: $(cat "$work/log")" >&2
    failures=$((failures + 1))
    continue
  }
  grep -q "(0 new and" "$work/log" || {
    echo "FAIL: $(basename "$ts") misses texts: $(grep Found "$work/log")" >&2
    failures=$((failures + 1))
  }
  if grep -q 'type="unfinished"\|type="vanished"\|type="obsolete"' "$ts"; then
    echo "FAIL: $(basename "$ts") holds unfinished or stale entries" >&2
    failures=$((failures + 1))
  fi
  [[ $(grep -c "<message>" "$copy") -eq $(grep -c "<message>" "$ts") ]] || {
    echo "FAIL: $(basename "$ts") holds texts the program no longer shows" >&2
    failures=$((failures + 1))
  }
done
[[ $failures -eq 0 ]] || exit 1
echo "translations OK"
