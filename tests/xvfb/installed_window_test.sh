#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program on a real X server, from its first start: it makes the settings
# naming its own install folder, Help opens that folder's help page through the desktop
# (or, with nothing on the machine to open it, says so), Settings starts the configuration
# window, and Exit ends the program with status 1.
#
#   installed_window_test.sh BUILD_DIR BINDIR INSTALL_FOLDER
set -euo pipefail
build=$1 bindir=$2 folder=$3
# shellcheck source=x_session.sh
source "$(dirname "$0")/x_session.sh"

# The middle of each button, in window coordinates (client area at (3, 22)).
readonly kHelpX=554 kHelpY=191
readonly kSettingsX=536 kSettingsY=152
readonly kExitX=575 kExitY=267

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
  fail "cmake --install failed: $(cat "$work/install.log")"
[[ $folder == /* ]] || folder=$prefix/$folder
install_folder=$(cd "$folder" && pwd -P)

# The program looks for the desktop's opener only in this folder, empty at first.
mkdir "$work/desktop-bin"
opened=$work/opened

start_x_server
use_fresh_folders

PATH=$work/desktop-bin "$prefix/$bindir/orlenta" 2>"$work/orlenta.log" &
orlenta_pid=$!
track_pid "$orlenta_pid"
window=$(find_window Orlenta)
read_geometry "$window"

# The first start made the settings, with the install folder beside the program.
settings=$XDG_CONFIG_HOME/orlenta/propCD.pro
[[ -f $settings ]] || fail "the first start wrote no $settings"
shown=$("$prefix/$bindir/confyg" --show) || fail "confyg --show failed"
recorded=$(sed -n 's/^install folder: //p' <<<"$shown")
[[ $recorded == "$install_folder" ]] ||
  fail "the settings name install folder '$recorded', not '$install_folder'"

# Help with nothing to open the page: a message box names it.
click_at $((WIN_X + kHelpX)) $((WIN_Y + kHelpY))
notice=$(wait_for_window_of "$orlenta_pid" 1000 "$window")
[[ -n $notice ]] || fail "Help with nothing to open its page showed nothing"
xdotool windowfocus --sync "$notice" key Return
for ((tries = 0; tries < 100; tries++)); do
  [[ -z $(windows_of "$orlenta_pid" "$window") ]] && break
  sleep 0.1
done
[[ -z $(windows_of "$orlenta_pid" "$window") ]] || fail "the message did not close on Return"
echo "Help without an opener: the message was shown"
read_geometry "$window"

# The desktop's opener, as the window sees it: it only writes down what it was asked to open.
cat >"$work/desktop-bin/xdg-open" <<EOF
#!/bin/sh
echo "\$*" >>"$opened"
EOF
chmod +x "$work/desktop-bin/xdg-open"

# Help: the English help page of the install folder, handed to the desktop as a file URL.
click_at $((WIN_X + kHelpX)) $((WIN_Y + kHelpY))
for ((tries = 0; tries < 100; tries++)); do
  [[ -s $opened ]] && break
  sleep 0.1
done
[[ -s $opened ]] || fail "Help opened nothing within 10 s"
request=$(head -n 1 "$opened")
page=${request#file://}
[[ $page == "$install_folder/index.htm" ]] || fail "Help opened '$request'"
[[ -f $page ]] || fail "Help opened $page, which is not installed"
echo "Help opened $request"

# Settings: the configuration window, started on its own; Escape closes it unchanged.
before=$(md5sum <"$settings")
click_at $((WIN_X + kSettingsX)) $((WIN_Y + kSettingsY))
settings_window=$(find_window "Orlenta settings")
settings_pid=$(xdotool getwindowpid "$settings_window") ||
  fail "the configuration window gives no process id"
track_pid "$settings_pid"
xdotool windowfocus --sync "$settings_window" key Escape
wait_for_any_exit "$settings_pid" 10
[[ $(md5sum <"$settings") == "$before" ]] ||
  fail "closing the configuration window changed $settings"

click_at $((WIN_X + kExitX)) $((WIN_Y + kExitY))
wait_for_exit "$orlenta_pid" 10
((EXIT_CODE == 1)) || fail "Exit ended the program with status $EXIT_CODE, not 1"
echo "installed window OK"
