#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window on a real X server is an ellipse: the corners of its rectangle show the desktop
# behind it and take no clicks (the caption's close box, cut away there, cannot end the
# program), while inside it the window is drawn and its Exit button ends the program with
# status 1.
#
#   window_shape_test.sh ORLENTA CONFYG SAMPLE_DISC
set -euo pipefail
orlenta=$1 confyg=$2 disc=$3
# shellcheck source=x_session.sh
source "$(dirname "$0")/x_session.sh"

# The outline: an ellipse in the box (0, 0)-(620, 600) of window coordinates.
readonly kCentreX=309.5 kCentreY=299.5 kRadiusX=310 kRadiusY=300
# Rasterising the outline may differ by a pixel or two from ours along the edge: the
# pixel checks leave a band this wide on either side of it alone.
readonly kEdgeBand=3
# Window points: the middle of the caption's close box (outside the ellipse) and of the
# Exit button (inside it).
readonly kCloseBoxX=624 kCloseBoxY=12
readonly kExitX=575 kExitY=267

start_x_server
use_fresh_folders
screenshot "$work/desktop.png"

mkdir "$work/out"
"$confyg" --init --output-folder "$work/out" --drive "E=$disc" >/dev/null ||
  fail "confyg --init failed"
"$orlenta" 2>"$work/orlenta.log" &
orlenta_pid=$!
track_pid "$orlenta_pid"

window=$(find_window Orlenta)
read_geometry "$window"
[[ ${WIN_W}x$WIN_H == 638x425 ]] || fail "the window is ${WIN_W}x$WIN_H, not 638x425"
settled_screenshot "$work/shown.png"

# --- What is drawn: the desktop outside the ellipse, the window inside it. ---
area=${WIN_W}x${WIN_H}+${WIN_X}+${WIN_Y}
# White where the window's picture differs from the bare desktop.
convert "$work/shown.png" "$work/desktop.png" -compose difference -composite -crop "$area" +repage \
  -colorspace gray -threshold 0 "$work/changed.png"
# White where a pixel lies safely outside, respectively inside, the ellipse.
convert -size "${WIN_W}x$WIN_H" xc:white -fill black \
  -draw "ellipse $kCentreX,$kCentreY $((kRadiusX + kEdgeBand)),$((kRadiusY + kEdgeBand)) 0,360" \
  "$work/outside.png"
convert -size "${WIN_W}x$WIN_H" xc:black -fill white \
  -draw "ellipse $kCentreX,$kCentreY $((kRadiusX - kEdgeBand)),$((kRadiusY - kEdgeBand)) 0,360" \
  "$work/inside.png"

white_pixels() {
  convert "$@" -format '%[fx:round(mean*w*h)]' info:
}
drawn_outside=$(white_pixels "$work/changed.png" "$work/outside.png" -compose multiply -composite)
outside=$(white_pixels "$work/outside.png")
drawn_inside=$(white_pixels "$work/changed.png" "$work/inside.png" -compose multiply -composite)
inside=$(white_pixels "$work/inside.png")
echo "drawn: $drawn_outside of $outside pixels outside the ellipse," \
  "$drawn_inside of $inside inside it"
((outside > 10000)) || fail "the ellipse leaves only $outside pixels of the window outside it"
((drawn_outside == 0)) || fail "$drawn_outside pixels outside the ellipse show the window"
# The skin and the controls cover the inside; a few of their pixels may match the desktop.
((drawn_inside * 100 >= inside * 95)) ||
  fail "only $drawn_inside of $inside pixels inside the ellipse show the window"

# The same, point by point, for the places a reader of a failure would look at first.
for point in 2,2 $((WIN_W - 1)),0 $kCloseBoxX,$kCloseBoxY 0,$((WIN_H - 1)); do
  x=$((WIN_X + ${point%,*})) y=$((WIN_Y + ${point#*,}))
  shown=$(pixel "$work/shown.png" "$x" "$y") desktop=$(pixel "$work/desktop.png" "$x" "$y")
  [[ $shown == "$desktop" ]] ||
    fail "window point ($point), outside the ellipse, shows $shown over the desktop's $desktop"
done

# --- What is clickable. ---
# The close box lies outside the ellipse: the click goes to the desktop, and the program,
# which a click on its close box ends, goes on running.
click_at $((WIN_X + kCloseBoxX)) $((WIN_Y + kCloseBoxY))
sleep 1
kill -0 "$orlenta_pid" 2>/dev/null ||
  fail "a click on the cut-away close box reached the window: the program ended" \
    "($(cat "$work/orlenta.log"))"

click_at $((WIN_X + kExitX)) $((WIN_Y + kExitY))
wait_for_exit "$orlenta_pid" 10
((EXIT_CODE == 1)) || fail "Exit ended the program with status $EXIT_CODE, not 1"
echo "window shape OK"
