#!/usr/bin/env bash
# A one-title DVD-Video folder long enough to time conversions on: a moving test picture at a disc's usual
# bit rate, 16:9, English and German audio, one chapter a minute.
#
#   bench/make-bench-dvd.sh DIR [SECONDS] [pal|ntsc]
#
# Nothing is written when DIR/VIDEO_TS/VIDEO_TS.IFO exists already.
set -euo pipefail
out=${1:?usage: make-bench-dvd.sh DIR [SECONDS] [pal|ntsc]}
secs=${2:-120}
std=${3:-pal}
# shellcheck source=../scripts/dvd-build-lib.sh
source "$(dirname "$0")/../scripts/dvd-build-lib.sh"
dvd_standard "$std"
dvd_begin "$std" ffmpeg dvdauthor

# A disc's usual rates rather than the small test discs' ones.
dvd_rates=(-b:v 5000k -b:a 192k)
dvd_clip t1 "$secs" 16:9 testsrc2 440 660

chapters=0
for ((m = 60; m < secs; m += 60)); do chapters+=",$((m / 60)):00"; done
dvd_xml_begin
dvd_titleset "$std" 16:9 "en de"
dvd_pgc "$work/t1.mpg" "$chapters"
dvd_titleset_end
dvd_author
