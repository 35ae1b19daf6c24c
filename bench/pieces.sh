#!/usr/bin/env bash
# Compares, on a generated one-title disc, the direct engine making the whole title in one pass and in
# pieces side by side, with one FFmpeg pass of the direct engine's own command line from the VOB (the
# floor) and with HandBrakeCLI at the same codec and bit rate. Runs are interleaved; prints the medians of
# wall and CPU (user + system) seconds, their ratios to the floor and to the single pass (also the median
# of each round's own ratio), each output's SSIM against the disc's pictures and the pieces' SSIM against
# the single pass, and the most memory velloric-cli itself held while its encoders ran.
#
#   bench/pieces.sh [BUILD_DIR] [RUNS] [SECONDS] [PIECES]
#
# Default: build/, 5 runs, a 300 s disc, --pieces auto; the profile "H.264 AAC (MP4)" (libx264, 1600 kbit/s,
# AAC 128 kbit/s). HandBrakeCLI (Debian package handbrake-cli) is installed for this benchmark only when it
# is missing; timing uses /usr/bin/time (package "time").
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
secs=${3:-300}
pieces=${4:-auto}
profile="H.264 AAC (MP4)"

if ! command -v HandBrakeCLI >/dev/null; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get install -y -qq --no-install-recommends handbrake-cli >/dev/null
fi

cli="$PWD/$build/bin/velloric-cli"
disc="$PWD/$build/bench-dvd-$secs"
bash bench/make-bench-dvd.sh "$disc" "$secs" pal
vob="$disc/VIDEO_TS/VTS_01_1.VOB"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/single" "$work/pieces" "$work/tmp"
common=(--title 1 --engine direct --profile "$profile" --work-dir "$work/tmp" --overwrite overwrite --prefix bench)

# The floor: the direct engine's FFmpeg arguments, reading the VOB instead of the stream. Taken without the
# chapter marks, whose second input (a quoted data: address) a word split cannot carry.
read -r -a dargs < <("$cli" convert "$disc" "${common[@]}" --output "$work/single" --no-chapters --dry-run | grep -v "^#" | tail -1)
floor=()
for a in "${dargs[@]:1}"; do
  case "$a" in
    -n) ;; # the floor overwrites its own output
    pipe:0) floor+=("$vob") ;;
    *.mp4) floor+=("$work/floor.mp4") ;;
    *) floor+=("$a") ;;
  esac
done

# shellcheck source=bench/timed.sh
source bench/timed.sh

# The pieces' run, noting the largest resident size of velloric-cli itself (its encoders not counted):
# all of it, and its own memory without the pages of shared libraries (which the encoders share).
pieces_run() {
  "$cli" convert "$disc" "${common[@]}" --pieces "$pieces" --output "$work/pieces" &
  local pid=$! peak=0 anon=0 rss own
  while kill -0 "$pid" 2>/dev/null; do
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
    own=$(awk '/^RssAnon/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
    [ "${rss:-0}" -gt "$peak" ] && peak=$rss
    [ "${own:-0}" -gt "$anon" ] && anon=$own
    sleep 0.2
  done
  echo "$peak" >>"$work/rss"
  echo "$anon" >>"$work/anon"
  wait "$pid"
}
export cli disc pieces work

for ((r = 0; r < runs; r++)); do
  timed single "$cli" convert "$disc" "${common[@]}" --pieces 1 --output "$work/single"
  timed pieces bash -c "$(declare -p common); $(declare -f pieces_run); pieces_run"
  timed floor ffmpeg -y "${floor[@]}"
  timed handbrake HandBrakeCLI -i "$disc" -t 1 -o "$work/handbrake.mp4" -e x264 --encoder-preset veryfast \
    -b 1600 -E av_aac -B 128 -R 44.1 -6 stereo
done

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
ssim() { # A B: SSIM of A's pictures against B's (B: the VOB, or another output)
  ffmpeg -hide_banner -nostats -i "$1" -i "$2" -lavfi \
    "[0:v]setpts=PTS-STARTPTS,setsar=1[a];[1:v:0]setpts=PTS-STARTPTS,scale=720:576,setsar=1[b];[a][b]ssim=shortest=1" \
    -f null - 2>&1 | sed -n 's/.* All:\([0-9.]*\).*/\1/p' | tail -1
}
paired() { paste -d' ' "$work/$1.times" "$work/$2.times" | awk '{print $1 / $3}' | median; }
fw=$(cut -d' ' -f1 "$work/floor.times" | median)
fc=$(cut -d' ' -f2 "$work/floor.times" | median)
sw=$(cut -d' ' -f1 "$work/single.times" | median)
echo "disc: ${secs} s PAL  profile: $profile  pieces: $pieces  runs: $runs (interleaved)  cores: $(nproc)"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-10s %9s %9s %10s %9s %11s %10s %12s %8s\n' run wall-s cpu-s wall/floor cpu/floor paired-floor \
  wall/single paired-single ssim-disc
for name in single pieces floor handbrake; do
  out=$work/$name.mp4
  [ "$name" = single ] || [ "$name" = pieces ] && out=$(ls "$work/$name"/*.mp4)
  w=$(cut -d' ' -f1 "$work/$name.times" | median)
  c=$(cut -d' ' -f2 "$work/$name.times" | median)
  printf '%-10s %9.2f %9.2f %10.3f %9.3f %11.3f %10.3f %12.3f %8s\n' "$name" "$w" "$c" "$(echo "$w / $fw" | bc -l)" \
    "$(echo "$c / $fc" | bc -l)" "$(paired "$name" floor)" "$(echo "$w / $sw" | bc -l)" \
    "$(paired "$name" single)" "$(ssim "$out" "$vob")"
done
echo "pieces against the single pass: SSIM $(ssim "$(ls "$work/pieces"/*.mp4)" "$(ls "$work/single"/*.mp4)")"
echo "velloric-cli's largest resident size while in pieces (median): $(median <"$work/rss") kB, of which" \
  "$(median <"$work/anon") kB its own (the rest: pages of shared libraries)"
