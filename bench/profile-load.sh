#!/usr/bin/env bash
# Times loading a profile and building both command lines from it (velloric-cli args) for a shipped
# profile and for damaged or oversized ones, and prints each median as a ratio of the shipped one's.
#
#   bench/profile-load.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
cli="$PWD/$build/bin/velloric-cli"
shipped="$PWD/share/Profiles/H.264 AAC (MP4).apf"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The shipped profile with its parameter count replaced.
sed 's/^Para=.*/Para=100000/' "$shipped" >"$work/para-100000.apf"
sed 's/^Para=.*/Para=2147483647/' "$shipped" >"$work/para-max.apf"
# Nearly the largest file a settings file may be, all of it numbered keys of [Main] naming one parameter.
awk 'BEGIN {
  printf "[Main]\r\nType=mp4\r\nPara=2147483647\r\n"
  for (i = 0; size < 60000; i++) { line = i "=Sample Rate\r\n"; printf "%s", line; size += length(line) }
  printf "[Sample Rate]\r\nSort=2\r\ncmd=-ar\r\nList=0\r\nReadOnly=1\r\nCaption=48000\r\nValue=48000\r\n"
}' >"$work/wide-64k.apf"

median() {
  local file=$1 times=()
  for ((r = 0; r < runs; r++)); do
    local start end
    start=$(date +%s%N)
    "$cli" args "$file" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}

printf '%-22s %8s %8s\n' profile bytes ratio
base=
for f in "$shipped" "$work/para-100000.apf" "$work/para-max.apf" "$work/wide-64k.apf"; do
  t=$(median "$f")
  base=${base:-$t}
  printf '%-22s %8s %8s\n' "$(basename "$f" | cut -c1-22)" "$(stat -c %s "$f")" \
    "$(awk -v t="$t" -v b="$base" 'BEGIN { printf "%.2f", t / b }')"
done
