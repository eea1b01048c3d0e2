#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The programs as users run them, on a real X server with a window manager (openbox):
#   - confyg's drive list shows a removed drive's row gone at once, the rows below it moved
#     up, with nothing covering the window in between;
#   - the language menu opened from the keyboard (Tab to the globe, Space) opens beside the
#     globe, wherever the pointer is, and whole on the screen when the globe is near its
#     corner;
#   - a second click on the globe closes the menu it opened, and it stays closed.
#
#   window_manager_test.sh ORLENTA CONFYG SAMPLE_DISC
set -euo pipefail
orlenta=$1 confyg=$2 disc=$3
# shellcheck source=x_session.sh
source "$(dirname "$0")/x_session.sh"

for tool in openbox xwininfo xprop; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed" >&2
    exit "$kSkipped"
  fi
done

# confyg, in its client area: the middle of the drive list's rows (one letter a row), a
# place inside the rows' text, and the Remove button.
readonly kRowX=120 kFirstRowY=288 kRowHeight=14 kRowTextLeft=60 kRowTextWidth=300
readonly kRemoveX=580 kRemoveY=407
# The main window: the middle of the globe button; the Tabs from the first control (the
# drive tree) to it.
readonly kGlobeX=569 kGlobeY=226 kTabsToGlobe=5
# The main window's place: its globe 15 pixels from the right edge of the 1024x768 screen
# and 42 from its bottom, so a menu opening below or right of it would be cut.
readonly kCornerX=440 kCornerY=500
# And a place where the globe is far from every edge.
readonly kMiddleX=100 kMiddleY=100
readonly kScreenW=1024 kScreenH=768
# How near the globe the menu must open: its nearest edge at most this far from the middle.
readonly kNearGlobe=40

start_x_server
use_fresh_folders
openbox >"$work/openbox.log" 2>&1 &
track_pid $!
# A window mapped while the manager is still starting may be left unmanaged, or found late.
for ((tries = 0; tries < 100; tries++)); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "openbox did not start"

# Sets CLIENT_X, CLIENT_Y, CLIENT_W, CLIENT_H to the screen place and size of window ID's
# client area (a window manager's frame around it left out).
client_geometry() {
  local key value
  while IFS=: read -r key value; do
    case $key in
      *"Absolute upper-left X") CLIENT_X=${value// /} ;;
      *"Absolute upper-left Y") CLIENT_Y=${value// /} ;;
      *Width) CLIENT_W=${value// /} ;;
      *Height) CLIENT_H=${value// /} ;;
    esac
  done < <(xwininfo -id "$1")
}

# Waits up to 5 s for window ID to be managed and placed: it keeps its place for 0.1 s.
wait_until_placed() {
  local id=$1 tries before=
  for ((tries = 0; tries < 50; tries++)); do
    client_geometry "$id"
    [[ $before == "$CLIENT_X,$CLIENT_Y" ]] && return 0
    before=$CLIENT_X,$CLIENT_Y
    sleep 0.1
  done
}

# Rows of the screenshot FILE, in the band (X, Y, W, H) of the screen, holding a dark pixel.
dark_rows() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace gray -threshold 40% -negate \
    -scale "1x$5!" -threshold 0 -format '%[fx:round(mean*h)]' info:
}

# Dark rows in row ROW (0, 1, ...) of confyg's drive list in FILE.
list_row_ink() {
  dark_rows "$1" $((CLIENT_X + kRowTextLeft)) $((CLIENT_Y + kFirstRowY + $2 * kRowHeight - 6)) \
    "$kRowTextWidth" 12
}

"$confyg" --init --language 1 --drive "E=$disc" --drive "F=$disc" --drive "G=$disc" \
  >/dev/null || fail "confyg --init failed"

# --- confyg: Remove takes the row away at once. ---
"$confyg" 2>"$work/confyg.log" &
confyg_pid=$!
track_pid "$confyg_pid"
settings_window=$(find_window "Orlenta settings")
wait_until_placed "$settings_window"
settled_screenshot_of_client() {
  WIN_X=$CLIENT_X WIN_Y=$CLIENT_Y WIN_W=$CLIENT_W WIN_H=$CLIENT_H settled_screenshot "$1"
}
settled_screenshot_of_client "$work/three.png"
for row in 0 1 2; do
  (($(list_row_ink "$work/three.png" "$row") > 3)) || fail "drive row $row is not shown"
done
click_at $((CLIENT_X + kRowX)) $((CLIENT_Y + kFirstRowY + kRowHeight))
sleep 0.3
click_at $((CLIENT_X + kRemoveX)) $((CLIENT_Y + kRemoveY))
settled_screenshot_of_client "$work/two.png"
(($(list_row_ink "$work/two.png" 1) > 3)) || fail "the drive after the removed one did not move up"
ink=$(list_row_ink "$work/two.png" 2)
((ink == 0)) || fail "the removed drive's row still shows ($ink dark rows where the list ends)"
kill "$confyg_pid"
wait "$confyg_pid" 2>/dev/null || true
echo "confyg: Remove took the row away at once"

# --- The language menu from the keyboard, with the globe near the screen's corner. ---
"$orlenta" 2>"$work/orlenta.log" &
orlenta_pid=$!
track_pid "$orlenta_pid"
window=$(find_window Orlenta)
wait_until_placed "$window"
xdotool windowmove --sync "$window" "$kCornerX" "$kCornerY"
client_geometry "$window"
globe_x=$((CLIENT_X + kGlobeX)) globe_y=$((CLIENT_Y + kGlobeY))
((globe_x < kScreenW && globe_y < kScreenH)) || fail "the globe is off the screen at $globe_x,$globe_y"
xdotool mousemove --sync 5 5
xdotool windowfocus --sync "$window"
for ((tab = 0; tab < kTabsToGlobe; tab++)); do xdotool key Tab; done
xdotool key space
menu=$(wait_for_window_of "$orlenta_pid" 300 "$window")
[[ -n $menu ]] || fail "Space on the globe showed no menu"
client_geometry "$menu"
echo "globe at $globe_x,$globe_y; menu at $CLIENT_X,$CLIENT_Y, ${CLIENT_W}x$CLIENT_H"
((CLIENT_X >= 0 && CLIENT_Y >= 0 && CLIENT_X + CLIENT_W <= kScreenW &&
  CLIENT_Y + CLIENT_H <= kScreenH)) || fail "the menu is cut by the screen's edge"
# How far the globe's middle lies from the menu's rectangle, across and down.
gap_x=$((CLIENT_X > globe_x ? CLIENT_X - globe_x : globe_x > CLIENT_X + CLIENT_W ?
  globe_x - CLIENT_X - CLIENT_W : 0))
gap_y=$((CLIENT_Y > globe_y ? CLIENT_Y - globe_y : globe_y > CLIENT_Y + CLIENT_H ?
  globe_y - CLIENT_Y - CLIENT_H : 0))
((gap_x <= kNearGlobe && gap_y <= kNearGlobe)) ||
  fail "the menu opened $gap_x,$gap_y pixels away from the globe"
xdotool key Escape
sleep 0.5
echo "keyboard: the menu opened beside the globe, on the screen"

# --- A second click on the globe closes the menu. ---
# Away from the corner, where the menu opens below the pointer and leaves the globe free.
xdotool windowmove --sync "$window" "$kMiddleX" "$kMiddleY"
client_geometry "$window"
globe_x=$((CLIENT_X + kGlobeX)) globe_y=$((CLIENT_Y + kGlobeY))
click_at "$globe_x" "$globe_y"
menu=$(wait_for_window_of "$orlenta_pid" 300 "$window")
[[ -n $menu ]] || fail "a click on the globe showed no menu"
sleep 0.3
xdotool click 1  # the pointer is still on the globe
sleep 1
[[ -z $(windows_of "$orlenta_pid" "$window") ]] || fail "the second click left a menu open"
kill -0 "$orlenta_pid" 2>/dev/null || fail "the program ended"
echo "a second click on the globe closed its menu"
echo "window manager checks OK"
