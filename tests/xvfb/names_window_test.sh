#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Files back under their own names, chosen in confyg's window and run in the program's
# window, on a UDF disc whose long names only UDF carries: the choice is stored, the named
# tree is written beside the carved files, and the window's picture of its log shows lines.
#
#   names_window_test.sh ORLENTA CONFYG PHOTO SOUND
set -euo pipefail
orlenta=$1 confyg=$2 photo=$3 sound=$4
# shellcheck source=x_session.sh
source "$(dirname "$0")/x_session.sh"

if ! command -v genisoimage >/dev/null; then
  echo "SKIP: genisoimage is not installed" >&2
  exit "$kSkipped"
fi

# confyg's fields from the first (the name stem) to the recovery's list and the names' box.
readonly kTabsToRecovery=4
# Window points: the log list's first lines.
readonly kLogLeft=265 kLogTop=245 kLogWidth=270 kLogHeight=60

start_x_server
use_fresh_folders

readonly folder="Holiday 2004 at the seaside, with the whole family"
readonly photo_name="IMG_0042 the boat leaving the harbour.JPG"
readonly sound_name="a take recorded on the beach at night.flac"
mkdir -p "$work/tree/$folder" "$work/tree/music" "$work/out"
cp "$photo" "$work/tree/$folder/$photo_name"
cp "$sound" "$work/tree/music/$sound_name"
genisoimage -quiet -udf -input-charset utf-8 -V Family -o "$work/udf.iso" "$work/tree" ||
  fail "genisoimage failed"

"$confyg" --init --language 1 --output-folder "$work/out" --drive "E=$work/udf.iso" >/dev/null ||
  fail "confyg --init failed"

# --- The choice, made in confyg's window from the keyboard. ---
"$confyg" 2>"$work/confyg.log" &
confyg_pid=$!
track_pid "$confyg_pid"
settings_window=$(find_window "Orlenta settings")
xdotool windowfocus --sync "$settings_window"
sleep 0.5
for ((tab = 0; tab < kTabsToRecovery; tab++)); do xdotool key Tab; done
xdotool key Down # exact files and more kinds
xdotool key Tab space # files back under their own names
xdotool key Return    # OK
wait_for_exit "$confyg_pid" 10
((EXIT_CODE == 0)) || fail "confyg ended with status $EXIT_CODE: $(cat "$work/confyg.log")"
shown=$("$confyg" --show)
grep -q '^recovery: exact$' <<<"$shown" || fail "the recovery was not stored: $shown"
grep -q '^names: on$' <<<"$shown" || fail "the names were not stored: $shown"

# --- The run, in the program's window. ---
"$orlenta" 2>"$work/orlenta.log" &
orlenta_pid=$!
track_pid "$orlenta_pid"
window=$(find_window Orlenta)
start_run_on_first_drive "$window"
named=$work/out/Family
for ((tries = 0; tries < 100; tries++)); do
  [[ -f $named/music/$sound_name ]] && break
  sleep 0.1
done
sleep 1
cmp -s "$photo" "$named/$folder/$photo_name" || fail "the photo did not come back by its name"
cmp -s "$sound" "$named/music/$sound_name" || fail "the sound did not come back by its name"
settled_screenshot "$work/run.png"
[[ -n ${ORLENTA_SCREENSHOT:-} ]] && cp "$work/run.png" "$ORLENTA_SCREENSHOT"
# The log shows its lines: dark text over the list's light ground.
ink=$(convert "$work/run.png" -crop "${kLogWidth}x$kLogHeight+$((WIN_X + kLogLeft))+$((WIN_Y + kLogTop))" \
  +repage -colorspace gray -threshold 40% -negate -format '%[fx:round(mean*w*h)]' info:)
((ink > 50)) || fail "the log shows no lines ($ink dark pixels)"
echo "names chosen in confyg: the UDF disc's files came back by their names in the window"
