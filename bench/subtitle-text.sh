#!/usr/bin/env bash
# Times a row whose subtitles are read into text ("All as text") against the same row without subtitles,
# direct engine, "H.264 AAC (MKV)", on a generated subtitle disc: two streams (English, French) with a line
# every 2.5 s. The reading runs beside the encoder on threads of its own: the goal is under 1.1x wall when a
# core is free. Runs are interleaved (text, none, text, none...); prints the medians of wall and CPU (user +
# system) seconds, the ratio of the medians, the median of each round's own wall ratio, and the load.
#
#   bench/subtitle-text.sh [BUILD_DIR] [RUNS] [SECONDS] [free-core]
#
# Default: build/, 5 runs, a 240 s title. Timing uses /usr/bin/time (Debian package "time").
# "free-core" keeps a core free of the encoder on a two-core machine: the program runs from a copy of the
# program folder whose FFmpeg link is a script that pins FFmpeg to the last core (taskset), and the program
# itself (its reader, the text reading) is pinned to the other cores. Both rows run so.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
secs=${3:-240}
mode=${4:-}
cli="$PWD/$build/bin/velloric-cli"
disc="$PWD/$build/sample-dvd/subtitles-$secs"
bash scripts/make-subtitle-dvd.sh "$disc" "$secs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/text" "$work/none"
pin=()
if [[ $mode == free-core ]]; then
  last=$(($(nproc) - 1))
  ((last > 0)) || { echo "free-core needs two cores or more" >&2; exit 1; }
  cp -r "$PWD/$build/bin" "$work/bin"
  rm "$work/bin/wmaspi.dll"
  printf '#!/bin/sh\nexec taskset -c %d /usr/bin/ffmpeg "$@"\n' "$last" >"$work/bin/wmaspi.dll"
  chmod +x "$work/bin/wmaspi.dll"
  cli="$work/bin/velloric-cli"
  pin=(taskset -c "0-$((last - 1))")
fi
# shellcheck source=bench/timed.sh
source bench/timed.sh
row=("${pin[@]}" "$cli" convert "$disc" --title 1 --engine direct --profile 'H.264 AAC (MKV)' --overwrite overwrite)
text=("${row[@]}" --output "$work/text" --work-dir "$work/text" --subtitles text)
none=("${row[@]}" --output "$work/none" --work-dir "$work/none" --subtitles none)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
timed warmup "${text[@]}"
for ((r = 0; r < runs; r++)); do
  timed text "${text[@]}"
  timed none "${none[@]}"
done

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
paired() { paste -d' ' "$work/text.times" "$work/none.times" | awk '{print $1 / $3}' | median; }
tw=$(cut -d' ' -f1 "$work/text.times" | median)
tc=$(cut -d' ' -f2 "$work/text.times" | median)
nw=$(cut -d' ' -f1 "$work/none.times" | median)
nc=$(cut -d' ' -f2 "$work/none.times" | median)
echo "disc: $secs s PAL${mode:+ ($mode)}, $(($(wc -l <"$disc/truth/en.tsv") + $(wc -l <"$disc/truth/fr.tsv"))) lines  runs: $runs" \
  "(interleaved)  load before: $load_before  after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-6s %9s %9s\n' row wall-s cpu-s
printf '%-6s %9.2f %9.2f\n' text "$tw" "$tc" none "$nw" "$nc"
printf 'text/none: wall %.3f (paired %.3f), cpu %.3f\n' "$(echo "$tw / $nw" | bc -l)" "$(paired)" \
  "$(echo "$tc / $nc" | bc -l)"
