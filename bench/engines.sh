#!/usr/bin/env bash
# Compares the conversion engines on the same row of a generated one-title disc:
#   two-stage  velloric-cli convert (stage one to the work file, then stage two)
#   overlap    velloric-cli convert --overlap (both stages at once, the work file a named pipe)
#   direct     velloric-cli convert --engine direct (the disc's cells streamed into one FFmpeg)
#   floor      one FFmpeg pass from the VOB file with the same output arguments
# Runs are interleaved; prints the medians of wall and CPU (user + system) seconds, their ratios to the
# floor (also the median of each round's own wall ratio) and to the sequential two stages, and each output's
# SSIM against the disc's own pictures.
#
#   bench/engines.sh [BUILD_DIR] [RUNS] [SECONDS] [ROW OPTIONS...]
#
# Default: build/, 5 runs, a 120 s disc, --title 1. Timing uses /usr/bin/time (Debian package "time").
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
secs=${3:-120}
shift $(( $# > 3 ? 3 : $# )) || true
row=("$@")
[ ${#row[@]} -gt 0 ] || row=(--title 1)

cli="$PWD/$build/bin/velloric-cli"
disc="$PWD/$build/bench-dvd-$secs"
bash bench/make-bench-dvd.sh "$disc" "$secs" pal
vob="$disc/VIDEO_TS/VTS_01_1.VOB"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/two-stage" "$work/overlap" "$work/direct" "$work/tmp"

# The row's start on the title, for the floor's cut and the source of the SSIM comparison.
start=0
for ((i = 0; i < ${#row[@]}; i++)); do
  if [ "${row[$i]}" = --start ]; then
    IFS=: read -r h m s <<<"${row[$((i + 1))]}"
    start=$((10#$h * 3600 + 10#$m * 60 + 10#$s))
  fi
done

# The direct engine's FFmpeg arguments; the floor reads the VOB instead of the stream, cut at the row's start.
# Taken without the chapter marks, whose second input (a quoted data: address) a word split cannot carry.
common=(--work-dir "$work/tmp" --overwrite overwrite --prefix bench)
read -r -a dargs < <("$cli" convert "$disc" "${row[@]}" --engine direct --output "$work/direct" "${common[@]}" \
  --no-chapters --dry-run | grep -v "^#" | tail -1)
dargs=("${dargs[@]:1}") # without the program
dargs[${#dargs[@]}-1]=$work/direct.mp4
floor=()
for ((i = 0; i < ${#dargs[@]}; i++)); do
  case "${dargs[$i]}" in
    -f) i=$((i + 1)) ;;                                   # "-f mpeg": the VOB is probed as it is
    -n) ;;                                                # the floor overwrites its own output
    pipe:0) floor+=("$vob") ;;
    -ss) floor+=(-ss "$start"); i=$((i + 1)) ;;
    "$work/direct.mp4") floor+=("$work/floor.mp4") ;;
    *) floor+=("${dargs[$i]}") ;;
  esac
done
[[ " ${dargs[*]} " == *" -ss "* ]] || [ "$start" = 0 ] || floor=("${floor[@]:0:${#floor[@]}-1}" -ss "$start" "$work/floor.mp4")

# shellcheck source=bench/timed.sh
source bench/timed.sh

for ((r = 0; r < runs; r++)); do
  timed two-stage "$cli" convert "$disc" "${row[@]}" --output "$work/two-stage" "${common[@]}"
  timed overlap "$cli" convert "$disc" "${row[@]}" --overlap --output "$work/overlap" "${common[@]}"
  timed direct "$cli" convert "$disc" "${row[@]}" --engine direct --output "$work/direct" "${common[@]}"
  timed floor ffmpeg -y "${floor[@]}"
done

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
ssim() {
  ffmpeg -hide_banner -nostats -i "$1" -i "$vob" -lavfi \
    "[0:v]setpts=PTS-STARTPTS,setsar=1[a];[1:v:0]trim=start=$start,setpts=PTS-STARTPTS,setsar=1[b];[a][b]ssim=shortest=1" \
    -f null - 2>&1 |
    sed -n 's/.* All:\([0-9.]*\).*/\1/p' | tail -1
}
fw=$(cut -d' ' -f1 "$work/floor.times" | median)
fc=$(cut -d' ' -f2 "$work/floor.times" | median)
sw=$(cut -d' ' -f1 "$work/two-stage.times" | median)
echo "row: ${row[*]}  disc: ${secs} s PAL  runs: $runs (interleaved)"
# The median of each round's own ratio to the floor: runs of one round are close in time, so a machine
# that speeds up or slows down between rounds weighs less on it than on the ratio of the medians.
paired() { paste -d' ' "$work/$1.times" "$work/floor.times" | awk '{print $1 / $3}' | median; }
printf '%-10s %9s %9s %10s %9s %11s %10s %8s\n' engine wall-s cpu-s wall/floor cpu/floor paired-wall \
  wall/2stage ssim
for name in two-stage overlap direct floor; do
  out=$work/$name.mp4
  [ "$name" = floor ] || out=$(ls "$work/$name"/*.mp4)
  w=$(cut -d' ' -f1 "$work/$name.times" | median)
  c=$(cut -d' ' -f2 "$work/$name.times" | median)
  printf '%-10s %9.2f %9.2f %10.3f %9.3f %11.3f %10.3f %8s\n' "$name" "$w" "$c" "$(echo "$w / $fw" | bc -l)" \
    "$(echo "$c / $fc" | bc -l)" "$(paired "$name")" "$(echo "$w / $sw" | bc -l)" "$(ssim "$out")"
done
