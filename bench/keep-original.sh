#!/usr/bin/env bash
# Times the lossless copy of a title ("Keep Original (MKV)" through the direct engine) against copying the
# title set's VOB files with cp, on a generated one-title disc. Runs are interleaved; prints the medians of
# wall and CPU (user + system) seconds, the ratio of the medians, the median of each round's own ratio, and
# the output's size against the VOB files'. Both read the disc from the page cache after the first round,
# and both times include writing the result out to the disc under the work folder (sync -f).
#
#   bench/keep-original.sh [BUILD_DIR] [RUNS] [SECONDS] [drive [MB_PER_S]]
#
# Default: build/, 5 runs, a 120 s disc. Timing uses /usr/bin/time (Debian package "time").
# "drive" reads the disc as a user's drive gives it (as root): the disc is made an ISO image (genisoimage)
# and attached read-only to a loop device, which the program opens as it opens a drive; the device's reads
# are limited to MB_PER_S (default 22, a 16x DVD drive) with the block I/O controller (cgroup v1 blkio
# throttle), and the page cache is dropped before each run. The copy reads each VOB file's extent off the
# same device with dd (the kernel may have no UDF or ISO 9660 driver to mount it), so both read every byte
# from the "drive".
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
secs=${3:-120}
mode=${4:-}
rate=${5:-22}

cli="$PWD/$build/bin/velloric-cli"
disc="$PWD/$build/bench-dvd-$secs"
bash bench/make-bench-dvd.sh "$disc" "$secs" pal
work=$(mktemp -d)
loop='' throttle=/sys/fs/cgroup/blkio/blkio.throttle.read_bps_device
device() { echo "$((16#$(stat -c %t "$1"))):$((16#$(stat -c %T "$1")))"; }
cleanup() {
  if [[ -n $loop ]]; then
    echo "$(device "$loop") 0" >"$throttle" || true
    losetup -d "$loop" || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/keep" "$work/copy" "$work/tmp"
settle() { sync; }
copy_vobs() { cp "$disc"/VIDEO_TS/VTS_01_*.VOB "$work/copy/"; }
source=$disc
if [[ $mode == drive ]]; then
  genisoimage -quiet -dvd-video -V BENCH -o "$work/disc.iso" "$disc"
  # "size ... [ extent 00]  VTS_01_1.VOB;1": each title VOB's size in bytes and first sector
  extents=$(isoinfo -i "$work/disc.iso" -l |
    sed -n 's/^\S*\s\+\S*\s\+\S*\s\+\S*\s\+\([0-9]\+\) .*\[ *\([0-9]\+\) .*VTS_01_[1-9]\.VOB.*/\1 \2/p')
  loop=$(losetup --find --show --read-only "$work/disc.iso")
  echo "$(device "$loop") $((rate * 1000 * 1000))" >"$throttle"
  source=$loop
  settle() { sync; echo 3 >/proc/sys/vm/drop_caches; }
  copy_vobs() {
    local bytes sector n=0
    while read -r bytes sector; do
      dd if="$loop" of="$work/copy/$((++n)).VOB" bs=1M iflag=skip_bytes,count_bytes \
        skip=$((sector * 2048)) count="$bytes" status=none
    done <<<"$extents"
  }
fi

export disc work loop extents
export -f copy_vobs
# shellcheck source=bench/timed.sh
source bench/timed.sh

for ((r = 0; r < runs; r++)); do
  rm -f "$work/keep"/* "$work/copy"/*
  settle
  timed keep sh -c '"$1" convert "$2" --title 1 --engine direct --profile "Keep Original (MKV)" \
    --output "$3" --work-dir "$4" --overwrite overwrite && sync -f "$3"' - "$cli" "$source" "$work/keep" "$work/tmp"
  settle
  timed copy bash -c 'copy_vobs && sync -f "$work/copy"'
done

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
paired() { paste -d' ' "$work/keep.times" "$work/copy.times" | awk '{print $1 / $3}' | median; }
kw=$(cut -d' ' -f1 "$work/keep.times" | median); kc=$(cut -d' ' -f2 "$work/keep.times" | median)
cw=$(cut -d' ' -f1 "$work/copy.times" | median); cc=$(cut -d' ' -f2 "$work/copy.times" | median)
out=$(ls "$work/keep"/*.mkv)
vobs=$(cat "$disc"/VIDEO_TS/VTS_01_*.VOB | wc -c)
echo "disc: ${secs} s PAL${mode:+ from a drive at $rate MB/s}  runs: $runs (interleaved)  load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-14s %9s %9s\n' what wall-s cpu-s
printf '%-14s %9.2f %9.2f\n' "keep original" "$kw" "$kc" "cp VOBs" "$cw" "$cc"
printf 'wall ratio (medians) %.2f   paired wall ratio %.2f   goal: within 2\n' "$(echo "$kw / $cw" | bc -l)" \
  "$(paired)"
printf 'output %s bytes, VOB files %s bytes (%.3f); streams: %s\n' "$(stat -c %s "$out")" "$vobs" \
  "$(echo "$(stat -c %s "$out") / $vobs" | bc -l)" \
  "$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$out" | paste -sd,)"
