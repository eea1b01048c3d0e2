#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The language menu of the program as users run it, on a real X server: the globe button
# pops it up over the running window, and
#   - a click on "Francais" shows the restart notice and, once it is accepted, the
#     settings file holds French;
#   - the keys Down and Return choose the item below the current one the same way;
#   - a click elsewhere in the window, and Escape, close the menu and leave the window open
#     and the settings as they were.
#
#   language_menu_test.sh ORLENTA CONFYG
set -euo pipefail
orlenta=$1 confyg=$2
# shellcheck source=x_session.sh
source "$(dirname "$0")/x_session.sh"

# The middle of the globe button, in window coordinates (client area at (3, 22)).
readonly kGlobeX=569 kGlobeY=226
# An empty place of the drive tree, away from the menu.
readonly kTreeX=161 kTreeY=266
# The menu's raised frame and its six items, English to Romanian.
readonly kMenuFrame=3 kItems=6
readonly kFrench=1
readonly kLanguageOffset=216

start_x_server
use_fresh_folders
settings=$XDG_CONFIG_HOME/orlenta/propCD.pro

# The language byte of the settings file, as a number.
stored_language() {
  od -An -t d1 -j "$kLanguageOffset" -N 1 "$settings" | tr -d ' '
}

# Windows of the program other than its main window and the menu, one id a line.
other_windows() {
  windows_of "$1" "$window" "${MENU:-none}"
}

# Waits up to 10 s for a window of process PID other than the main window and the menu
# that is at most MAX_WIDTH pixels wide; prints its id, or nothing when none appears.
wait_for_other_window() {
  wait_for_window_of "$1" "$2" "$window" "${MENU:-none}"
}

# Starts the program over fresh settings, English, and finds its window.
start_program() {
  MENU=
  rm -rf "$XDG_CONFIG_HOME/orlenta"
  "$confyg" --init --language 1 >/dev/null || fail "confyg --init failed"
  "$orlenta" 2>"$work/orlenta.log" &
  orlenta_pid=$!
  track_pid "$orlenta_pid"
  window=$(find_window Orlenta)
  read_geometry "$window"
  main_x=$WIN_X main_y=$WIN_Y
}

# Clicks the globe and sets MENU_* to the popup's id, place and item height.
open_menu() {
  click_at $((main_x + kGlobeX)) $((main_y + kGlobeY))
  MENU=
  MENU=$(wait_for_other_window "$orlenta_pid" 300)
  [[ -n $MENU ]] || fail "the globe button showed no menu"
  read_geometry "$MENU"
  MENU_X=$WIN_X MENU_Y=$WIN_Y MENU_W=$WIN_W
  MENU_ITEM_H=$(((WIN_H - 2 * kMenuFrame) / kItems))
  echo "menu at ${MENU_X},${MENU_Y}, ${WIN_W}x${WIN_H}"
  # The menu takes the keyboard as it appears; keys typed before would go to the window.
  local tries
  for ((tries = 0; tries < 50; tries++)); do
    [[ $(xdotool getwindowfocus 2>/dev/null) == "$MENU" ]] && return 0
    sleep 0.1
  done
  fail "the menu did not take the keyboard"
}

# Screen point of the middle of item INDEX of the open menu.
item_x() { echo $((MENU_X + MENU_W / 2)); }
item_y() { echo $((MENU_Y + kMenuFrame + $1 * MENU_ITEM_H + MENU_ITEM_H / 2)); }

# True while the popup is still on screen.
menu_shown() {
  xdotool search --onlyvisible --pid "$orlenta_pid" 2>/dev/null | grep -qx "$MENU"
}

# Waits for the restart notice, checks it is a message box over the main window, and
# accepts it with its OK button's key.
accept_restart_notice() {
  local notice
  notice=$(wait_for_other_window "$orlenta_pid" 1000)
  [[ -n $notice ]] || fail "no restart notice appeared ($(cat "$work/orlenta.log"))"
  [[ $(xdotool getwindowname "$notice") == Orlenta ]] ||
    fail "the notice is captioned '$(xdotool getwindowname "$notice")'"
  menu_shown && fail "the menu is still on screen with the notice"
  xdotool windowfocus --sync "$notice" key Return
  for ((tries = 0; tries < 100; tries++)); do
    [[ -z $(other_windows "$orlenta_pid") ]] && return 0
    sleep 0.1
  done
  fail "the restart notice did not close on Return"
}

# Waits up to 5 s for the settings file to hold language N.
expect_language() {
  local n=$1 tries
  for ((tries = 0; tries < 50; tries++)); do
    [[ $(stored_language) == "$n" ]] && return 0
    sleep 0.1
  done
  fail "the settings file holds language $(stored_language), not $n"
}

end_program() {
  kill -0 "$orlenta_pid" 2>/dev/null || fail "the program ended on its own"
  kill "$orlenta_pid"
  wait "$orlenta_pid" 2>/dev/null || true
}

# --- A click on "Francais". ---
start_program
open_menu
xdotool mousemove --sync "$(item_x)" "$(item_y "$kFrench")"
sleep 0.3
click_at "$(item_x)" "$(item_y "$kFrench")"
accept_restart_notice
expect_language 2
end_program
echo "click on Francais: language 2 stored"

# --- Down and Return: from the current language (English) to the next one. ---
start_program
open_menu
xdotool key --delay 150 Down Down Return
accept_restart_notice
expect_language 2
end_program
echo "keys Down, Down, Return: language 2 stored"

# Waits up to 5 s for the menu to go, then checks that the program, its window and its
# settings (whose checksum was BEFORE) are as they were.
expect_only_the_menu_closed() {
  local before=$1 what=$2 tries
  for ((tries = 0; tries < 50; tries++)); do
    menu_shown || break
    sleep 0.1
  done
  menu_shown && fail "$what left the menu on screen"
  sleep 0.5
  kill -0 "$orlenta_pid" 2>/dev/null || fail "$what ended the program"
  xdotool search --onlyvisible --pid "$orlenta_pid" 2>/dev/null | grep -qx "$window" ||
    fail "$what closed the window"
  [[ -z $(other_windows "$orlenta_pid") ]] || fail "a window other than the main one is open"
  [[ $(md5sum <"$settings") == "$before" ]] || fail "$what changed $settings"
}

# --- A click elsewhere in the window closes the menu and chooses nothing. ---
start_program
before=$(md5sum <"$settings")
open_menu
click_at $((main_x + kTreeX)) $((main_y + kTreeY))
expect_only_the_menu_closed "$before" "a click in the window"
end_program
echo "a click elsewhere closed only the menu"

# --- Escape closes only the menu. ---
start_program
before=$(md5sum <"$settings")
open_menu
xdotool key Escape
expect_only_the_menu_closed "$before" "Escape in the menu"
# The window takes its own keys again: Escape now ends the dialog, and the program.
xdotool windowfocus --sync "$window" key Escape
wait_for_exit "$orlenta_pid" 10
echo "Escape closed only the menu"
echo "language menu OK"
