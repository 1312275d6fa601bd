#!/usr/bin/env bash
# ruvo-cli loads FFmpeg's libraries only for a recording libsndfile cannot read. With them hidden
# (RUVO_FFMPEG_DIR names an empty folder) an M4A fails with one sentence, while a FLAC and a file of
# no known format behave as they always did; with them present the M4A imports.
# Usage: ffmpeg_on_demand_test.sh RUVO_CLI RUVO_SYNTH
set -euo pipefail
cli=$1 synth=$2
command -v ffmpeg >/dev/null || { echo "ffmpeg program missing: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/empty"
"$synth" --out "$work" --name take --bits 16 --sample-rate 22050 >/dev/null
ffmpeg -loglevel error -i "$work/take.wav" -c:a aac "$work/take.m4a"
ffmpeg -loglevel error -i "$work/take.wav" "$work/take.flac"
head -c 5000 /dev/urandom >"$work/noise.bin"
fail() { echo "FAIL: $*"; exit 1; }

status=0
err=$(RUVO_FFMPEG_DIR="$work/empty" "$cli" import "$work/take.m4a" "$work/m4a.wav" 2>&1 >/dev/null) || status=$?
[ "$status" = 1 ] || fail "exit status $status without FFmpeg"
[ "$err" = "Reading $work/take.m4a needs FFmpeg's libraries (libavformat); install them" ] || fail "message: $err"
[ ! -e "$work/m4a.wav" ] || fail "a file was written without FFmpeg"

RUVO_FFMPEG_DIR="$work/empty" "$cli" import "$work/take.flac" "$work/flac.wav" >/dev/null || fail "FLAC without FFmpeg"
status=0
err=$(RUVO_FFMPEG_DIR="$work/empty" "$cli" import "$work/noise.bin" "$work/noise.wav" 2>&1 >/dev/null) || status=$?
[ "$status" = 1 ] && [[ "$err" == "Could not import $work/noise.bin: unknown or unreadable audio format ("* ]] ||
  fail "unknown format without FFmpeg: $status $err"

"$cli" import "$work/take.m4a" "$work/m4a.wav" >/dev/null || fail "M4A with FFmpeg"
echo "ok"
