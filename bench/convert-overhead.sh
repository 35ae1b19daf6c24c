#!/usr/bin/env bash
# Compares the wall time of velloric-cli convert with running the same encoder command lines by hand (as
# velloric-cli convert --dry-run prints them) on the same row. Prints the medians, their difference (the
# row's own cost) and their ratio.
#
#   bench/convert-overhead.sh [BUILD_DIR] [RUNS] [ROW OPTIONS...]
#
# Default: build/, 5 runs, --title 1 of the generated PAL sample disc. With --engine direct among the row
# options the one command line reads the title's first VOB file from its standard input instead of the
# stream the program feeds it. For the fixed cost of a row: --start 00:00:00 --end 00:00:01.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
shift $(( $# > 2 ? 2 : $# )) || true
row=("$@")
[ ${#row[@]} -gt 0 ] || row=(--title 1)

cli="$PWD/$build/bin/velloric-cli"
disc="$PWD/$build/sample-dvd/pal"
bash scripts/make-sample-dvd.sh "$disc" pal
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out" "$work/tmp"
opts=(--output "$work/out" --work-dir "$work/tmp" --overwrite overwrite "${row[@]}")

# The two command lines, one argument per shell word, with the same paths the program uses.
mapfile -t plan < <("$cli" convert "$disc" "${opts[@]}" --dry-run | grep -v "^# Note")
if [ ${#plan[@]} -eq 2 ]; then # the direct engine: one command line
  stage1=:
  stage2="${plan[1]} < '$disc/VIDEO_TS/VTS_01_1.VOB'"
else
  stage1=${plan[1]}
  stage2=${plan[2]}
fi

now() { date +%s.%N; }
program_times=()
hand_times=()
for ((i = 0; i < runs; i++)); do
  t0=$(now); "$cli" convert "$disc" "${opts[@]}" >/dev/null 2>&1; t1=$(now)
  program_times+=("$(echo "$t1 - $t0" | bc)")
  # The hand-run stage two writes with -n: the program's output goes first, and its work file after.
  rm -f "$work/out/"*
  t0=$(now); eval "$stage1" >/dev/null 2>&1; eval "$stage2" >/dev/null 2>&1; t1=$(now)
  rm -f "$work/tmp/"* "$work/out/"*
  hand_times+=("$(echo "$t1 - $t0" | bc)")
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
p=$(median "${program_times[@]}")
h=$(median "${hand_times[@]}")
echo "row: ${row[*]}  runs: $runs  cores: $(nproc)  load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "velloric-cli convert  median ${p}s  (${program_times[*]})"
echo "encoders by hand      median ${h}s  (${hand_times[*]})"
echo "row's own cost: $(echo "scale=3; $p - $h" | bc)s"
echo "ratio program / hand: $(echo "scale=3; $p / $h" | bc)"
