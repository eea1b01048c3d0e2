# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Shared by the checks that drive the window on a real X server: a private Xvfb, fresh
# settings and home folders, screenshots and pixel reads, and waiting for processes.
# Source it; it sets DISPLAY, XDG_CONFIG_HOME, HOME and `work`, and cleans up on exit.
#
# A check that cannot run here (no Xvfb, xdotool or ImageMagick) ends with status 77,
# which ctest reports as skipped.

kSkipped=77

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for tool in Xvfb xdotool import convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed" >&2
    exit "$kSkipped"
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-x.XXXXXX")
x_server_pid=
started_pids=()

end_session() {
  local pid
  for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  [[ -n $x_server_pid ]] && kill "$x_server_pid" 2>/dev/null
  [[ -n $x_server_pid ]] && wait "$x_server_pid" 2>/dev/null
  rm -rf "$work"
}
trap end_session EXIT

# Starts Xvfb on a display no one uses (the server picks it and tells it through a pipe),
# with a 1024x768 true-colour screen, and points DISPLAY, and Qt, at it.
start_x_server() {
  local display_file=$work/display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>"$work/xvfb.log" &
  x_server_pid=$!
  local tries
  for ((tries = 0; tries < 100; tries++)); do
    [[ -s $display_file ]] && break
    kill -0 "$x_server_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    sleep 0.1
  done
  [[ -s $display_file ]] || fail "Xvfb gave no display number within 10 s"
  DISPLAY=:$(head -n 1 "$display_file")
  export DISPLAY QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
}

# Fresh, empty settings and home folders: nothing of the user's is read or changed.
use_fresh_folders() {
  export XDG_CONFIG_HOME=$work/config HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
  mkdir -p "$XDG_CONFIG_HOME" "$HOME"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# Remembers PID so that it is ended with the session if the check fails before it ends.
track_pid() {
  started_pids+=("$1")
}

# The id of the visible window whose whole title is TITLE, waiting up to 20 s for it.
find_window() {
  local title=$1 id
  id=$(timeout 20 xdotool search --sync --onlyvisible --limit 1 --name "^${title}\$") ||
    fail "no window named '$title' appeared within 20 s"
  echo "$id"
}

# The visible windows of process PID except the windows EXCLUDED..., one id a line.
windows_of() {
  local pid=$1
  shift
  local -a skip=()
  local id
  for id in "$@"; do skip+=(-e "$id"); done
  xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "${skip[@]}" || true
}

# Waits up to 10 s for a visible window of process PID, other than EXCLUDED..., at most
# MAX_WIDTH pixels wide; prints its id, or nothing when none appears.
wait_for_window_of() {
  local pid=$1 max_width=$2 tries id
  shift 2
  for ((tries = 0; tries < 100; tries++)); do
    for id in $(windows_of "$pid" "$@"); do
      read_geometry "$id"
      if ((WIN_W <= max_width)); then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
}

# Sets WIN_X, WIN_Y, WIN_W, WIN_H to window ID's place on the screen and its size.
read_geometry() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
  WIN_X=$X WIN_Y=$Y WIN_W=$WIDTH WIN_H=$HEIGHT
}

# Saves the whole screen to FILE (a PNG).
screenshot() {
  import -window root "$1" || fail "could not take a screenshot"
}

# Waits until the window's area of the screen stops changing (the window has painted and
# set its outline), then saves the screen to FILE. Gives up after about 10 s.
settled_screenshot() {
  local file=$1 tries previous=$work/settle-a.rgb current=$work/settle-b.rgb
  local area=${WIN_W}x${WIN_H}+${WIN_X}+${WIN_Y}
  import -window root -crop "$area" "rgb:$previous"
  for ((tries = 0; tries < 50; tries++)); do
    sleep 0.2
    import -window root -crop "$area" "rgb:$current"
    if cmp -s "$previous" "$current"; then
      screenshot "$file"
      return 0
    fi
    mv "$current" "$previous"
  done
  fail "the window kept changing for 10 s"
}

# The colour of pixel (X, Y) of the picture FILE as "red,green,blue", each 0 to 255.
pixel() {
  local at="p{$2,$3}"
  convert "$1" -format "%[fx:round(255*$at.r)],%[fx:round(255*$at.g)],%[fx:round(255*$at.b)]" info:
}

# Moves the pointer to screen point (X, Y) and clicks the left button there.
click_at() {
  xdotool mousemove --sync "$1" "$2" click 1
}

# Waits up to SECONDS for process PID, a child of this shell, to end; sets EXIT_CODE to
# its exit status.
wait_for_exit() {
  local pid=$1 seconds=$2 tries
  for ((tries = 0; tries < seconds * 10; tries++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "process $pid is still running after $seconds s"
  local status=0
  wait "$pid" || status=$?
  # shellcheck disable=SC2034  # read by the checks that source this file
  EXIT_CODE=$status
}

# Waits up to SECONDS for process PID, which need not be a child of this shell, to end.
wait_for_any_exit() {
  local pid=$1 seconds=$2 tries
  for ((tries = 0; tries < seconds * 10; tries++)); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  fail "process $pid is still running after $seconds s"
}

# Starts a run in the program's window WINDOW on the drive tree's first drive: the tree's
# first line, opened, and down to the drive, then Start. Sets WIN_X, WIN_Y, WIN_W, WIN_H to
# the window's place and size.
start_run_on_first_drive() {
  local window=$1
  local -r tree_x=71 tree_y=124 start_x=361 start_y=191
  read_geometry "$window"
  click_at $((WIN_X + tree_x + 60)) $((WIN_Y + tree_y + 8))
  xdotool windowfocus --sync "$window"
  xdotool key Right Down
  sleep 0.5
  click_at $((WIN_X + start_x)) $((WIN_Y + start_y))
}
