#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The two packages installed with apt on a clean Debian system, used, and purged again:
#   - the carver alone brings no Qt and recovers the sample disc;
#   - the window's package installs beside it and its programs start;
#   - purging both leaves no file of theirs behind, and nothing else added either.
#
#   ORLENTA_CLEAN_ROOT=DIR clean_install_test.sh BUILD_DIR SAMPLE_DISC
#
# DIR is a freshly made Debian tree (debootstrap --variant=minbase bookworm DIR) that is
# never changed: the test works on a copy of it. apt fetches the packages' dependencies, so
# the test needs root and the network; without ORLENTA_CLEAN_ROOT it is skipped (status 77).
set -uo pipefail
clean=${ORLENTA_CLEAN_ROOT:-} build=$1 disc=$2
if [[ -z $clean || ! -x $clean/usr/bin/apt-get ]]; then
  echo "SKIP: no clean Debian tree given (set ORLENTA_CLEAN_ROOT to one made by debootstrap)"
  exit 77
fi
[[ $(id -u) -eq 0 ]] || { echo "SKIP: installing into a Debian tree needs root"; exit 77; }

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-install.XXXXXX")
root=$work/root
cleanup() {
  umount "$root/proc" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cp -a "$clean" "$root" || fail "cannot copy $clean"
mount -t proc proc "$root/proc" || fail "cannot mount /proc in the copy"
cp /etc/resolv.conf "$root/etc/resolv.conf"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
  DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 "$@"; }

# What the system holds, leaving out apt's and dpkg's own bookkeeping.
snapshot() {
  (cd "$root" && find . -xdev \( -path ./proc -o -path ./var/lib/apt -o -path ./var/cache \
    -o -path ./var/lib/dpkg -o -path ./var/log -o -path ./tmp -o -path ./root \) -prune \
    -o -print | sort)
}

packages=$work/packages
(cd "$build" && cpack -G DEB -B "$packages") >"$work/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$work/cpack.log")"
carver=$(find "$packages" -maxdepth 1 -name 'orlenta-carve_*.deb' | head -n 1)
window=$(find "$packages" -maxdepth 1 -name 'orlenta_*.deb' | head -n 1)
[[ -n $carver && -n $window ]] || fail "no packages in $packages"
mkdir -p "$root/tmp/debs" && cp "$carver" "$window" "$disc" "$root/tmp/debs/"

in_root apt-get update -qq >"$work/apt.log" 2>&1 || fail "apt-get update: $(cat "$work/apt.log")"
clean_system=$(snapshot)
in_root apt-get install -y -qq --no-install-recommends "/tmp/debs/$(basename "$carver")" \
  >"$work/apt.log" 2>&1 || fail "installing orlenta-carve: $(tail -n 20 "$work/apt.log")"
qt=$(in_root dpkg-query -W -f '${Package}\n' | grep -i 'qt6' || true)
[[ -z $qt ]] || fail "orlenta-carve brought Qt onto the system: $qt"
in_root orlenta-carve --quiet "/tmp/debs/$(basename "$disc")" /tmp/recovered ||
  fail "the installed orlenta-carve did not recover the sample disc"
[[ -n $(find "$root/tmp/recovered" -type f -name '*REC*' | head -n 1) ]] ||
  fail "the installed orlenta-carve recovered no file"

in_root apt-get install -y -qq --no-install-recommends "/tmp/debs/$(basename "$window")" \
  >"$work/apt.log" 2>&1 || fail "installing orlenta: $(tail -n 20 "$work/apt.log")"
for program in orlenta confyg orlenta-carve; do
  in_root env QT_QPA_PLATFORM=offscreen "$program" --version >/dev/null 2>&1 ||
    fail "the installed $program does not start"
done

# Purged with the dependencies they brought, the system is as clean as before: no file of
# theirs left behind, and none added.
in_root apt-get purge -y -qq --autoremove orlenta orlenta-carve >"$work/apt.log" 2>&1 ||
  fail "purging: $(tail -n 20 "$work/apt.log")"
if in_root dpkg-query -W orlenta orlenta-carve >/dev/null 2>&1; then
  fail "dpkg still knows the packages after the purge"
fi
left=$(comm -13 <(echo "$clean_system") <(snapshot))
[[ -z $left ]] || fail "left behind after the purge: $left"
gone=$(comm -23 <(echo "$clean_system") <(snapshot))
[[ -z $gone ]] || fail "the purge took away what was there before: $gone"
echo "installed, used and purged both packages on a clean system"
