#!/usr/bin/env bash
# Five chapter rows in one run of the direct engine, side by side (--parallel-rows auto), against the five
# encoder command lines the run would start (as --dry-run prints them) run by hand one after the other, each
# fed the title's video file on its standard input. Interleaved runs; prints the medians and their ratio.
#
#   bench/rows.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}

cli="$PWD/$build/bin/velloric-cli"
disc="$PWD/$build/sample-dvd/pal"
[ -d "$disc/VIDEO_TS" ] || bash scripts/make-sample-dvd.sh "$disc" pal
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out" "$work/tmp" "$work/hand"
rows=(--chapter 1:1 --chapter 1:2 --chapter 1:3 --chapter 1:4 --chapter 3:1)
opts=(--engine direct --output "$work/out" --work-dir "$work/tmp" --overwrite overwrite "${rows[@]}")

# The command lines, with their outputs moved to a folder of their own; each reads the title's first video
# file, which holds more than its row: the same length is encoded.
hand="$work/hand.sh"
: > "$hand"
vob=
while IFS= read -r line; do
  case "$line" in
    "# $work/out/Title01"*) vob="$disc/VIDEO_TS/VTS_01_1.VOB" ;;
    "# $work/out/Title03"*) vob="$disc/VIDEO_TS/VTS_02_1.VOB" ;;
    "#"*) ;;
    *) printf '%s < %q\n' "${line//$work\/out/$work/hand}" "$vob" >> "$hand" ;;
  esac
done < <("$cli" convert "$disc" "${opts[@]}" --dry-run)
[ "$(wc -l < "$hand")" = 5 ] || { echo "expected five command lines:"; cat "$hand"; exit 1; }

now() { date +%s.%N; }
program_times=()
hand_times=()
for ((i = 0; i < runs; i++)); do
  t0=$(now); "$cli" convert "$disc" "${opts[@]}" --parallel-rows auto >/dev/null 2>&1; t1=$(now)
  program_times+=("$(echo "$t1 - $t0" | bc)")
  rm -f "$work/hand/"*
  t0=$(now); bash "$hand" >/dev/null 2>&1; t1=$(now)
  hand_times+=("$(echo "$t1 - $t0" | bc)")
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
p=$(median "${program_times[@]}")
h=$(median "${hand_times[@]}")
echo "five chapter rows  runs: $runs  cores: $(nproc)  load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "velloric-cli, rows side by side  median ${p}s  (${program_times[*]})"
echo "command lines one after another  median ${h}s  (${hand_times[*]})"
echo "ratio program / hand: $(echo "scale=3; $p / $h" | bc)"
