#!/usr/bin/env bash
# A one-title DVD-Video folder over 1 GiB, so that dvdauthor splits its title over VTS_01_1.VOB and
# VTS_01_2.VOB: a noisy picture keeps the rate near 9 Mbit/s, and a short clip encoded once is repeated by
# stream copy, so the disc costs little more than writing it.
#
#   scripts/make-long-dvd.sh DIR [SECONDS]
#
# Nothing is written when DIR/VIDEO_TS/VIDEO_TS.IFO exists already.
set -euo pipefail
out=${1:?usage: make-long-dvd.sh DIR [SECONDS]}
secs=${2:-1000}
# shellcheck source=dvd-build-lib.sh
source "$(dirname "$0")/dvd-build-lib.sh"
dvd_standard pal
dvd_begin pal ffmpeg dvdauthor

clip=10
ff -f lavfi -i "color=c=gray:size=$size:rate=$rate:duration=$clip,noise=alls=90:allf=t+u" \
   -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$clip" \
   -map 0:v -map 1:a -target "$target" -aspect 4:3 -b:v 8800k -minrate 8800k -maxrate 8800k \
   -bufsize 1835k -b:a 192k -ac 2 "$work/noise.mpg"
ff -stream_loop $((secs / clip - 1)) -i "$work/noise.mpg" -map 0:v -map 0:a -c copy -f dvd \
   -muxrate 10080000 -packetsize 2048 "$work/long.mpg"
rm -f "$work/noise.mpg"

chapters=0
for ((m = 60; m < secs; m += 60)); do chapters+=",$((m / 60)):00"; done
dvd_xml_begin
dvd_titleset pal 4:3 "en"
dvd_pgc "$work/long.mpg" "$chapters"
dvd_titleset_end
dvd_author
