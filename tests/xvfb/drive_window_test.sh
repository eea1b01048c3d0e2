#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window on a CD drive, on a real X server: the simulated drive (a preloaded library)
# holds an enhanced CD, an audio track and then a data track of the sample disc, each with a
# failing sector. A run from the window carves the data track's files, writes the music as
# a WAV file read through the error correction, and lowers the drive's speed.
#
#   drive_window_test.sh ORLENTA CONFYG SIMULATED_DRIVE_LIBRARY SAMPLE_DISC
set -euo pipefail
orlenta=$1 confyg=$2 library=$3 disc=$4
# shellcheck source=x_session.sh
source "$(dirname "$0")/x_session.sh"

readonly kAudioSectors=150 kRaw=2352

start_x_server
use_fresh_folders
mkdir -p "$work/out"

# The disc: noise for the music, then each sector of the sample disc framed as a Mode 1
# sector (the drive reads its data after 16 bytes of sync and header).
head -c $((kAudioSectors * kRaw)) /dev/urandom >"$work/audio.raw"
data_sectors=$((($(stat -c %s "$disc") + 2047) / 2048))
{
  cat "$work/audio.raw"
  for ((sector = 0; sector < data_sectors; sector++)); do
    head -c 15 /dev/zero
    printf '\001'
    dd if="$disc" bs=2048 skip="$sector" count=1 status=none conv=sync
    head -c 288 /dev/zero
  done
} >"$work/disc.raw"
cat >"$work/sr0" <<END
image $work/disc.raw
track 1 1 audio 0 $kAudioSectors
track 2 1 data $kAudioSectors $data_sectors
fail 100-100
fail $((kAudioSectors + data_sectors - 2))-$((kAudioSectors + data_sectors - 2))
fail_ms 0
stats $work/stats.txt
END

"$confyg" --init --language 1 --output-folder "$work/out" --drive "E=$work/sr0" >/dev/null ||
  fail "confyg --init failed"
LD_PRELOAD=$library ORLENTA_SIMULATED_DRIVE=$work/sr0 ASAN_OPTIONS=verify_asan_link_order=0 \
  "$orlenta" 2>"$work/orlenta.log" &
orlenta_pid=$!
track_pid "$orlenta_pid"
window=$(find_window Orlenta)
start_run_on_first_drive "$window"
# The run ends with its message, once the music is written.
done_message=$(wait_for_window_of "$orlenta_pid" 500 "$window")
[[ -n $done_message ]] || fail "no message came at the end of the run: $(cat "$work/orlenta.log")"
settled_screenshot "$work/run.png"
[[ -n ${ORLENTA_SCREENSHOT:-} ]] && cp "$work/run.png" "$ORLENTA_SCREENSHOT"

wav=$work/out/Track\ 01.wav
[[ -f $wav ]] || fail "no WAV file: $(ls "$work/out")"
(($(stat -c %s "$wav") == 44 + kAudioSectors * kRaw)) || fail "the WAV file has the wrong size"
# The music before the failing sector comes back as it is on the disc (noise, which the
# error correction once took for big-endian samples about every other time).
cmp -s -n $((100 * kRaw)) <(tail -c +45 "$wav") "$work/audio.raw" ||
  fail "the WAV file's samples are not the disc's"
[[ -f $work/out/1REC.jpg ]] || fail "the data track's photo was not carved: $(ls "$work/out")"
grep -q '^packet_reads [1-9]' "$work/stats.txt" ||
  fail "the music was not read through the error correction: $(cat "$work/stats.txt")"
grep -q '^speed [1-9]' "$work/stats.txt" ||
  fail "the read errors did not lower the drive's speed: $(cat "$work/stats.txt")"
echo "the window on the simulated drive: the data track's files and the music came back"
