#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package of this build: CPack makes it with the dependencies dpkg-shlibdeps
# finds, it unpacks into a scratch root, and what it holds works from there: the programs
# tell their version, the carver recovers the sample disc, `man` shows each program's page
# with its options, the completion, the metainfo, the copyright file and the changelog lie
# where their readers look, and lintian finds no error in it.
#
#   package_test.sh BUILD_DIR VERSION SAMPLE_DISC
set -uo pipefail
build=$1 version=$2 disc=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$work/cpack.log")"
deb=$(find "$work/out" -maxdepth 1 -name '*.deb' | head -n 1)
[[ -n $deb ]] || fail "cpack made no .deb: $(cat "$work/cpack.log")"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6widgets6 libcue2 libewf2 libxml2 libssl3 libc6; do
  grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
[[ $(dpkg-deb --field "$deb" Version) == "$version" ]] || fail "the package is not version $version"

root=$work/root
dpkg -x "$deb" "$root" || fail "dpkg -x failed"
usr=$root/usr
for program in orlenta orlenta-carve confyg; do
  [[ $("$usr/bin/$program" --version 2>&1) == "$program $version" ]] ||
    fail "$program --version from the package printed '$("$usr/bin/$program" --version 2>&1)'"
  page=$usr/share/man/man1/$program.1.gz
  [[ -f $page ]] || fail "no compressed manual page for $program"
  MANPATH=$usr/share/man MANWIDTH=200 man "$program" 2>/dev/null >"$work/page.txt" ||
    fail "man $program shows nothing"
  grep -q -- "--version" "$work/page.txt" || fail "the page of $program names no --version"
done
grep -q -- "--report" <(MANPATH=$usr/share/man MANWIDTH=200 man orlenta-carve 2>/dev/null) ||
  fail "the page of orlenta-carve does not name --report"
grep -q -- "--drive" <(MANPATH=$usr/share/man MANWIDTH=200 man confyg 2>/dev/null) ||
  fail "the page of confyg does not name --drive"
for completion in orlenta-carve confyg; do
  [[ -f $usr/share/bash-completion/completions/$completion ]] || fail "no completion for $completion"
done
[[ -f $usr/share/metainfo/org.orlenta.Orlenta.metainfo.xml ]] || fail "no metainfo"
[[ -f $usr/share/doc/orlenta/copyright ]] || fail "no copyright file"
[[ $(zcat "$usr/share/doc/orlenta/changelog.gz" | head -n 1) == "orlenta ($version) "* ]] ||
  fail "the changelog's last entry is not version $version"
# Debian's own checks of a package: nothing they count as an error.
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian finds errors: $(cat "$work/lintian.log")"
fi
[[ -f $usr/share/applications/orlenta.desktop ]] || fail "no desktop entry"

HOME=$work/home XDG_CONFIG_HOME=$work/home/config "$usr/bin/orlenta-carve" --quiet "$disc" \
  "$work/recovered" || fail "the packaged orlenta-carve did not recover the sample disc"
[[ -n $(find "$work/recovered" -type f | head -n 1) ]] || fail "nothing was recovered"
echo "package OK: $(basename "$deb")"
