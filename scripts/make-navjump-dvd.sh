#!/usr/bin/env bash
# Builds a small PAL DVD-Video folder whose navigation packs' elapsed times jump ahead, as on a damaged disc.
#
#   make-navjump-dvd.sh DIR
#
# Title01, 16:9, 30 s, one chapter in one cell, a moving test picture, English 440 Hz and German 660 Hz
# tones. From 8 s on, every VOBU's navigation pack gives an elapsed time 4 s later than its pictures' own:
# the times keep rising but say 12 s where the pictures are at 8 s. The presentation times are left alone.
# Nothing is written when DIR/VIDEO_TS/VIDEO_TS.IFO exists already.
set -euo pipefail

out=${1:?usage: make-navjump-dvd.sh DIR}
# shellcheck source=dvd-build-lib.sh
source "$(dirname "$0")/dvd-build-lib.sh"
dvd_standard pal
dvd_begin pal ffmpeg dvdauthor od dd

dvd_clip t1 30 16:9 testsrc2 440 660
dvd_xml_begin
dvd_titleset pal 16:9 "en de"
dvd_pgc "$work/t1.mpg" 0
dvd_titleset_end
dvd_author

# A navigation pack: a pack header, a system header (00 00 01 bb at byte 14), the PCI packet and the DSI
# packet (00 00 01 bf at byte 1024, its data from byte 1031). The DSI's cell elapsed time is at byte 1059:
# hours, minutes, seconds and frames in BCD, the frame byte's top two bits the frame rate.
bcd() { echo $(( ($1 >> 4) * 10 + ($1 & 15) )); }
tobcd() { echo $(( ($1 / 10) * 16 + $1 % 10 )); }
vob="$out/VIDEO_TS/VTS_01_1.VOB"
sectors=$(( $(stat -c %s "$vob") / 2048 ))
for ((s = 0; s < sectors; s++)); do
  read -r -a b <<<"$(od -An -tu1 -j $((s * 2048 + 14)) -N4 "$vob") $(od -An -tu1 -j $((s * 2048 + 1024)) -N4 "$vob")"
  [ "${b[*]}" = "0 0 1 187 0 0 1 191" ] || continue
  read -r -a t <<<"$(od -An -tu1 -j $((s * 2048 + 1059)) -N4 "$vob")"
  secs=$(( $(bcd "${t[0]}") * 3600 + $(bcd "${t[1]}") * 60 + $(bcd "${t[2]}") ))
  (( secs >= 8 )) || continue
  secs=$((secs + 4))
  printf "$(printf '\\x%02x\\x%02x\\x%02x' "$(tobcd $((secs / 3600)))" "$(tobcd $((secs / 60 % 60)))" \
    "$(tobcd $((secs % 60)))")" | dd of="$vob" bs=1 seek=$((s * 2048 + 1059)) conv=notrunc status=none
done
