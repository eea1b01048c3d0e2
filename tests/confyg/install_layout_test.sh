#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh prefix and checks what lands where, then that the confyg of
# the install folder (and of the build tree) writes settings naming its own install folder.
# install_layout_test.sh BUILD_DIR BINDIR INSTALL_FOLDER DATADIR HAS_WINDOW_PROGRAM SOURCE_DIR
set -euo pipefail
build=$1 bindir=$2 folder=$3 datadir=$4 has_window_program=$5 source=$6
work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-install.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The text of the settings file's field at byte OFFSET, SIZE bytes long, up to its NUL.
field() {
  dd if="$1" bs=1 skip="$2" count="$3" status=none | tr '\0' '\n' | head -n 1
}

# Runs `confyg --init` from CONFYG_PATH with fresh settings and checks that the file names
# INSTALL_FOLDER and holds the defaults.
check_first_run() {
  local confyg_path=$1 install_folder=$2 home
  home=$(mktemp -d "$work/home.XXXXXX")
  XDG_CONFIG_HOME=$home/config HOME=$home "$confyg_path" --init >/dev/null ||
    fail "$confyg_path --init failed"
  local settings=$home/config/orlenta/propCD.pro
  [[ -f $settings ]] || fail "$confyg_path --init wrote no $settings"
  [[ $(stat -c %s "$settings") -eq 624 ]] || fail "$settings is not 624 bytes long"
  [[ $(field "$settings" 0 4) == REC ]] || fail "the name stem is not REC"
  [[ $(field "$settings" 4 200) == "$home/RecoveredByQuarn/" ]] || fail "wrong output folder"
  [[ $(field "$settings" 217 203) == "$install_folder" ]] ||
    fail "install folder is '$(field "$settings" 217 203)', not '$install_folder'"
  [[ $(od -An -tu1 -j216 -N1 "$settings" | tr -d ' ') -eq 1 ]] || fail "language is not 1"
  # A second run leaves the file alone.
  cp "$settings" "$work/before"
  XDG_CONFIG_HOME=$home/config HOME=$home "$confyg_path" --init >/dev/null
  cmp -s "$settings" "$work/before" || fail "a second --init changed the settings"
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"

programs=(confyg orlenta-carve)
[[ $has_window_program == 1 ]] && programs+=(orlenta)
for program in "${programs[@]}"; do
  [[ -x $prefix/$bindir/$program ]] || fail "$bindir/$program is not installed"
done
for file in index.htm indexfr.htm indexde.htm indexIta.htm indexesp.htm help.css; do
  [[ -f $prefix/$folder/$file ]] || fail "$folder/$file is not installed"
done
link=$prefix/$folder/confyg
[[ -L $link ]] || fail "$folder/confyg is not a link"
[[ $(readlink "$link") != /* ]] || fail "$folder/confyg is not a relative link"
[[ $(readlink -f "$link") == $(readlink -f "$prefix/$bindir/confyg") ]] ||
  fail "$folder/confyg does not lead to $bindir/confyg"
for entry in orlenta.desktop orlenta-settings.desktop; do
  [[ -f $prefix/$datadir/applications/$entry ]] || fail "$entry is not installed"
done
for icon in 128.png:256 128_48.png:48; do
  if [[ -f $source/res/bitmaps/${icon%:*} ]]; then
    size=${icon#*:}
    [[ -f $prefix/$datadir/icons/hicolor/${size}x$size/apps/orlenta.png ]] ||
      fail "no ${size}x$size icon"
  fi
done

check_first_run "$link" "$(readlink -f "$prefix/$folder")"
# The whole prefix can move: the link and the program's own place still find each other.
mv "$prefix" "$work/moved"
check_first_run "$work/moved/$folder/confyg" "$(readlink -f "$work/moved/$folder")"
# Uninstalled, the build tree has the same layout.
check_first_run "$build/share/orlenta/confyg" "$(readlink -f "$build/share/orlenta")"
echo "install layout OK"
