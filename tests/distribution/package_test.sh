#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian packages of this build: CPack makes two, orlenta-carve (the carver, without
# Qt) and orlenta (the window, confyg and the help pages), with the dependencies
# dpkg-shlibdeps finds. Each unpacks into a scratch root and what it holds works from
# there: the programs tell their version, the carver recovers the sample disc, `man` shows
# each program's page, the completion, the README, the metainfo, the copyright file and the
# changelog lie where their readers look, and lintian --pedantic finds no error and no
# warning in either.
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
carver=$(find "$work/out" -maxdepth 1 -name 'orlenta-carve_*.deb' | head -n 1)
window=$(find "$work/out" -maxdepth 1 -name 'orlenta_*.deb' | head -n 1)
[[ -n $carver && -n $window ]] || fail "cpack did not make both packages: $(ls "$work/out")"
[[ $(find "$work/out" -maxdepth 1 -name '*.deb' | wc -l) -eq 2 ]] || fail "more than two packages"

for deb in "$carver" "$window"; do
  [[ $(dpkg-deb --field "$deb" Version) == "$version" ]] || fail "$deb is not version $version"
done
carver_depends=$(dpkg-deb --field "$carver" Depends)
for library in libcue2 libewf2 libxml2 libssl3 libc6; do
  grep -q "$library" <<<"$carver_depends" || fail "orlenta-carve does not depend on $library"
done
! grep -q "libqt6" <<<"$carver_depends" || fail "orlenta-carve pulls in Qt: $carver_depends"
grep -q "libqt6widgets6" <<<"$(dpkg-deb --field "$window" Depends)" || fail "orlenta lacks Qt"
grep -q "orlenta-carve" <<<"$(dpkg-deb --field "$window" Recommends)" ||
  fail "orlenta does not recommend orlenta-carve"
grep -q "gddrescue" <<<"$(dpkg-deb --field "$carver" Recommends)" ||
  fail "orlenta-carve does not recommend gddrescue"

root=$work/root
mkdir -p "$root"
dpkg -x "$carver" "$root/carver" && dpkg -x "$window" "$root/window" || fail "dpkg -x failed"
# No file in both packages: they install side by side.
both=$(comm -12 <(cd "$root/carver" && find . -type f | sort) <(cd "$root/window" && find . -type f | sort))
[[ -z $both ]] || fail "files in both packages: $both"
for entry in carver:orlenta-carve window:orlenta window:confyg; do
  package=${entry%%:*} program=${entry#*:}
  usr=$root/$package/usr
  [[ $("$usr/bin/$program" --version 2>&1) == "$program $version" ]] ||
    fail "$program --version from the package printed '$("$usr/bin/$program" --version 2>&1)'"
  MANPATH=$usr/share/man MANWIDTH=200 man "$program" 2>/dev/null >"$work/page.txt" ||
    fail "man $program shows nothing"
  grep -q -- "--version" "$work/page.txt" || fail "the page of $program names no --version"
  [[ -f $usr/share/bash-completion/completions/$program ]] || fail "no completion for $program"
done
for package in orlenta-carve:carver orlenta:window; do
  doc=$root/${package#*:}/usr/share/doc/${package%%:*}
  [[ -f $doc/copyright ]] || fail "no copyright file in ${package%%:*}"
  [[ $(zcat "$doc/changelog.gz" | head -n 1) == "orlenta ($version) "* ]] ||
    fail "the changelog of ${package%%:*} does not start with version $version"
done
[[ -f $root/carver/usr/share/doc/orlenta-carve/README.md ]] || fail "no README in orlenta-carve"
[[ -f $root/carver/usr/share/doc/orlenta-carve/docs/scaling.md ]] || fail "no docs/scaling.md"
[[ -f $root/window/usr/share/metainfo/org.orlenta.Orlenta.metainfo.xml ]] || fail "no metainfo"
[[ -f $root/window/usr/share/applications/orlenta.desktop ]] || fail "no desktop entry"
[[ -z $(find "$root/carver" -name '*.desktop' -o -name 'index*.htm') ]] ||
  fail "the carver's package holds the window's files"

# Debian's own checks of a package, the pedantic ones included: no error, no warning.
if command -v lintian >/dev/null; then
  # One run for both: lintian's start-up is most of its time.
  lintian --pedantic --fail-on error,warning "$carver" "$window" >"$work/lintian.log" 2>&1 ||
    fail "lintian finds faults: $(cat "$work/lintian.log")"
fi

HOME=$work/home XDG_CONFIG_HOME=$work/home/config "$root/carver/usr/bin/orlenta-carve" --quiet \
  "$disc" "$work/recovered" || fail "the packaged orlenta-carve did not recover the sample disc"
[[ -n $(find "$work/recovered" -type f | head -n 1) ]] || fail "nothing was recovered"
echo "packages OK: $(basename "$carver") $(basename "$window")"
