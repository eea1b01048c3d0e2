#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The recipe of docs/scaling.md run as written, with GNU parallel on this machine standing in
# for the lab's (":" is parallel's name for the local machine): every source is carved into
# a folder of its own, and orlenta-carve --table gathers their reports into the batch's
# table, a report cut short by a killed run included.
#
#   scaling_test.sh CARVE_BINARY SAMPLE_DISC
set -uo pipefail
carve=$(realpath "$1") disc=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-scaling.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
command -v parallel >/dev/null || fail "GNU parallel is not installed (scripts/ensure-packages)"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config
mkdir -p "$work/evidence/2019" "$work/evidence/2020" "$work/cases/run1" "$HOME"
# Two images of the same name in different folders, and a name with a space and a quote.
cp "$disc" "$work/evidence/2019/disc1.iso"
cp "$disc" "$work/evidence/2020/disc1.iso"
cp "$disc" "$work/evidence/2020/Ana's holiday.iso"
find "$work/evidence" -type f -name '*.iso' | sort >"$work/sources.txt"
echo ":" >"$work/machines.txt"

cd "$work" || exit 1
PATH=$(dirname "$carve"):$PATH parallel --sshloginfile machines.txt \
  --joblog cases/run1/jobs.log --resume --tagstring '{#} {/.}' \
  orlenta-carve --quiet --exact --more-kinds --hash md5,sha1 --hash-source \
  --report cases/run1/{#}-{/.}/report.xml {} cases/run1/{#}-{/.} \
  :::: sources.txt >"$work/parallel.out" 2>&1 || fail "parallel: $(cat "$work/parallel.out")"
[[ -f "cases/run1/2-Ana's holiday/report.xml" ]] || fail "no report in 2-Ana's holiday: $(ls cases/run1)"

"$carve" --table cases/run1 >table.txt 2>table.err
status=$?
[[ $status -eq 0 ]] || fail "--table exited $status: $(cat table.err)"
[[ $(grep -c ' completed ' table.txt) -eq 3 ]] || fail "not three completed runs: $(cat table.txt)"
grep -q "^3 sources, 3 completed; 33 files; 0 sectors unreadable" table.txt ||
  fail "the totals are not those of three sample discs: $(cat table.txt)"
grep -q "^1-disc1 .*evidence/2019/disc1.iso$" table.txt || fail "no row for 1-disc1: $(cat table.txt)"
[[ $(grep -c "^SHA-256 $(sha256sum <"$disc" | cut -d' ' -f1)" table.txt) -eq 3 ]] ||
  fail "the sources' SHA-256 are not all the disc's: $(cat table.txt)"

# A run killed in the middle of its report: its files so far count, the run as interrupted.
mkdir cases/run1/4-killed
head -c "$(($(stat -c %s cases/run1/1-disc1/report.xml) / 2))" cases/run1/1-disc1/report.xml \
  >cases/run1/4-killed/report.xml
echo '<not a="report"/>' >cases/run1/other.xml
"$carve" --table cases/run1 >table.txt 2>table.err
status=$?
[[ $status -eq 130 ]] || fail "--table with a killed run exited $status, not 130"
grep -q "^4-killed  *interrupted " table.txt || fail "the killed run is not interrupted: $(cat table.txt)"
[[ $(grep -c "^[0-9]-" table.txt) -eq 4 ]] || fail "not four runs: $(cat table.txt)"

"$carve" --table evidence >/dev/null 2>table.err
[[ $? -eq 2 ]] || fail "--table over a folder without reports did not exit 2"
grep -q "^orlenta-carve: evidence: no report" table.err || fail "no reason given: $(cat table.err)"
echo "scaling OK"
