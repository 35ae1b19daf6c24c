#!/usr/bin/env bash
# Times a row whose subtitles are read into text ("All as text") against the same row without subtitles,
# direct engine, "H.264 AAC (MKV)", on the generated subtitle disc (32 s, two streams, 16 lines). The
# reading runs beside the encoder on its own thread: the goal is under 1.1x when a core is free. Runs are
# interleaved by farm-bench; quote its median ratio.
#
#   bench/subtitle-text.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
cli="$PWD/$build/bin/velloric-cli"
disc="$PWD/$build/sample-dvd/subtitles"
bash scripts/make-subtitle-dvd.sh "$disc"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() { echo "$cli convert $disc --title 1 --engine direct --profile 'H.264 AAC (MKV)' --output $work/$1 --work-dir $work --overwrite overwrite --subtitles $2"; }
mkdir -p "$work/text" "$work/none"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
farm-bench -n "$runs" --timeout 900 --vs "sh -c \"$(run none none)\"" -- sh -c "$(run text text)"
