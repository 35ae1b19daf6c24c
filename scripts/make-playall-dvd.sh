#!/usr/bin/env bash
# Builds a small DVD-Video folder whose third title is a "play all" of the first two, for testing how
# titles that play other titles' cells are marked.
#
#   make-playall-dvd.sh DIR [pal|ntsc]
#
# One title set, 4:3, English audio. Title01 (5 s, test picture, 440 Hz) and Title02 (4 s, colour bars,
# 660 Hz) have one chapter each; Title03 plays Title01's cell, then Title02's. dvdauthor writes every
# chain's video anew, so Title03's two cells are written as copies; this script then points them at the
# cells of Title01 and Title02 (their sectors and cell ids), as a disc's "play all" does. The copies stay
# in the video file, unplayed. Title04 is a second chain over Title01's cell alone: the same cells.
# Nothing is written when DIR/VIDEO_TS/VIDEO_TS.IFO exists already.
set -euo pipefail

out=${1:?usage: make-playall-dvd.sh DIR [pal|ntsc]}
std=${2:-pal}
# shellcheck source=dvd-build-lib.sh
source "$(dirname "$0")/dvd-build-lib.sh"
dvd_standard "$std"
dvd_begin "$std" ffmpeg dvdauthor od dd

dvd_clip one 5 4:3 testsrc 440
dvd_clip two 4 4:3 smptebars 660
dvd_xml_begin
dvd_titleset "$std" 4:3 en
dvd_pgc "$work/one.mpg" 0
dvd_pgc "$work/two.mpg" 0
dvd_xml '      <pgc>' \
        "        <vob file=\"$work/one.mpg\" chapters=\"0\" />" \
        "        <vob file=\"$work/two.mpg\" chapters=\"0\" />" \
        '      </pgc>'
dvd_pgc "$work/one.mpg" 0
dvd_titleset_end
dvd_author

u32() { od -An -tu4 --endian=big -j "$2" -N4 "$1" | tr -d ' '; }
u16() { od -An -tu2 --endian=big -j "$2" -N2 "$1" | tr -d ' '; }
copy() { dd if="$1" of="$1" bs=1 skip="$2" seek="$3" count="$4" conv=notrunc status=none; }

for f in "$out/VIDEO_TS/VTS_01_0.IFO" "$out/VIDEO_TS/VTS_01_0.BUP"; do
  pgcit=$(( $(u32 "$f" $((0xcc))) * 2048 ))
  chain() { echo $(( pgcit + $(u32 "$f" $((pgcit + 12 + 8 * ($1 - 1)))) )); }
  cells() { echo $(( $1 + $(u16 "$f" $(($1 + 0xe8))) )); }
  positions() { echo $(( $1 + $(u16 "$f" $(($1 + 0xea))) )); }
  for n in 3 4; do
    to=$(chain $n)
    for k in 1 2; do
      [ "$n" = 4 ] && [ "$k" = 2 ] && break
      from=$(chain "$k")
      [ "$n" = 4 ] && from=$(chain 1)
      copy "$f" $(( $(cells "$from") + 8 )) $(( $(cells "$to") + 24 * (k - 1) + 8 )) 16   # the sectors
      copy "$f" "$(positions "$from")" $(( $(positions "$to") + 4 * (k - 1) )) 4          # vob and cell id
    done
  done
done
