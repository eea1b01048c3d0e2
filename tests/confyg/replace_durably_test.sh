#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A settings file replaced by confyg lasts through a power cut: the new file is flushed to the
# disk before it is renamed over the old one, and the folder is flushed after the rename.
# Watched with strace; skipped (77) where strace is missing or may not trace.
#
#   replace_durably_test.sh CONFYG
set -uo pipefail
confyg=$1
command -v strace >/dev/null && strace -o /dev/null true 2>/dev/null || exit 77
work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-durable.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

folder=$work/config/orlenta
: >"$work/disc.iso"
for edit in "--stem ABC" "--drive E=$work/disc.iso"; do
  # shellcheck disable=SC2086
  XDG_CONFIG_HOME=$work/config HOME=$work strace -f -y -e trace=fsync,rename,renameat,renameat2 \
    -o "$work/trace" "$confyg" $edit >/dev/null || fail "confyg $edit failed"
  # The calls in order, one word each: "file" (the new file flushed), "rename", "folder".
  order=$(sed -n -e "s#.*fsync([0-9]*<$folder/[^>]*\\.new>).*#file#p" \
    -e "s#.*rename[a-z0-9]*(.*\\.new\".*#rename#p" \
    -e "s#.*fsync([0-9]*<$folder>).*#folder#p" "$work/trace" | tr '\n' ' ')
  [[ $order == "file rename folder " ]] ||
    fail "confyg $edit: expected 'file rename folder', got '$order' in $(cat "$work/trace")"
done
echo "durable replacement OK"
