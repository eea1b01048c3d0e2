#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The exact mode's score on sample discs made of the committed samples only (no encoder
# runs, the generator's fixed seed, so the same discs every time): every original must
# come back byte for byte, false files stay under 0.5%, and nothing the described mode
# recovers is lost.
#
#   recovery_score_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1 build_dir=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/orlenta-score-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$source_dir/samples/make-sample-discs" "$work/discs" --discs 2 --no-encoders
BUILD_DIR=$build_dir "$source_dir/bench/recovery-score" --discs "$work/discs" --check --min-exact 100
