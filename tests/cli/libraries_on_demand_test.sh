#!/usr/bin/env bash
# ruvo-cli opens libsndfile, libsoxr and FFTW only when an import needs them. Each hidden in turn
# (its RUVO_*_DIR variable names an empty folder) fails the import that needs it with one sentence
# and writes nothing; an import that does not need the hidden library, and a calculation with all
# of them hidden, work as before.
# Usage: libraries_on_demand_test.sh RUVO_CLI RUVO_SYNTH
set -euo pipefail
cli=$1 synth=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/empty"
"$synth" --out "$work" --name take --bits 16 --sample-rate 22050 >/dev/null
"$synth" --out "$work" --name run >/dev/null
fail() { echo "FAIL: $*"; exit 1; }

# Prints the import's message; the exit status must be 1 and no file may appear.
fails_without() {
  local variable=$1 status=0 err
  shift
  err=$(env "$variable=$work/empty" "$cli" import "$work/take.wav" "$work/out.wav" "$@" 2>&1 >/dev/null) || status=$?
  [ "$status" = 1 ] || fail "exit status $status with $variable hidden"
  [ ! -e "$work/out.wav" ] || fail "a file was written with $variable hidden"
  echo "$err"
}

err=$(fails_without RUVO_SNDFILE_DIR)
[ "$err" = "Reading $work/take.wav needs libsndfile; install it" ] || fail "message without libsndfile: $err"
err=$(fails_without RUVO_SOXR_DIR --rate 11025)
[ "$err" = "Could not import $work/take.wav: resampling needs libsoxr; install it" ] ||
  fail "message without libsoxr: $err"
err=$(fails_without RUVO_FFTW_DIR --engine-sound --cylinders 4)
[ "$err" = "Could not import $work/take.wav: tracking engine sound needs FFTW (libfftw3); install it" ] ||
  fail "message without FFTW: $err"

RUVO_SOXR_DIR="$work/empty" RUVO_FFTW_DIR="$work/empty" "$cli" import "$work/take.wav" "$work/out.wav" >/dev/null ||
  fail "import at the recording's rate without libsoxr and FFTW"
RUVO_SNDFILE_DIR="$work/empty" RUVO_SOXR_DIR="$work/empty" RUVO_FFTW_DIR="$work/empty" \
  "$cli" calculate "$work/run.dat" --no-save >/dev/null || fail "calculate without the libraries"
"$cli" import "$work/take.wav" "$work/resampled.wav" --rate 11025 >/dev/null || fail "resampling with libsoxr"
echo "ok"
