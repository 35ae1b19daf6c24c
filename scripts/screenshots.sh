#!/usr/bin/env bash
# Refreshes the README's screenshots of the window (start screen, a loaded sample disc, a running
# conversion with the real encoders; the subtitle list's "All as text" and the notes of a run that read
# subtitles into text) on a virtual X display.
#   scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=$root/docs/screenshots

cmake --build "$build" --target velloric_screenshots velloric_text_shots velloric velloric-cli >/dev/null
disc=$build/sample-dvd/pal
[ -f "$disc/VIDEO_TS/VIDEO_TS.IFO" ] || bash "$root/scripts/make-sample-dvd.sh" "$disc" pal
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb \
  "$build/tests/velloric_screenshots" "$out" "$build/bin" "$disc"
subtitles=$build/sample-dvd/subtitles
bash "$root/scripts/make-subtitle-dvd.sh" "$subtitles"
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb \
  "$build/tests/velloric_text_shots" "$out" "$build/bin" "$subtitles"
