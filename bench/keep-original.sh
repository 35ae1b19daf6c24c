#!/usr/bin/env bash
# Times the lossless copy of a title ("Keep Original (MKV)" through the direct engine) against copying the
# title set's VOB files with cp, on a generated one-title disc. Runs are interleaved; prints the medians of
# wall and CPU (user + system) seconds, the ratio of the medians, the median of each round's own ratio, and
# the output's size against the VOB files'. Both read the disc from the page cache after the first round,
# and both times include writing the result out to the disc under the work folder (sync -f).
#
#   bench/keep-original.sh [BUILD_DIR] [RUNS] [SECONDS]
#
# Default: build/, 5 runs, a 120 s disc. Timing uses /usr/bin/time (Debian package "time").
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
secs=${3:-120}

cli="$PWD/$build/bin/velloric-cli"
disc="$PWD/$build/bench-dvd-$secs"
bash bench/make-bench-dvd.sh "$disc" "$secs" pal
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/keep" "$work/copy" "$work/tmp"

# shellcheck source=bench/timed.sh
source bench/timed.sh

for ((r = 0; r < runs; r++)); do
  rm -f "$work/keep"/* "$work/copy"/*
  sync
  timed keep sh -c '"$1" convert "$2" --title 1 --engine direct --profile "Keep Original (MKV)" \
    --output "$3" --work-dir "$4" --overwrite overwrite && sync -f "$3"' - "$cli" "$disc" "$work/keep" "$work/tmp"
  timed copy sh -c 'cp "$1"/VIDEO_TS/VTS_01_*.VOB "$2/" && sync -f "$2"' - "$disc" "$work/copy"
done

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
paired() { paste -d' ' "$work/keep.times" "$work/copy.times" | awk '{print $1 / $3}' | median; }
kw=$(cut -d' ' -f1 "$work/keep.times" | median); kc=$(cut -d' ' -f2 "$work/keep.times" | median)
cw=$(cut -d' ' -f1 "$work/copy.times" | median); cc=$(cut -d' ' -f2 "$work/copy.times" | median)
out=$(ls "$work/keep"/*.mkv)
vobs=$(cat "$disc"/VIDEO_TS/VTS_01_*.VOB | wc -c)
echo "disc: ${secs} s PAL  runs: $runs (interleaved)  load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-14s %9s %9s\n' what wall-s cpu-s
printf '%-14s %9.2f %9.2f\n' "keep original" "$kw" "$kc" "cp VOBs" "$cw" "$cc"
printf 'wall ratio (medians) %.2f   paired wall ratio %.2f   goal: within 2\n' "$(echo "$kw / $cw" | bc -l)" \
  "$(paired)"
printf 'output %s bytes, VOB files %s bytes (%.3f); streams: %s\n' "$(stat -c %s "$out")" "$vobs" \
  "$(echo "$(stat -c %s "$out") / $vobs" | bc -l)" \
  "$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$out" | paste -sd,)"
